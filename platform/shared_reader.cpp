#include "platform/shared_reader.h"

namespace platform {

SharedReader::SharedReader(File& file, std::size_t pieceSize, std::size_t plainPieces, std::size_t aheadPieces,
                           Digest digest)
    : file_(file),
      pieceSize_(pieceSize),
      plainPieces_(plainPieces),
      aheadPieces_(aheadPieces),
      digest_(digest),
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

bool SharedReader::Next(Piece& piece, std::string& errorText) {
  piece = Piece{};
  if (ended_) {
    piece.data = own_.get();
    return true;
  }
  if (holdsHelpers_) {
    holdsHelpers_ = false;
    std::lock_guard<Mutex> lock(mutex_);
    released_ = released_ + 1;  // the caller is done with the helper's piece it held
    if (helperWaits_) slotFree_.NotifyOne();
  }
  const std::uint64_t number = next_++;
  if (!helper_ && number == plainPieces_ && aheadPieces_ > 0) StartHelper();
  if (!IsHelpers(number)) return ReadHere(own_.get(), number, piece, errorText);

  const std::uint64_t k = (number - shareFrom_ - 1) / 2;  // the helper's k-th piece
  const auto ready = [this, k] {
    return taken_.load(std::memory_order_acquire) > k || gaveUp_.load(std::memory_order_acquire);
  };
  WatchBriefly(ready);
  {
    std::unique_lock<Mutex> lock(mutex_);
    while (!ready()) {
      callerWaits_ = true;
      pieceTaken_.Wait(lock);
      callerWaits_ = false;
    }
  }
  if (taken_ <= k) return ReadHere(own_.get(), number, piece, errorText);  // the helper gave up before it
  HelperSlot& slot = slots_[k % slots_.size()];
  holdsHelpers_ = true;
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
  const bool ok = file_.ReadAt(number * pieceSize_, buffer, pieceSize_, piece.size, errorText);
  if (!ok || piece.size < pieceSize_) ended_ = true;
  return ok;
}

void SharedReader::WorkOnHelper() {
  for (std::uint64_t k = 0;; ++k) {
    WatchBriefly([this, k] {
      return stop_.load(std::memory_order_acquire) || k < released_.load(std::memory_order_acquire) + slots_.size();
    });
    {
      std::unique_lock<Mutex> lock(mutex_);
      while (!stop_ && k >= released_ + slots_.size()) {
        helperWaits_ = true;
        slotFree_.Wait(lock);
        helperWaits_ = false;
      }
      if (stop_) return;
    }
    // The slot is the helper's alone until taken_ passes it.
    HelperSlot& slot = slots_[k % slots_.size()];
    const std::uint64_t offset = (shareFrom_ + 1 + 2 * k) * pieceSize_;
    std::size_t got = 0;
    Taken taken = Taken::Digested;
    if (!file_.ReadCachedAt(offset, slot.bytes.get(), pieceSize_, got) || (got > 0 && got < pieceSize_)) {
      // Not (all) in memory, the end, or an error: the caller finds out.
      // The rest of the file is likely not in memory either; the caller
      // reads it in order, and the helper leaves it.
      taken = Taken::LeftToCaller;
    } else if (got == 0) {
      taken = Taken::End;
    } else {
      slot.digest = digest_(slot.bytes.get(), got);
    }
    slot.taken = taken;
    bool wake = false;
    {
      std::lock_guard<Mutex> lock(mutex_);
      taken_ = k + 1;
      if (taken == Taken::LeftToCaller) gaveUp_ = true;
      wake = callerWaits_;
    }
    if (wake) pieceTaken_.NotifyOne();
    if (taken != Taken::Digested) return;
  }
}

}  // namespace platform
