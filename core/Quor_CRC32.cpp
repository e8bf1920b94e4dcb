#include "core/Quor_CRC32.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>

#include "platform/fs.h"
#include "platform/sequential_reader.h"

namespace {

// Entry i is i shifted right eight times, XORing in the polynomial after
// each shift that drops a 1 bit.
constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t value = i;
    for (int bit = 0; bit < 8; ++bit) value = (value >> 1) ^ ((value & 1) ? 0xEDB88320u : 0);
    table[i] = value;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

// Blocks between two progress reports.
constexpr unsigned kBlocksPerReport = 200;
// A read shorter than this ends the file and is always reported.
constexpr std::size_t kShortBlock = 65535;
// How the file is read was measured on each platform (bench_read and
// bench_cli.sh, 1 GiB from the page cache, two processors):
#ifdef _WIN32
// Under Wine a ReadFile call costs more than the hash of what it read, and
// a call has a cost of its own: 1 MiB reads, and a helper thread reading
// ahead while the blocks are hashed (as fast as a plain ReadFile loop,
// against 0.6-0.75 of it with both on one thread).
constexpr std::size_t kBlocksPerRead = 16;
constexpr bool kReadAheadHere = true;
#else
// On Linux the copy out of the page cache is the limit. 128 KiB reads, as
// cat makes them, copy fastest (the buffer stays in the processor's cache;
// 1 MiB reads took 1.4 to 1.6 times as long), and a helper thread lost: the
// copy into a buffer the other processor had just hashed costs more than
// the hash it takes off the reading thread.
constexpr std::size_t kBlocksPerRead = 2;
constexpr bool kReadAheadHere = false;
#endif
// Reads made on the calling thread before a helper starts reading ahead: a
// file that ends within them needs no helper.
constexpr std::size_t kPlainReads = 4;
// Reads the helper may be ahead of the one being hashed.
constexpr std::size_t kReadsAhead = 2;

bool ReadAheadPays() {
  // The helper needs a processor of its own: it and the hashing thread
  // watch each other's progress rather than sleep at a hand-over.
  static const bool pays = kReadAheadHere && std::thread::hardware_concurrency() >= 2;
  return pays;
}

std::atomic<FileCrcReadPath> forcedReadPath{FileCrcReadPath::Auto};

}  // namespace

#ifdef _WIN32
bool IsWinNT = true;
#else
bool IsWinNT = false;
#endif

std::uint32_t Crc32UpdateByteTable(std::uint32_t crc, const void* buffer, std::size_t count) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  for (std::size_t i = 0; i < count; ++i) crc = (crc >> 8) ^ kCrcTable[(crc ^ bytes[i]) & 0xFF];
  return crc;
}

// Crc32Update and its kernels live in Quor_CRC32Kernels.cpp.

std::size_t FileCrcBlockSize() { return IsWinNT ? 65535 : 65536; }

void FileCrcForceReadPathForTest(FileCrcReadPath path) { forcedReadPath.store(path, std::memory_order_relaxed); }

FileCrcResult FileCrc32(const std::string& path, const StopFlag* stopFlag, NoticeTarget* target,
                        SafePoint* safePoint) {
  FileCrcResult result;
  platform::File file = platform::File::Open(path, platform::Access::Read, platform::Share::ReadWrite,
                                             platform::Disposition::OpenExisting, true);
  if (!file.IsOpen()) {
    result.errorText = platform::LastErrorText();
    return result;
  }
  result.opened = true;

  // One read fetches kBlocksPerRead blocks; the blocks are then taken one
  // by one, so reports and stop-flag polling keep the block rhythm: the
  // pieces are what reads of one block each would have returned.
  const std::size_t blockSize = FileCrcBlockSize();
  const std::size_t readSize = blockSize * kBlocksPerRead;
  const FileCrcReadPath readPath = forcedReadPath.load(std::memory_order_relaxed);
  const bool readAhead = readPath == FileCrcReadPath::Overlapped ||
                         (readPath == FileCrcReadPath::Auto && ReadAheadPays());
  platform::SequentialReader reader(file, readSize, readPath == FileCrcReadPath::Overlapped ? 0 : kPlainReads,
                                    readAhead ? kReadsAhead : 0);
  std::uint32_t crc = 0xFFFFFFFFu;
  unsigned blocks = 0;
  std::uint32_t pending = 0;
  for (bool done = false; !done;) {
    const unsigned char* buffer = nullptr;
    std::size_t got = 0;
    const bool readOk = reader.Next(buffer, got, result.errorText);
    // After a failed read only the whole blocks before the failure count,
    // as if the failing read had been the one of the next block.
    const std::size_t usable = readOk ? got : got - got % blockSize;
    std::size_t at = 0;
    do {
      const std::size_t n = std::min(blockSize, usable - at);
      if (!readOk && n == 0) break;
      if (n > 0) crc = Crc32Update(crc, buffer + at, n);
      at += n;
      if (target) {
        ++blocks;
        pending += static_cast<std::uint32_t>(n);
        if (blocks % kBlocksPerReport == 0 || n < kShortBlock) {
          target->Notify(CN_BYTES_DONE, pending);
          blocks = 0;
          pending = 0;
        }
      }
      if (n == 0 || IsSet(stopFlag)) {
        done = true;
      } else if (safePoint) {
        // A paused check waits here, between two blocks.
        safePoint->Wait();
        done = IsSet(stopFlag);
      }
    } while (!done && at < usable);
    if (!readOk) {
      result.readFailed = true;
      break;
    }
  }
  result.crc = crc ^ 0xFFFFFFFFu;
  return result;
}
