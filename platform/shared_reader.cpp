#include "platform/shared_reader.h"

#include <algorithm>

#include "platform/threads.h"

namespace platform {

SharedReader::SharedReader(File& file, std::size_t pieceSize, std::size_t plainPieces, std::size_t aheadPieces,
                           Digest digest, bool askFirst)
    : file_(file),
      pieceSize_(pieceSize),
      plainPieces_(plainPieces),
      aheadPieces_(aheadPieces),
      digest_(digest),
      askFirst_(askFirst),
      own_(TakeBuffer(pieceSize)) {}

SharedReader::~SharedReader() {
  if (helper_) {
    {
      std::lock_guard<Mutex> lock(mutex_);
      stop_ = true;
    }
    slotFree_.NotifyOne();
    // A read already under way is let finish: the helper looks at stop_
    // between two pieces.
    DismissHelper(std::move(helper_));
  }
  GiveBackBuffer(std::move(own_), pieceSize_);
  for (HelperSlot& slot : slots_) GiveBackBuffer(std::move(slot.bytes), pieceSize_);
}

void SharedReader::StartHelper() {
  shareFrom_ = next_;
  slots_.resize(aheadPieces_);
  for (HelperSlot& slot : slots_) slot.bytes = TakeBuffer(pieceSize_);
  // Without a thread the caller reads on by itself.
  helper_ = HireHelper(this);
}

void SharedReader::Release(std::uint64_t upTo) {
  std::lock_guard<Mutex> lock(mutex_);
  if (upTo <= released_) return;
  released_ = upTo;
  if (helperWaits_) slotFree_.NotifyOne();
}

bool SharedReader::Next(Piece& piece, std::string& errorText) {
  piece = Piece{};
  if (ended_) {
    piece.data = own_.get();
    return true;
  }
  if (holdsHelpers_) {
    holdsHelpers_ = false;
    Release(heldK_ + 1);  // the caller is done with the helper's piece it held
  }
  const std::uint64_t number = next_++;
  // With every processor taken by other programs, the helper would only
  // take turns with them (FileCrc32 has the figures).
  if (!helper_ && number == plainPieces_ && aheadPieces_ > 0 && (!askFirst_ || ProcessorFreeNow())) StartHelper();
  if (!IsHelpers(number)) return ReadHere(own_.get(), number, piece, errorText);

  const std::uint64_t k = (number - shareFrom_ - 1) / 2;  // the helper's k-th piece
  const auto ready = [this, k] {
    return taken_.load(std::memory_order_acquire) > k || gaveUp_.load(std::memory_order_acquire);
  };
  // The helper at work on this piece (or about to take its first) is
  // usually done in a moment; one that has not got to it is behind.
  if (!ready() && (k == 0 || claimed_.load(std::memory_order_acquire) > k)) WatchBriefly(ready);
  if (taken_.load(std::memory_order_acquire) <= k) {
    // The helper is behind; the caller reads the piece itself. One that
    // keeps falling behind (more than a quarter of its pieces) has no
    // processor to itself, and the caller reads the rest alone rather than
    // share its own. It is judged from its kFirstJudged-th piece on only:
    // its first pieces are slow for reasons that pass (the first touches of
    // its buffers; on a virtual machine an idle processor took up to 2 ms to
    // wake). quor-cli check of 1 GiB in four files, means of 8: judged from
    // the 64th piece on, 81-82 ms, and 147-150 ms with the other processor
    // busy (yes > /dev/null; one thread alone 138-140 ms); never given up,
    // 82-86 ms and 165-170 ms; judged from the 16th, 90-95 ms and 146-150 ms.
    const bool started = claimed_.load(std::memory_order_acquire) > 0;
    if (started && ++takenOver_ * 4 > k + 1 && k + 1 >= kFirstJudged && !stop_) {
      std::lock_guard<Mutex> lock(mutex_);
      stop_ = true;
      gaveUp_ = true;
      if (helperWaits_) slotFree_.NotifyOne();
    }
    Release(k + 1);  // the helper skips it
    return ReadHere(own_.get(), number, piece, errorText);
  }
  HelperSlot& slot = slots_[k % slots_.size()];
  holdsHelpers_ = true;
  heldK_ = k;
  if (slot.k != k) {
    // Not this piece: never expected, but then the caller reads it.
    return ReadHere(own_.get(), number, piece, errorText);
  }
  switch (slot.taken) {
    case Taken::Digested:
      piece.data = slot.bytes.get();
      piece.size = pieceSize_;
      piece.digested = true;
      piece.digest = slot.digest;
      return true;
    case Taken::End:
      piece.data = slot.bytes.get();
      ended_ = true;
      return true;
    case Taken::LeftToCaller:
      break;
  }
  return ReadHere(slot.bytes.get(), number, piece, errorText);
}

bool SharedReader::ReadHere(unsigned char* buffer, std::uint64_t number, Piece& piece, std::string& errorText) {
  piece.data = buffer;
  // Until a helper shares the file the caller reads it in order from its
  // position: under Wine a read at an offset is two system calls (the read,
  // then a seek to keep the position), which a check of many small files
  // pays on every one.
  const bool ok = helper_ ? file_.ReadAt(number * pieceSize_, buffer, pieceSize_, piece.size, errorText)
                          : file_.Read(buffer, pieceSize_, piece.size, errorText);
  if (!ok || piece.size < pieceSize_) ended_ = true;
  return ok;
}

void SharedReader::WorkOnHelper() {
  unsigned misses = 0;  // pieces not (all) in memory
  for (std::uint64_t k = 0;; ++k) {
    const auto slotFree = [this, &k] {
      k = std::max(k, released_.load(std::memory_order_acquire));  // what the caller read itself is skipped
      return stop_.load(std::memory_order_acquire) || k < released_.load(std::memory_order_acquire) + slots_.size();
    };
    WatchBriefly(slotFree);
    {
      std::unique_lock<Mutex> lock(mutex_);
      while (!slotFree()) {
        helperWaits_ = true;
        slotFree_.Wait(lock);
        helperWaits_ = false;
      }
      if (stop_) return;
      claimed_.store(k + 1, std::memory_order_release);
    }
    // The slot is the helper's alone until taken_ passes it.
    HelperSlot& slot = slots_[k % slots_.size()];
    const std::uint64_t offset = (shareFrom_ + 1 + 2 * k) * pieceSize_;
    std::size_t got = 0;
    Taken taken = Taken::Digested;
    if (!file_.ReadCachedAt(offset, slot.bytes.get(), pieceSize_, got) || (got > 0 && got < pieceSize_)) {
      // Not (all) in memory, the end, or an error: the caller finds out.
      taken = Taken::LeftToCaller;
      ++misses;
    } else if (got == 0) {
      taken = Taken::End;
    } else {
      slot.digest = digest_(slot.bytes.get(), got);
    }
    slot.k = k;
    slot.taken = taken;
    // Linux refuses a read that must not wait at a page still marked for
    // reading ahead, even where the whole file is in memory: in files
    // written and read once, one helper piece in twenty failed so, and the
    // rest of it failed again at once. So only a few misses mean that the
    // rest of the file is not in memory either; the caller then reads it in
    // order, and the helper leaves it.
    const bool leaves = misses >= kMostMisses;
    {
      std::lock_guard<Mutex> lock(mutex_);
      taken_.store(k + 1, std::memory_order_release);
      if (leaves) gaveUp_ = true;
    }
    if (leaves || taken == Taken::End) return;
  }
}

}  // namespace platform
