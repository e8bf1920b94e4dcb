#include "platform/sequential_reader.h"

#include "platform/read_helpers.h"

namespace platform {

SequentialReader::SequentialReader(File& file, std::size_t pieceSize, std::size_t plainPieces,
                                   std::size_t aheadPieces)
    : file_(file), pieceSize_(pieceSize), plainLeft_(plainPieces), aheadPieces_(aheadPieces), slots_(1) {
  slots_[0].bytes = TakeBuffer(pieceSize_);
  if (plainLeft_ == 0 && aheadPieces_ > 0) StartHelper();
}

SequentialReader::~SequentialReader() {
  if (helper_) {
    {
      std::lock_guard<Mutex> lock(mutex_);
      stop_ = true;
    }
    slotFree_.NotifyOne();
    // A read already under way is let finish: the helper looks at stop_
    // between two reads.
    DismissHelper(std::move(helper_));
  }
  for (Slot& slot : slots_) GiveBackBuffer(std::move(slot.bytes), pieceSize_);
}

void SequentialReader::StartHelper() {
  slots_.resize(aheadPieces_ + 1);
  for (Slot& slot : slots_) {
    if (!slot.bytes) slot.bytes = TakeBuffer(pieceSize_);
  }
  // Without a thread the caller's thread reads on by itself.
  helper_ = HireHelper(this);
}

bool SequentialReader::Next(const unsigned char*& data, std::size_t& size, std::string& errorText) {
  if (ended_) {
    data = slots_[0].bytes.get();
    size = 0;
    return true;
  }
  if (!helper_) {
    Slot& slot = slots_[0];
    slot.ok = file_.Read(slot.bytes.get(), pieceSize_, slot.size, slot.errorText);
    if (plainLeft_ > 0) --plainLeft_;
    if (slot.ok && slot.size == pieceSize_ && plainLeft_ == 0 && aheadPieces_ > 0) {
      // The caller holds this piece (number 0, in slot 0); the helper goes
      // on with the next ones.
      taken_ = read_ = 1;
      StartHelper();  // may move the slots
    }
    return Hand(slots_[0], data, size, errorText);
  }
  {
    std::lock_guard<Mutex> lock(mutex_);
    released_ = taken_;  // the caller is done with the piece it held
    if (helperWaits_) slotFree_.NotifyOne();
  }
  WatchBriefly([this] { return read_.load(std::memory_order_acquire) > taken_; });
  std::unique_lock<Mutex> lock(mutex_);
  while (read_ <= taken_) {
    callerWaits_ = true;
    pieceRead_.Wait(lock);
    callerWaits_ = false;
  }
  Slot& slot = slots_[taken_ % slots_.size()];
  ++taken_;
  lock.unlock();
  return Hand(slot, data, size, errorText);
}

bool SequentialReader::Hand(const Slot& slot, const unsigned char*& data, std::size_t& size,
                            std::string& errorText) {
  data = slot.bytes.get();
  size = slot.size;
  if (!slot.ok) {
    errorText = slot.errorText;
    ended_ = true;
    return false;
  }
  // A short piece was cut by a read that found the end (File::Read fills
  // the piece until then): nothing more to read.
  if (size < pieceSize_) ended_ = true;
  return true;
}

void SequentialReader::WorkOnHelper() {
  for (;;) {
    std::size_t piece = 0;
    WatchBriefly([this] {
      return stop_.load(std::memory_order_acquire) ||
             read_.load(std::memory_order_relaxed) < released_.load(std::memory_order_acquire) + slots_.size();
    });
    {
      std::unique_lock<Mutex> lock(mutex_);
      while (!stop_ && read_ >= released_ + slots_.size()) {
        helperWaits_ = true;
        slotFree_.Wait(lock);
        helperWaits_ = false;
      }
      if (stop_) return;
      piece = read_;
    }
    // The slot is the helper's alone until read_ passes it.
    Slot& slot = slots_[piece % slots_.size()];
    slot.ok = file_.Read(slot.bytes.get(), pieceSize_, slot.size, slot.errorText);
    const bool last = !slot.ok || slot.size < pieceSize_;
    bool wake = false;
    {
      std::lock_guard<Mutex> lock(mutex_);
      read_ = piece + 1;
      wake = callerWaits_;
    }
    if (wake) pieceRead_.NotifyOne();
    if (last) return;
  }
}

}  // namespace platform
