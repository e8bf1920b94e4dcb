#include "platform/sequential_reader.h"

#include <chrono>
#include <system_error>

#include "platform/threads.h"

namespace platform {

// A thread that reads ahead for one SequentialReader at a time, and waits
// for the next one in between.
struct ReadAheadHelper {
  Mutex mutex;
  Condition changed;  // a reader was handed over, or the helper is done with it
  SequentialReader* reader = nullptr;
  bool ended = false;  // the thread has ended; no reader may be handed over
  ThreadPriority priority = ThreadPriority::Normal;
};

namespace {

// A helper with nothing to do for this long ends.
constexpr unsigned kIdleMilliseconds = 2000;

// The helpers waiting for a reader, shared by all threads.
class HelperPool {
 public:
  // Hands reader to a waiting helper of the given priority, else to a new
  // one; null when no thread can be started.
  std::shared_ptr<ReadAheadHelper> Hire(SequentialReader* reader, ThreadPriority priority,
                                        void (*serve)(const std::shared_ptr<ReadAheadHelper>&)) {
    {
      std::lock_guard<Mutex> lock(mutex_);
      for (std::size_t i = idle_.size(); i-- > 0;) {
        if (idle_[i]->priority != priority) continue;
        std::shared_ptr<ReadAheadHelper> helper = std::move(idle_[i]);
        idle_.erase(idle_.begin() + static_cast<std::ptrdiff_t>(i));
        std::lock_guard<Mutex> helperLock(helper->mutex);
        if (helper->ended) continue;
        helper->reader = reader;
        helper->changed.NotifyAll();
        return helper;
      }
    }
    auto helper = std::make_shared<ReadAheadHelper>();
    helper->priority = priority;
    helper->reader = reader;
    try {
      Thread thread;
      thread.Start([helper, serve] { serve(helper); }, priority);
      thread.Detach();  // it ends by itself once idle
    } catch (const std::system_error&) {
      return nullptr;
    }
    return helper;
  }

  void Release(std::shared_ptr<ReadAheadHelper> helper) {
    std::lock_guard<Mutex> lock(mutex_);
    idle_.push_back(std::move(helper));
  }

 private:
  Mutex mutex_;
  std::vector<std::shared_ptr<ReadAheadHelper>> idle_;
};

// Never destroyed: helpers may still be waiting in it when the process ends.
HelperPool& Pool() {
  static HelperPool* pool = new HelperPool;
  return *pool;
}

// Piece buffers kept between readers. A fresh buffer for every file costs
// under Wine: a block this large is a VirtualAlloc and VirtualFree of its own
// (some 100 us), and every page's first touch a fault (a 1 MiB buffer zeroed:
// 5 to 7 ms). They are kept in one shared list, not one per thread: MinGW
// runs the destructors of thread_local objects after it has freed the
// thread's storage for them.
class SpareBuffers {
 public:
  std::unique_ptr<unsigned char[]> Take(std::size_t size) {
    {
      std::lock_guard<Mutex> lock(mutex_);
      if (size_ == size && !buffers_.empty()) {
        std::unique_ptr<unsigned char[]> buffer = std::move(buffers_.back());
        buffers_.pop_back();
        return buffer;
      }
    }
    return std::unique_ptr<unsigned char[]>(new unsigned char[size]);  // not zeroed: reads fill it
  }

  void GiveBack(std::unique_ptr<unsigned char[]> buffer, std::size_t size) {
    if (!buffer) return;
    std::lock_guard<Mutex> lock(mutex_);
    if (size_ != size) {
      buffers_.clear();
      size_ = size;
    }
    if (buffers_.size() < kMost) buffers_.push_back(std::move(buffer));
  }

 private:
  static constexpr std::size_t kMost = 16;
  Mutex mutex_;
  std::vector<std::unique_ptr<unsigned char[]>> buffers_;
  std::size_t size_ = 0;  // the size of each
};

// Never destroyed, like the pool: a reader may still be at work while the
// process ends.
SpareBuffers& Spares() {
  static SpareBuffers* spares = new SpareBuffers;
  return *spares;
}

std::unique_ptr<unsigned char[]> TakeBuffer(std::size_t size) { return Spares().Take(size); }

void GiveBack(std::unique_ptr<unsigned char[]> buffer, std::size_t size) { Spares().GiveBack(std::move(buffer), size); }

// Waits up to kWatchMicroseconds for ready() to hold, without sleeping: the
// other side is usually at work on another processor and about to get
// there, and being woken from a sleep costs more (tens of microseconds on a
// busy virtual machine) than the wait itself.
constexpr auto kWatchTime = std::chrono::microseconds(50);

template <class Ready>
void WatchBriefly(Ready ready) {
  if (ready()) return;
  const auto until = std::chrono::steady_clock::now() + kWatchTime;
  for (;;) {
    for (int i = 0; i < 32; ++i) {
      if (ready()) return;
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
    }
    if (std::chrono::steady_clock::now() >= until) return;
  }
}

}  // namespace

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
    {
      std::unique_lock<Mutex> lock(helper_->mutex);
      while (helper_->reader == this) helper_->changed.Wait(lock);
    }
    Pool().Release(std::move(helper_));
  }
  for (Slot& slot : slots_) GiveBack(std::move(slot.bytes), pieceSize_);
}

void SequentialReader::StartHelper() {
  slots_.resize(aheadPieces_ + 1);
  for (Slot& slot : slots_) {
    if (!slot.bytes) slot.bytes = TakeBuffer(pieceSize_);
  }
  // Without a thread the caller's thread reads on by itself.
  helper_ = Pool().Hire(this, CurrentThreadPriority(), &SequentialReader::Serve);
}

void SequentialReader::Serve(const std::shared_ptr<ReadAheadHelper>& helper) {
  std::unique_lock<Mutex> lock(helper->mutex);
  for (;;) {
    if (SequentialReader* reader = helper->reader) {
      lock.unlock();
      reader->ReadAhead();
      lock.lock();
      helper->reader = nullptr;
      helper->changed.NotifyAll();
    } else if (!helper->changed.WaitFor(lock, kIdleMilliseconds) && !helper->reader) {
      helper->ended = true;
      return;
    }
  }
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
  if (size == 0) ended_ = true;
  return true;
}

void SequentialReader::ReadAhead() {
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
    const bool last = !slot.ok || slot.size == 0;
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
