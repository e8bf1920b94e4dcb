#include "platform/page_buffer.h"

#include <atomic>
#include <new>

namespace platform {
namespace {

std::atomic<std::uint64_t> unalignedTransfers{0};

}  // namespace

void PageBufferFree::operator()(unsigned char* bytes) const {
  ::operator delete[](bytes, std::align_val_t(kPageSize));
}

PageBuffer AllocatePageBuffer(std::size_t size) {
  return PageBuffer(static_cast<unsigned char*>(::operator new[](size, std::align_val_t(kPageSize))));
}

void NoteTransferBuffer(const void* buffer) {
  if (reinterpret_cast<std::uintptr_t>(buffer) % kPageSize != 0) {
    unalignedTransfers.fetch_add(1, std::memory_order_relaxed);
  }
}

std::uint64_t UnalignedTransfersForTest() { return unalignedTransfers.load(std::memory_order_relaxed); }

}  // namespace platform
