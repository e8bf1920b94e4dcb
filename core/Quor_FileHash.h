// Hashing a whole file with any of the hashes checksum lists use. One read
// loop serves them all: it takes the file's pieces from FileCrc32's readers,
// walks them block by block (reports, the stop flag and the safe point keep
// FileCrc32's rhythm) and feeds every block to a BlockHasher. CRC-32 runs
// over the kernels of Quor_CRC32; the digests over platform/digest.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/Quor_Notify.h"
#include "platform/shared_reader.h"

// The hashes a checksum list may name.
enum class HashKind : std::uint8_t { Crc32, Md5, Sha1, Sha256, Sha512 };

// The hash's value in bytes: 4 for CRC-32, then 16, 20, 32, 64.
std::size_t HashLength(HashKind kind);

// What the read loop feeds.
class BlockHasher {
 public:
  virtual ~BlockHasher() = default;
  virtual void Update(const unsigned char* data, std::size_t size) = 0;
  // True when pieces hashed apart (by a helper that shares the reading) can
  // be joined in: CRC-32 only. The read loop then hands such pieces to Join.
  virtual bool JoinsPieces() const { return false; }
  // Takes in a piece of pieceSize bytes whose register, started at 0, a
  // helper worked out.
  virtual void Join(std::uint32_t /*pieceRegister*/, std::size_t /*pieceSize*/) {}
};

// How reading a file went.
struct FileReadOutcome {
  bool opened = false;      // false: the file could not be opened, nothing was hashed
  bool readFailed = false;  // a read failed after the open; the hash covers the part read
  std::string errorText;    // why, in the system's words
};

// The read loop: takes pieces from next (SharedReader::Next's contract) and
// feeds them to hasher in blocks of blockSize bytes. Reports CN_BYTES_DONE
// every 200 blocks and after a short block, looks at stopFlag after every
// block and waits at safePoint between two blocks. False when a read failed
// (errorText then says why); only the whole blocks before the failure count.
using PieceFeed = std::function<bool(platform::SharedReader::Piece& piece, std::string& errorText)>;
bool HashPieces(const PieceFeed& next, std::size_t blockSize, BlockHasher& hasher, const StopFlag* stopFlag,
                NoticeTarget* target, SafePoint* safePoint, std::string& errorText);

// Opens the file and runs the read loop over it with FileCrc32's readers
// (defined beside them, in Quor_CRC32.cpp). Pieces are hashed apart only for
// a hasher that joins them.
FileReadOutcome HashFileBlocks(const std::string& path, BlockHasher& hasher, const StopFlag* stopFlag,
                               NoticeTarget* target, SafePoint* safePoint);

struct FileHashResult {
  std::string digest;  // the hash's bytes, most significant first (CRC-32: 4 bytes)
  bool opened = false;
  bool readFailed = false;
  std::string errorText;
};

// The hash of a whole file, as FileCrc32 hashes one: a file that cannot be
// opened gives an empty digest, no report and the reason in errorText.
FileHashResult FileHash(const std::string& path, HashKind kind, const StopFlag* stopFlag, NoticeTarget* target,
                        SafePoint* safePoint = nullptr);

// The 4 bytes of a CRC-32, most significant first, and back.
std::string Crc32Bytes(std::uint32_t crc);
std::uint32_t Crc32FromBytes(const std::string& bytes);
