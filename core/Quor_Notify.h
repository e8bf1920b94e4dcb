// The notices a worker sends to its window, and the stop flags it polls.
#pragma once

#include <atomic>
#include <cstdint>

// The private window message that carries a notice (WM_USER + 42).
inline constexpr unsigned WM_CHECKNOTIFY = 0x0400 + 42;

// wParam of WM_CHECKNOTIFY.
enum NotifyCode : std::uint32_t {
  CN_BUSY = 111,
  CN_IDLE = 112,
  CN_TIMER_ON = 127,
  CN_SFV_DONE = 129,
  CN_SFV_BEGIN = 132,
  CN_NEXT_SFV = 134,
  CN_TOTAL_HI = 137,
  CN_TOTAL_LO = 138,
  CN_BYTES_DONE = 139,
  CN_FOLDER_COUNT = 151,
  CN_NEXT_FOLDER = 152,
};

// Receives notices in the order they are sent; the receiver has taken what it
// needs when Notify returns. The window handles a notice before Notify
// returns (WM_CHECKNOTIFY), except CN_BYTES_DONE, which it adds up and counts
// before the next notice it handles; tests record.
class NoticeTarget {
 public:
  virtual ~NoticeTarget() = default;
  virtual void Notify(NotifyCode code, std::uint32_t value) = 0;
};

// A stop request shared between the window thread (which sets it) and a
// worker (which polls it). Non-zero means stop.
using StopFlag = std::atomic<std::uint8_t>;

inline bool IsSet(const StopFlag* flag) {
  return flag != nullptr && flag->load(std::memory_order_relaxed) != 0;
}

// A place between two steps of a long loop where the worker may be held,
// for a pause. Wait returns when the worker may go on.
class SafePoint {
 public:
  virtual ~SafePoint() = default;
  virtual void Wait() = 0;
};
