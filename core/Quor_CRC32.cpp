#include "core/Quor_CRC32.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <optional>
#include <thread>

#include "core/Quor_FileHash.h"
#include "platform/fs.h"
#include "platform/read_helpers.h"
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
// processors of an Intel Xeon virtual machine, 1 GiB in four files from the
// page cache, each way against a plain read loop: quor_bench_paths, best of
// 9, in both builds (the Windows one under Wine).
//
// Reads of four blocks (256 KiB), on every path. A thread alone read and
// hashed the GiB in 0.127-0.130 s in 256 KiB pieces and 0.128-0.132 s in
// 1 MiB ones; shared with a helper 0.068-0.073 s against 0.074-0.080 s, and
// with the other processor busy 0.093 s against 0.102 s. The read loop
// alone: 0.116-0.124 s in 256 KiB reads, 0.120-0.128 s in 1 MiB ones.
constexpr std::size_t kBlocksPerRead = 4;
// The copy out of the page cache is the limit, on Linux as under Wine. A
// helper that reads and hashes pieces of its own, into its own buffers,
// halves it: two copies at once, 0.068-0.073 s in both builds against
// 0.127-0.130 s alone and 0.116-0.124 s for the read loop alone. A helper
// that only read ahead for the caller lost even to the caller alone
// (0.161-0.166 s): every piece it read then had to move to the other
// processor's cache to be hashed. So a digest, whose
// pieces cannot be hashed apart and joined, is read by the caller alone:
// with a helper reading ahead SHA-256 took 0.80 s against 0.72 s alone (MD5
// 1.41 s against 1.50 s; measured before that path was removed).
//
// Reads made on the calling thread before a helper starts: a file that ends
// within them needs no helper.
constexpr std::size_t kPlainReads = 4;
// Pieces of its own the helper may be ahead of the caller.
constexpr std::size_t kSharedReadsAhead = 4;

// A file the page cache does not hold is read past it: 1 GiB in four files
// just dropped from the cache (posix_fadvise DONTNEED), read and hashed on
// one thread, in rounds taken in turns, on the Xeon VM's virtio disk. Read
// through the cache in 256 KiB pieces it took 0.42-0.47 s in some rounds and
// 1.2-2.9 s in others, and cat alike (0.52-2.2 s): in the slow rounds the
// processor was busy for 1.0-2.8 s, 87% of it in the kernel's copy out of
// the cache (perf record), the first touch of pages that the host had taken
// back once they were free. Past the cache the data goes straight into the
// one buffer, whose pages stay: 0.34-0.37 s in reads of 8 MiB into a buffer
// on huge pages, 0.33-0.36 s in 16 MiB ones, 0.37-0.40 s in 4 MiB ones, and
// 0.48-0.64 s in 4 MiB ones on 4 KiB pages (the disk takes 254 pieces of
// memory per request). Pieces of 32 reads of the blocks (8 MiB).
constexpr std::size_t kReadsPerDirectRead = 32;
// Files smaller than this, and files of which the cache holds more than an
// eighth, are read through the cache as before: where the cache holds the
// file, reading it from the disk instead would be slower.
constexpr std::uint64_t kDirectFrom = 16u << 20;

std::atomic<std::uint64_t> directReads{0};

bool MostlyOnDisk(platform::File& file) {
  const std::optional<platform::File::CacheState> state = file.CachedBytes();
  return state && state->size >= kDirectFrom && state->cached <= state->size / 8;
}

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
  // processor (taskset -c 0) a helper that starts anyway costs: 1 GiB took
  // 0.177-0.182 s shared against 0.125-0.130 s alone, in both builds
  // (quor_bench_paths). With the other processor busy (yes > /dev/null), a
  // helper already at hand in a process that had hashed before still paid
  // there (0.093-0.097 s against 0.124-0.128 s alone), but one that a fresh
  // quor-cli check had to start cost: 147-150 ms against 138-140 ms for one
  // thread alone (means of 8). So a helper also waits for a processor free
  // at the moment it would start (SharedReader's askFirst); quor-cli check
  // then took 129-131 ms busy, beside a floor of 128-130 ms.
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

