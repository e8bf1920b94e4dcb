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
// Blocks fetched by one read call. 1 MiB reads beat 256 KiB ones by a third
// and more when the file sits in the page cache in large pieces (Linux and
// Wine alike), and cost little where the copy itself is the limit.
constexpr std::size_t kBlocksPerRead = 16;
// Reads made on the calling thread before a helper starts reading ahead: a
// file that ends within them needs no helper.
constexpr std::size_t kPlainReads = 4;
// Reads the helper may be ahead of the one being hashed.
constexpr std::size_t kReadsAhead = 2;
// Reading ahead needs a second processor. With two, it pays under Wine (a
// ReadFile costs more there than the hash of what it read) once neither side
// sleeps at a hand-over: each side watches for a while before it waits.
constexpr unsigned kProcessorsToReadAhead = 2;

bool ReadAheadPays() {
  static const bool pays = std::thread::hardware_concurrency() >= kProcessorsToReadAhead;
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
