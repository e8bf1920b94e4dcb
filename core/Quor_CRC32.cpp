#include "core/Quor_CRC32.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <optional>
#include <thread>

#include "core/Quor_FileHash.h"
#include "platform/fs.h"
#include "platform/sequential_reader.h"
#include "platform/shared_reader.h"
#include "platform/threads.h"

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

// How the file is read was measured with page-aligned buffers on two
// processors of an AMD EPYC virtual machine, 1 GiB in four files from the
// page cache, FileCrc32 against a plain 1 MiB read loop (bench_read, and a
// probe of it that times each read path; best of 9).
//
// Reads of 1 MiB, on every path: on Linux a thread alone read and hashed
// the GiB in 0.078 s in 1 MiB pieces, 0.100 s in 256 KiB and 0.103 s in
// 128 KiB ones (taskset -c 0); shared with a helper 0.049-0.057 s against
// 0.055-0.067 s in 256 KiB pieces. Under Wine a ReadFile call has a cost of
// its own besides the copy, and fewer calls win there anyway.
constexpr std::size_t kBlocksPerRead = 16;
#ifdef _WIN32
// Under Wine the helper reads ahead while the caller hashes: 0.058-0.064 s,
// as fast as the read loop alone (0.059-0.064 s), where the caller alone
// took 0.080 s. Sharing the pieces loses there: Windows cannot tell what
// is in memory, and a ReadFile at a given offset costs twice one at the
// file position under Wine (1 GiB: 0.16 s against 0.08 s).
constexpr FileCrcReadPath kHelperPath = FileCrcReadPath::Overlapped;
#else
// On Linux the copy out of the page cache is the limit: a helper that reads
// and hashes pieces of its own, into its own buffers, wins (two copies at
// once; 0.049-0.057 s against 0.075 s alone). Reading ahead for the caller
// lost even to the caller alone (0.14 s). With the other processor busy
// (yes > /dev/null) the helper falls behind and stops.
constexpr FileCrcReadPath kHelperPath = FileCrcReadPath::Shared;
#endif
// Reads made on the calling thread before a helper starts: a file that ends
// within them needs no helper.
constexpr std::size_t kPlainReads = 4;
// Pieces a helper may be ahead of the caller: one that reads ahead, and one
// that shares the reading (counting its own pieces).
constexpr std::size_t kReadsAhead = 2;
constexpr std::size_t kSharedReadsAhead = 4;

// Threads said to hash side by side besides a lone FileCrc32, and the
// FileCrc32 calls under way.
std::atomic<unsigned> extraHashers{0};
std::atomic<unsigned> callsUnderWay{0};

class CallUnderWay {
 public:
  CallUnderWay() { ++callsUnderWay; }
  ~CallUnderWay() { --callsUnderWay; }
  CallUnderWay(const CallUnderWay&) = delete;
  CallUnderWay& operator=(const CallUnderWay&) = delete;
};

bool HelperPays() {
  // The helper needs a processor of its own: it and the hashing thread
  // watch each other's progress rather than sleep at a hand-over. On one
  // processor (taskset -c 0) a helper that starts anyway costs even where
  // it stops: 1 GiB took 0.079-0.088 s shared against 0.075-0.080 s alone
  // on Linux, and under Wine 0.132-0.162 s read ahead against 0.083-0.101 s
  // alone (best of 9).
  static const unsigned processors = platform::UsableProcessors();
  const unsigned hashing = std::max(callsUnderWay.load(std::memory_order_relaxed),
                                    1 + extraHashers.load(std::memory_order_relaxed));
  return processors >= 2 * hashing;
}

std::atomic<FileCrcReadPath> forcedReadPath{FileCrcReadPath::Auto};

// a * b modulo the polynomial, both reflected as the registers are.
std::uint32_t MultiplyModP(std::uint32_t a, std::uint32_t b) {
  std::uint32_t product = 0;
  for (std::uint32_t bit = 1u << 31; bit != 0 && a != 0; bit >>= 1) {
    if (a & bit) {
      product ^= b;
      a ^= bit;
    }
    b = (b & 1) ? (b >> 1) ^ 0xEDB88320u : b >> 1;
  }
  return product;
}

std::uint32_t PieceRegister(const unsigned char* data, std::size_t size) { return Crc32Update(0, data, size); }

