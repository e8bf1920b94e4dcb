#include "platform/sequential_reader.h"

#include <system_error>

namespace platform {

SequentialReader::SequentialReader(File& file, std::size_t pieceSize, std::size_t plainPieces,
                                   std::size_t aheadPieces)
    : file_(file), pieceSize_(pieceSize), plainLeft_(plainPieces), aheadPieces_(aheadPieces), slots_(1) {
  slots_[0].bytes = std::make_unique<unsigned char[]>(pieceSize_);
  if (plainLeft_ == 0 && aheadPieces_ > 0) StartHelper();
}

SequentialReader::~SequentialReader() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  slotFree_.notify_one();
  // A read already under way is let finish: the helper looks at stop_
  // between two reads.
  helper_.Join();
}

void SequentialReader::StartHelper() {
  slots_.resize(aheadPieces_ + 1);
  for (Slot& slot : slots_) {
    if (!slot.bytes) slot.bytes = std::make_unique<unsigned char[]>(pieceSize_);
  }
  try {
    helper_.Start([this] { ReadAhead(); }, CurrentThreadPriority());
  } catch (const std::system_error&) {
    // No thread to be had: the caller's thread reads on by itself.
  }
}

bool SequentialReader::Next(const unsigned char*& data, std::size_t& size, std::string& errorText) {
  if (ended_) {
    data = slots_[0].bytes.get();
    size = 0;
    return true;
  }
  if (!helper_.Joinable()) {
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
  std::unique_lock<std::mutex> lock(mutex_);
  released_ = taken_;  // the caller is done with the piece it held
  slotFree_.notify_one();
  pieceRead_.wait(lock, [this] { return read_ > taken_; });
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
  if (size == 0) ended_ = true;
  return true;
}

void SequentialReader::ReadAhead() {
  for (;;) {
    std::size_t piece = 0;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      slotFree_.wait(lock, [this] { return stop_ || read_ < released_ + slots_.size(); });
      if (stop_) return;
      piece = read_;
    }
    // The slot is the helper's alone until read_ passes it.
    Slot& slot = slots_[piece % slots_.size()];
    slot.ok = file_.Read(slot.bytes.get(), pieceSize_, slot.size, slot.errorText);
    const bool last = !slot.ok || slot.size == 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      read_ = piece + 1;
    }
    pieceRead_.notify_one();
    if (last) return;
  }
}

}  // namespace platform