// Where FileCrc32 takes its pieces from: the file read in order by the
// caller alone, or a reader that shares the reading (and hashing) with a
// helper.
class PieceSource {
 public:
  PieceSource(platform::File& file, std::size_t blockSize, FileCrcReadPath path, bool joinsPieces)
      : file_(file), pieceSize_(blockSize * kBlocksPerRead) {
    if (path == FileCrcReadPath::Direct || (path == FileCrcReadPath::Auto && MostlyOnDisk(file))) {
      directSize_ = pieceSize_ * kReadsPerDirectRead;
      direct_ = platform::TakeDirectReadBuffer(directSize_);
      return;
    }
    // A helper asked for by name starts at once, whatever else runs.
    std::size_t plainReads = 0;
    bool askFirst = false;
    if (path == FileCrcReadPath::Auto) {
      path = HelperPays() ? FileCrcReadPath::Shared : FileCrcReadPath::Plain;
      plainReads = kPlainReads;
      askFirst = true;
    }
    if (path == FileCrcReadPath::Shared && joinsPieces) {
      shared_.emplace(file, pieceSize_, plainReads, kSharedReadsAhead, &PieceRegister, askFirst);
    } else {
      own_ = platform::TakeBuffer(pieceSize_);
    }
  }
  ~PieceSource() {
    if (own_) platform::GiveBackBuffer(std::move(own_), pieceSize_);
    if (direct_) platform::GiveBackDirectReadBuffer(std::move(direct_), directSize_);
  }
  PieceSource(const PieceSource&) = delete;
  PieceSource& operator=(const PieceSource&) = delete;

  // The next piece, as SharedReader::Next hands it out.
  bool Next(platform::SharedReader::Piece& piece, std::string& errorText) {
    if (shared_) return shared_->Next(piece, errorText);
    if (direct_) return NextDirect(piece, errorText);
    piece = platform::SharedReader::Piece{};
    piece.data = own_.get();
    if (ended_) return true;
    // A short piece is the end of the file: no read is made after it.
    const bool ok = file_.Read(own_.get(), pieceSize_, piece.size, errorText);
    ended_ = !ok || piece.size < pieceSize_;
    return ok;
  }

 private:
  // A piece of directSize_ bytes read past the cache. What such a read did
  // not bring (the end of the file, or a read the system would not make so)
  // is read through the cache, which tells the end, or the error of the
  // block where it happened; the rest of the file is then read that way too.
  bool NextDirect(platform::SharedReader::Piece& piece, std::string& errorText) {
    piece = platform::SharedReader::Piece{};
    piece.data = direct_.get();
    if (ended_) return true;
    std::size_t got = 0;
    if (!directRefused_ && file_.ReadDirectAt(offset_, direct_.get(), directSize_, got)) {
      directReads.fetch_add(1, std::memory_order_relaxed);
    }
    bool ok = true;
    if (got < directSize_) {
      directRefused_ = true;
      std::size_t more = 0;
      ok = file_.ReadAt(offset_ + got, direct_.get() + got, directSize_ - got, more, errorText);
      got += more;
    }
    piece.size = got;
    offset_ += got;
    ended_ = !ok || got < directSize_;
    return ok;
  }

  platform::File& file_;
  const std::size_t pieceSize_;
  platform::PageBuffer own_;
  std::size_t directSize_ = 0;
  platform::PageBuffer direct_;  // read into past the cache
  std::uint64_t offset_ = 0;     // of the next piece read so
  bool directRefused_ = false;
  bool ended_ = false;
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

std::uint64_t FileCrcDirectReadsForTest() { return directReads.load(std::memory_order_relaxed); }

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
