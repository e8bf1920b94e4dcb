// Reads an open file from its current position to its end in pieces of one
// size, for a caller that takes the pieces in order and works on each one
// (hashes it) before it asks for the next. The first pieces are read on the
// caller's thread; after them a helper thread reads ahead, so that the next
// pieces are being read while the caller works on the current one.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/read_helpers.h"
#include "platform/sync.h"

namespace platform {

class SequentialReader final : private HelperWork {
 public:
  // Reads file in pieces of pieceSize bytes. The first plainPieces pieces
  // are read on the caller's thread, in Next; when the file goes on past
  // them, a helper thread (at the caller's priority) reads up to aheadPieces
  // pieces ahead of the one the caller holds. aheadPieces 0: never a helper.
  // A file that ends within the plain pieces never needs one. The caller
  // leaves the file alone while the reader lives.
  SequentialReader(File& file, std::size_t pieceSize, std::size_t plainPieces, std::size_t aheadPieces);
  // Stops the helper and waits until it is done with this reader: no read
  // of the file is left running.
  ~SequentialReader();
  SequentialReader(const SequentialReader&) = delete;
  SequentialReader& operator=(const SequentialReader&) = delete;

  // Hands out the next piece; the bytes stay valid until the next call.
  // size is pieceSize except at the end (a shorter piece, then 0 for every
  // call after the end). False on a read error, with errorText and size the
  // bytes read before the error; no piece follows a failed one.
  bool Next(const unsigned char*& data, std::size_t& size, std::string& errorText);

  // True once a helper thread reads ahead for this reader (for tests).
  bool ReadsAhead() const { return helper_ != nullptr; }

 private:
  struct Slot {
    PageBuffer bytes;
    std::size_t size = 0;
    bool ok = true;
    std::string errorText;
  };

  bool Hand(const Slot& slot, const unsigned char*& data, std::size_t& size, std::string& errorText);
  void StartHelper();
  void WorkOnHelper() override;  // reads ahead, on the helper's thread

  File& file_;
  const std::size_t pieceSize_;
  std::size_t plainLeft_;
  const std::size_t aheadPieces_;
  // Slot i % slots_.size() holds piece i. With a helper: aheadPieces_ being
  // read or waiting, plus the one the caller holds.
  std::vector<Slot> slots_;
  bool ended_ = false;  // the last piece (empty or failed) has been read

  // Shared with the helper, under mutex_. Pieces below released_ are done
  // with; the caller holds piece taken_ - 1; read_ pieces have been read.
  // A side that waits says so, and is woken only then.
  Mutex mutex_;
  Condition pieceRead_;
  Condition slotFree_;
  // released_, read_ and stop_ change only under mutex_, but are atomic so
  // that a side can watch them for a moment before it goes to sleep.
  std::atomic<std::size_t> released_{0};
  std::size_t taken_ = 0;
  std::atomic<std::size_t> read_{0};
  std::atomic<bool> stop_{false};
  bool callerWaits_ = false;
  bool helperWaits_ = false;
  std::shared_ptr<ReadAheadHelper> helper_;
};

}  // namespace platform
