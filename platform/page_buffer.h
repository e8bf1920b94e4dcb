// Memory that files are read into and written from. The kernel's copy
// between the page cache and a buffer runs several times slower on some
// processors when the buffer starts 16 bytes past an alignment, which is
// exactly where heap blocks from new[], malloc and HeapAlloc sit; so every
// such buffer starts on a page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

inline constexpr std::size_t kPageSize = 4096;

struct PageBufferFree {
  void operator()(unsigned char* bytes) const;
};
using PageBuffer = std::unique_ptr<unsigned char[], PageBufferFree>;

// size bytes (not zeroed) starting on a page boundary. Throws
// std::bad_alloc as new does.
PageBuffer AllocatePageBuffer(std::size_t size);
// The same on a 2 MiB boundary, which Linux may back with huge pages: a read
// past the page cache (File::ReadDirectAt) then hands the disk a few long
// runs of memory instead of a list of 4 KiB pages, which a virtio disk takes
// at most 254 at a time.
PageBuffer AllocateDirectReadBuffer(std::size_t size);

// Counts a transfer between a file and the buffer when the buffer does not
// start on a page (File's reads and writes call it).
void NoteTransferBuffer(const void* buffer);
// The transfers counted so far in this process: a test that runs a routine
// can tell whether it handed File any buffer off a page.
std::uint64_t UnalignedTransfersForTest();

}  // namespace platform
