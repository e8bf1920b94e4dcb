#include "platform/read_helpers.h"

#include <system_error>
#include <vector>

#include "platform/sync.h"
#include "platform/threads.h"

namespace platform {

// A thread that works for one reader at a time, and waits for the next one
// in between.
struct ReadAheadHelper {
  Mutex mutex;
  Condition changed;  // work was handed over, or the helper is done with it
  HelperWork* work = nullptr;
  bool ended = false;  // the thread has ended; no work may be handed over
  ThreadPriority priority = ThreadPriority::Normal;
};

namespace {

// A helper with nothing to do for this long ends.
constexpr unsigned kIdleMilliseconds = 2000;

// A helper's whole life: the work handed over, one after the other.
void Serve(const std::shared_ptr<ReadAheadHelper>& helper) {
  std::unique_lock<Mutex> lock(helper->mutex);
  for (;;) {
    if (HelperWork* work = helper->work) {
      lock.unlock();
      work->WorkOnHelper();
      lock.lock();
      helper->work = nullptr;
      helper->changed.NotifyAll();
    } else if (!helper->changed.WaitFor(lock, kIdleMilliseconds) && !helper->work) {
      helper->ended = true;
      return;
    }
  }
}

// The helpers waiting for work, shared by all threads.
class HelperPool {
 public:
  std::shared_ptr<ReadAheadHelper> Hire(HelperWork* work, ThreadPriority priority) {
    {
      std::lock_guard<Mutex> lock(mutex_);
      for (std::size_t i = idle_.size(); i-- > 0;) {
        if (idle_[i]->priority != priority) continue;
        std::shared_ptr<ReadAheadHelper> helper = std::move(idle_[i]);
        idle_.erase(idle_.begin() + static_cast<std::ptrdiff_t>(i));
        std::lock_guard<Mutex> helperLock(helper->mutex);
        if (helper->ended) continue;
        helper->work = work;
        helper->changed.NotifyAll();
        return helper;
      }
    }
    auto helper = std::make_shared<ReadAheadHelper>();
    helper->priority = priority;
    helper->work = work;
    try {
      Thread thread;
      thread.Start([helper] { Serve(helper); }, priority);
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

// Read buffers kept between readers. A fresh buffer for every file costs
// under Wine: a block this large is a VirtualAlloc and VirtualFree of its own
// (some 100 us), and every page's first touch a fault (a 1 MiB buffer zeroed:
// 5 to 7 ms). They are kept in one shared list, not one per thread: MinGW
// runs the destructors of thread_local objects after it has freed the
// thread's storage for them.
class SpareBuffers {
 public:
  explicit SpareBuffers(PageBuffer (*allocate)(std::size_t)) : allocate_(allocate) {}

  PageBuffer Take(std::size_t size) {
    {
      std::lock_guard<Mutex> lock(mutex_);
      if (size_ == size && !buffers_.empty()) {
        PageBuffer buffer = std::move(buffers_.back());
        buffers_.pop_back();
        return buffer;
      }
    }
    return allocate_(size);  // not zeroed: reads fill it
  }

  void GiveBack(PageBuffer buffer, std::size_t size) {
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
  PageBuffer (*const allocate_)(std::size_t);
  Mutex mutex_;
  std::vector<PageBuffer> buffers_;
  std::size_t size_ = 0;  // the size of each
};

// Never destroyed, like the pool: a reader may still be at work while the
// process ends.
SpareBuffers& Spares() {
  static SpareBuffers* spares = new SpareBuffers(&AllocatePageBuffer);
  return *spares;
}
SpareBuffers& DirectSpares() {
  static SpareBuffers* spares = new SpareBuffers(&AllocateDirectReadBuffer);
  return *spares;
}

}  // namespace

std::shared_ptr<ReadAheadHelper> HireHelper(HelperWork* work) {
  return Pool().Hire(work, CurrentThreadPriority());
}

void DismissHelper(std::shared_ptr<ReadAheadHelper> helper) {
  {
    std::unique_lock<Mutex> lock(helper->mutex);
    while (helper->work) helper->changed.Wait(lock);
  }
  Pool().Release(std::move(helper));
}

PageBuffer TakeBuffer(std::size_t size) { return Spares().Take(size); }

void GiveBackBuffer(PageBuffer buffer, std::size_t size) {
  Spares().GiveBack(std::move(buffer), size);
}

PageBuffer TakeDirectReadBuffer(std::size_t size) { return DirectSpares().Take(size); }

void GiveBackDirectReadBuffer(PageBuffer buffer, std::size_t size) {
  DirectSpares().GiveBack(std::move(buffer), size);
}

}  // namespace platform
