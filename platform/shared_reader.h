// Reads an open file from its start to its end in pieces of one size, and
// shares the reading with a helper thread: after the first pieces, the
// caller and the helper take the pieces in turn, and each digests (hashes)
// the pieces it reads. Where copying a piece out of the system's file cache costs more
// than hashing it, two processors then copy at once, each into a buffer
// that stays in its own processor's cache.
//
// The helper takes only pieces already in memory (ReadCachedAt); a piece
// that would have to come from the disk it leaves to the caller. After a
// few such pieces it leaves the rest of the file to the caller too, so a
// file that is not (all) cached is read from the disk in order, by one
// thread, as without a helper.
//
// The caller never sleeps waiting for the helper. A helper piece that is not
// ready when the caller gets there (the helper is behind, or has lost its
// processor to another program) is read by the caller itself, after a brief
// watch when the helper is at work on it; the helper then goes on past it.
// So a helper that cannot run costs the caller next to nothing, and one that
// keeps falling behind is stopped for the rest of the file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/read_helpers.h"
#include "platform/sync.h"

namespace platform {

class SharedReader final : private HelperWork {
 public:
  // What the helper works out for each piece it reads, from the piece alone.
  using Digest = std::uint32_t (*)(const unsigned char* data, std::size_t size);

  // Reads file in pieces of pieceSize bytes. The first plainPieces pieces
  // are read by the caller alone; then, when the file goes on, a helper takes
  // every second piece, up to aheadPieces of its own pieces ahead of the
  // caller. aheadPieces 0: never a helper. askFirst: only when a processor
  // is free at that moment (ProcessorFreeNow). The caller leaves the file
  // alone while the reader lives.
  SharedReader(File& file, std::size_t pieceSize, std::size_t plainPieces, std::size_t aheadPieces,
               Digest digest, bool askFirst = false);
  // Stops the helper and waits until it is done with this reader.
  ~SharedReader();
  SharedReader(const SharedReader&) = delete;
  SharedReader& operator=(const SharedReader&) = delete;

  struct Piece {
    const unsigned char* data = nullptr;  // valid until the next call
    std::size_t size = 0;
    bool digested = false;  // the helper read it: digest is digest(data, size)
    std::uint32_t digest = 0;
  };

  // Hands out the next piece. size is pieceSize except at the end (a
  // shorter piece, then 0 for every call after the end). False on a read
  // error, with errorText and size the bytes read before the error; no piece
  // follows a failed one.
  bool Next(Piece& piece, std::string& errorText);

  // True once a helper thread shares the reading (for tests).
  bool HasHelper() const { return helper_ != nullptr; }

 private:
  // What became of a piece the helper took.
  enum class Taken { Digested, LeftToCaller, End };
  struct HelperSlot {
    PageBuffer bytes;
    std::uint64_t k = 0;  // the helper piece it holds
    Taken taken = Taken::LeftToCaller;
    std::uint32_t digest = 0;
  };

  bool ReadHere(unsigned char* buffer, std::uint64_t piece, Piece& out, std::string& errorText);
  bool IsHelpers(std::uint64_t piece) const { return helper_ && piece > shareFrom_ && (piece - shareFrom_) % 2 == 1; }
  void Release(std::uint64_t upTo);  // the caller is done with helper pieces below upTo
  void StartHelper();
  void WorkOnHelper() override;  // on the helper's thread

  File& file_;
  const std::size_t pieceSize_;
  const std::size_t plainPieces_;
  const std::size_t aheadPieces_;
  const Digest digest_;
  const bool askFirst_;
  PageBuffer own_;  // the caller's buffer
  std::uint64_t next_ = 0;                // the piece Next hands out next
  std::uint64_t shareFrom_ = 0;           // the helper takes shareFrom_ + 1, + 3, ...
  bool ended_ = false;                    // the last piece (empty or failed) has been handed out
  bool holdsHelpers_ = false;             // the caller holds the helper's piece last handed out,
  std::uint64_t heldK_ = 0;               // its k-th
  // Helper pieces not (all) in memory after which the helper leaves the
  // rest of the file to the caller.
  static constexpr unsigned kMostMisses = 3;
  // Helper pieces the caller read itself; from the helper's kFirstJudged-th
  // piece on, when they are more than a quarter of its pieces, the helper
  // stops.
  static constexpr std::uint64_t kFirstJudged = 64;
  unsigned takenOver_ = 0;

  // The helper's pieces: its k-th piece is shareFrom_ + 1 + 2k, in slot
  // k % slots_.size(). The helper is at work on pieces below claimed_ and
  // has finished those below taken_; the caller is done with (or has read
  // itself) those below released_, which the helper skips. The helper sleeps
  // when every slot is in use, and says so.
  std::vector<HelperSlot> slots_;
  Mutex mutex_;
  Condition slotFree_;
  std::atomic<std::uint64_t> claimed_{0};
  std::atomic<std::uint64_t> taken_{0};
  std::atomic<std::uint64_t> released_{0};
  std::atomic<bool> stop_{false};
  std::atomic<bool> gaveUp_{false};  // the helper takes no piece after its last
  bool helperWaits_ = false;
  std::shared_ptr<ReadAheadHelper> helper_;
};

}  // namespace platform