// The reader FileCrc32 takes its pieces from: one that may have a helper
// read ahead, or one that shares the reading (and hashing) with a helper.
class PieceSource {
 public:
  PieceSource(platform::File& file, std::size_t blockSize, FileCrcReadPath path, bool joinsPieces) {
    std::size_t plainReads = 0;  // a helper path asked for by name starts at once
    if (path == FileCrcReadPath::Auto) {
      path = HelperPays() ? kHelperPath : FileCrcReadPath::Plain;
      plainReads = kPlainReads;
    }
    // Pieces hashed apart must be joined: a hash that cannot (a digest)
    // has its helper read ahead instead.
    if (path == FileCrcReadPath::Shared && !joinsPieces) path = FileCrcReadPath::Overlapped;
    if (path == FileCrcReadPath::Shared) {
      shared_.emplace(file, blockSize * kBlocksPerRead, plainReads, kSharedReadsAhead, &PieceRegister);
    } else {
      sequential_.emplace(file, blockSize * kBlocksPerRead, plainReads, path == FileCrcReadPath::Plain ? 0 : kReadsAhead);
    }
  }

  // The next piece, as SharedReader::Next hands it out.
  bool Next(platform::SharedReader::Piece& piece, std::string& errorText) {
    if (shared_) return shared_->Next(piece, errorText);
    piece = platform::SharedReader::Piece{};
    return sequential_->Next(piece.data, piece.size, errorText);
  }

 private:
  std::optional<platform::SequentialReader> sequential_;
  std::optional<platform::SharedReader> shared_;
};

// CRC-32 for the read loop; pieces a helper hashed are joined in.
class CrcHasher final : public BlockHasher {
 public:
  void Update(const unsigned char* data, std::size_t size) override { crc_ = Crc32Update(crc_, data, size); }
  bool JoinsPieces() const override { return true; }
  void Join(std::uint32_t pieceRegister, std::size_t pieceSize) override {
    if (shiftSize_ != pieceSize) shift_ = Crc32ShiftFor(shiftSize_ = pieceSize);
    crc_ = Crc32Join(crc_, pieceRegister, shift_);
  }
  std::uint32_t Value() const { return crc_ ^ 0xFFFFFFFFu; }

 private:
  std::uint32_t crc_ = 0xFFFFFFFFu;
  std::uint32_t shift_ = 0;  // for joining pieces of shiftSize_ bytes
  std::size_t shiftSize_ = 0;
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

std::uint32_t Crc32ShiftFor(std::uint64_t count) {
  // x^(8 count), by squaring: power runs through x^8, x^16, x^32, ...
  std::uint32_t shift = 1u << 31;  // x^0
  std::uint32_t power = 1u << 30;  // x^1
  for (int i = 0; i < 3; ++i) power = MultiplyModP(power, power);
  for (; count != 0; count >>= 1) {
    if (count & 1) shift = MultiplyModP(power, shift);
    power = MultiplyModP(power, power);
  }
  return shift;
}

std::uint32_t Crc32Join(std::uint32_t crc, std::uint32_t pieceRegister, std::uint32_t shift) {
  // The register is linear in its start: feeding a piece to crc gives what
  // feeding it to 0 gives, plus crc moved past as many zero bytes.
  return MultiplyModP(shift, crc) ^ pieceRegister;
}

FileCrcSideBySide::FileCrcSideBySide(unsigned threads) : added_(threads > 1 ? threads - 1 : 0) {
  extraHashers += added_;
}

FileCrcSideBySide::~FileCrcSideBySide() { extraHashers -= added_; }

std::size_t FileCrcBlockSize() { return IsWinNT ? 65535 : 65536; }

void FileCrcForceReadPathForTest(FileCrcReadPath path) { forcedReadPath.store(path, std::memory_order_relaxed); }

FileReadOutcome HashFileBlocks(const std::string& path, BlockHasher& hasher, const StopFlag* stopFlag,
                               NoticeTarget* target, SafePoint* safePoint) {
  const CallUnderWay underWay;
  FileReadOutcome outcome;
  platform::File file = platform::File::Open(path, platform::Access::Read, platform::Share::ReadWrite,
                                             platform::Disposition::OpenExisting, true);
  if (!file.IsOpen()) {
    outcome.errorText = platform::LastErrorText();
    return outcome;
  }
  outcome.opened = true;
  const std::size_t blockSize = FileCrcBlockSize();
  PieceSource reader(file, blockSize, forcedReadPath.load(std::memory_order_relaxed), hasher.JoinsPieces());
  const PieceFeed next = [&reader](platform::SharedReader::Piece& piece, std::string& errorText) {
    return reader.Next(piece, errorText);
  };
  outcome.readFailed = !HashPieces(next, blockSize, hasher, stopFlag, target, safePoint, outcome.errorText);
  return outcome;
}

FileCrcResult FileCrc32(const std::string& path, const StopFlag* stopFlag, NoticeTarget* target,
                        SafePoint* safePoint) {
  CrcHasher hasher;
  FileReadOutcome outcome = HashFileBlocks(path, hasher, stopFlag, target, safePoint);
  FileCrcResult result;
  result.crc = outcome.opened ? hasher.Value() : 0;
  result.opened = outcome.opened;
  result.readFailed = outcome.readFailed;
  result.errorText = std::move(outcome.errorText);
  return result;
}
