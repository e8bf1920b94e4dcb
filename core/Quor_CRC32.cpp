#include "core/Quor_CRC32.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/fs.h"

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
// Blocks fetched by one read call.
constexpr std::size_t kBlocksPerRead = 16;

// The buffers FileCrc32 reads into, kept between files: allocating one per
// file costs more than reading a small file (under Wine, a megabyte taken and
// given back to the system costs about 4 ms). They are kept in one shared
// list rather than one per thread because MinGW runs the destructors of
// thread_local objects after it has freed the thread's storage for them.
class ReadBuffers {
 public:
  static constexpr std::size_t kSize = 65536 * kBlocksPerRead;

  std::unique_ptr<unsigned char[]> Take() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!spare_.empty()) {
        std::unique_ptr<unsigned char[]> buffer = std::move(spare_.back());
        spare_.pop_back();
        return buffer;
      }
    }
    return std::unique_ptr<unsigned char[]>(new unsigned char[kSize]);  // not zeroed: reads fill it
  }

  void GiveBack(std::unique_ptr<unsigned char[]> buffer) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.size() < kMostSpare) spare_.push_back(std::move(buffer));
  }

 private:
  static constexpr std::size_t kMostSpare = 8;
  std::mutex mutex_;
  std::vector<std::unique_ptr<unsigned char[]>> spare_;
};

// Never destroyed: a thread may still be hashing while the process ends.
ReadBuffers& SpareReadBuffers() {
  static ReadBuffers* buffers = new ReadBuffers;
  return *buffers;
}

// One read buffer, given back when the holder goes.
class ReadBufferLease {
 public:
  ReadBufferLease() : buffer_(SpareReadBuffers().Take()) {}
  ~ReadBufferLease() { SpareReadBuffers().GiveBack(std::move(buffer_)); }
  ReadBufferLease(const ReadBufferLease&) = delete;
  ReadBufferLease& operator=(const ReadBufferLease&) = delete;
  unsigned char* get() const { return buffer_.get(); }

 private:
  std::unique_ptr<unsigned char[]> buffer_;
};

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

  // One system call reads kBlocksPerRead blocks; the blocks are then taken
  // one by one, so reports and stop-flag polling keep the block rhythm: the
  // pieces are what reads of one block each would have returned.
  const std::size_t blockSize = FileCrcBlockSize();
  const std::size_t readSize = blockSize * kBlocksPerRead;
  const ReadBufferLease lease;
  unsigned char* const buffer = lease.get();
  std::uint32_t crc = 0xFFFFFFFFu;
  unsigned blocks = 0;
  std::uint32_t pending = 0;
  for (bool done = false; !done;) {
    std::size_t got = 0;
    const bool readOk = file.Read(buffer, readSize, got, result.errorText);
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
