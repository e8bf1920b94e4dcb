#include "core/Quor_FileHash.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/Quor_CRC32.h"
#include "platform/digest.h"

namespace {

// Blocks between two progress reports.
constexpr unsigned kBlocksPerReport = 200;
// A block shorter than this ends the file and is always reported.
constexpr std::size_t kShortBlock = 65535;

std::optional<platform::DigestAlgorithm> AlgorithmOf(HashKind kind) {
  switch (kind) {
    case HashKind::Crc32: break;
    case HashKind::Md5: return platform::DigestAlgorithm::Md5;
    case HashKind::Sha1: return platform::DigestAlgorithm::Sha1;
    case HashKind::Sha256: return platform::DigestAlgorithm::Sha256;
    case HashKind::Sha512: return platform::DigestAlgorithm::Sha512;
  }
  return std::nullopt;
}

const char* DigestTitle(platform::DigestAlgorithm algorithm) {
  switch (algorithm) {
    case platform::DigestAlgorithm::Md5: return "MD5";
    case platform::DigestAlgorithm::Sha1: return "SHA-1";
    case platform::DigestAlgorithm::Sha256: return "SHA-256";
    case platform::DigestAlgorithm::Sha512: return "SHA-512";
  }
  return "";
}

class DigestHasher final : public BlockHasher {
 public:
  explicit DigestHasher(platform::DigestAlgorithm algorithm) : digest_(algorithm) {}
  void Update(const unsigned char* data, std::size_t size) override { digest_.Update(data, size); }
  std::string Finish() { return digest_.Finish(); }

 private:
  platform::Digest digest_;
};

}  // namespace

std::size_t HashLength(HashKind kind) {
  const std::optional<platform::DigestAlgorithm> algorithm = AlgorithmOf(kind);
  return algorithm ? platform::DigestLength(*algorithm) : 4;
}

bool HashPieces(const PieceFeed& next, std::size_t blockSize, BlockHasher& hasher, const StopFlag* stopFlag,
                NoticeTarget* target, SafePoint* safePoint, std::string& errorText) {
  // One read fetches several blocks; the blocks are then taken one by one,
  // so reports and stop-flag polling keep the block rhythm: the pieces are
  // what reads of one block each would have returned.
  unsigned blocks = 0;
  std::uint32_t pending = 0;
  for (bool done = false; !done;) {
    platform::SharedReader::Piece piece;
    const bool readOk = next(piece, errorText);
    // After a failed read only the whole blocks before the failure count,
    // as if the failing read had been the one of the next block.
    const std::size_t usable = readOk ? piece.size : piece.size - piece.size % blockSize;
    std::size_t at = 0;
    do {
      const std::size_t n = std::min(blockSize, usable - at);
      if (!readOk && n == 0) break;
      if (n > 0 && !piece.digested) hasher.Update(piece.data + at, n);
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
    if (piece.digested) {
      if (at < piece.size) {
        hasher.Update(piece.data, at);  // stopped inside the piece
      } else {
        hasher.Join(piece.digest, piece.size);
      }
    }
    if (!readOk) return false;
  }
  return true;
}

FileHashResult FileHash(const std::string& path, HashKind kind, const StopFlag* stopFlag, NoticeTarget* target,
                        SafePoint* safePoint) {
  FileHashResult result;
  const std::optional<platform::DigestAlgorithm> algorithm = AlgorithmOf(kind);
  if (!algorithm) {
    FileCrcResult crc = FileCrc32(path, stopFlag, target, safePoint);
    if (crc.opened) result.digest = Crc32Bytes(crc.crc);
    result.opened = crc.opened;
    result.readFailed = crc.readFailed;
    result.errorText = std::move(crc.errorText);
    return result;
  }
  DigestHasher hasher(*algorithm);
  FileReadOutcome outcome = HashFileBlocks(path, hasher, stopFlag, target, safePoint);
  if (outcome.opened) result.digest = hasher.Finish();
  if (outcome.opened && result.digest.empty() && !outcome.readFailed) {
    // The system's library could not make the hash: nothing was judged.
    outcome.readFailed = true;
    outcome.errorText = std::string("The system could not compute the ") + DigestTitle(*algorithm) + " hash.";
  }
  result.opened = outcome.opened;
  result.readFailed = outcome.readFailed;
  result.errorText = std::move(outcome.errorText);
  return result;
}

std::string Crc32Bytes(std::uint32_t crc) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(crc >> (24 - 8 * i));
  return bytes;
}

std::uint32_t Crc32FromBytes(const std::string& bytes) {
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) crc = (crc << 8) | static_cast<unsigned char>(bytes[i]);
  return crc;
}
