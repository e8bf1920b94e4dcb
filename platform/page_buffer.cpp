#include "platform/page_buffer.h"

#include <atomic>
#include <cstdlib>
#include <new>

#ifdef _WIN32
#include <malloc.h>
#else
#include <sys/mman.h>
#endif

namespace platform {
namespace {

std::atomic<std::uint64_t> unalignedTransfers{0};

constexpr std::size_t kHugePageSize = 2u << 20;

unsigned char* AllocateAligned(std::size_t size, std::size_t alignment) {
  void* bytes = nullptr;
#ifdef _WIN32
  bytes = _aligned_malloc(size == 0 ? 1 : size, alignment);
#else
  if (posix_memalign(&bytes, alignment, size == 0 ? 1 : size) != 0) bytes = nullptr;
#endif
  if (!bytes) throw std::bad_alloc();
  return static_cast<unsigned char*>(bytes);
}

}  // namespace

void PageBufferFree::operator()(unsigned char* bytes) const {
#ifdef _WIN32
  _aligned_free(bytes);
#else
  std::free(bytes);
#endif
}

PageBuffer AllocatePageBuffer(std::size_t size) { return PageBuffer(AllocateAligned(size, kPageSize)); }

PageBuffer AllocateDirectReadBuffer(std::size_t size) {
  PageBuffer buffer(AllocateAligned(size, kHugePageSize));
#ifdef MADV_HUGEPAGE
  // A request, not a promise: without huge pages the reads are slower, not
  // wrong.
  madvise(buffer.get(), size, MADV_HUGEPAGE);
#endif
  return buffer;
}

void NoteTransferBuffer(const void* buffer) {
  if (reinterpret_cast<std::uintptr_t>(buffer) % kPageSize != 0) {
    unalignedTransfers.fetch_add(1, std::memory_order_relaxed);
  }
}

std::uint64_t UnalignedTransfersForTest() { return unalignedTransfers.load(std::memory_order_relaxed); }

}  // namespace platform
