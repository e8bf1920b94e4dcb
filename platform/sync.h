// A mutex and a condition variable for threads that hand work to each other
// often. On POSIX they are the standard ones. On Windows they are an SRW
// lock and a CONDITION_VARIABLE: the standard ones of the MinGW runtime are
// built on kernel events, and under Wine every wait or wake on those is a
// round trip to the wineserver (half a millisecond measured, against some
// 25 microseconds for these).
#pragma once

#include <mutex>

#ifndef _WIN32
#include <chrono>
#include <condition_variable>
#endif

namespace platform {

#ifdef _WIN32

class Mutex {
 public:
  Mutex() = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void lock();
  void unlock();

 private:
  friend class Condition;
  void* lock_ = nullptr;  // an SRWLOCK; all zero is its initial state
};

class Condition {
 public:
  Condition() = default;
  Condition(const Condition&) = delete;
  Condition& operator=(const Condition&) = delete;
  // Releases the lock while waiting; may wake without a notice.
  void Wait(std::unique_lock<Mutex>& lock);
  // As Wait, for at most milliseconds; false when the time ran out.
  bool WaitFor(std::unique_lock<Mutex>& lock, unsigned milliseconds);
  void NotifyOne();
  void NotifyAll();

 private:
  void* condition_ = nullptr;  // a CONDITION_VARIABLE; all zero is its initial state
};

#else

using Mutex = std::mutex;

class Condition {
 public:
  void Wait(std::unique_lock<Mutex>& lock) { condition_.wait(lock); }
  bool WaitFor(std::unique_lock<Mutex>& lock, unsigned milliseconds) {
    return condition_.wait_for(lock, std::chrono::milliseconds(milliseconds)) == std::cv_status::no_timeout;
  }
  void NotifyOne() { condition_.notify_one(); }
  void NotifyAll() { condition_.notify_all(); }

 private:
  std::condition_variable condition_;
};

#endif

}  // namespace platform
