// What the readers that work with a helper thread have in common: helper
// threads kept parked between files, read buffers kept between files, and a
// brief watch before a sleep at a hand-over.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>

#include "platform/page_buffer.h"

namespace platform {

// Work done on a helper thread for a reader.
class HelperWork {
 public:
  // Returns once the work is done, or once the reader has asked it to stop.
  virtual void WorkOnHelper() = 0;

 protected:
  ~HelperWork() = default;
};

struct ReadAheadHelper;

// Hands work to a parked helper thread at the caller's priority, else to a
// new one; null when no thread can be started. Starting a thread costs
// milliseconds under Wine; a helper with nothing to do for a while ends.
std::shared_ptr<ReadAheadHelper> HireHelper(HelperWork* work);
// Waits until the helper's WorkOnHelper has returned (the reader has asked
// it to stop first), then parks the helper for the next reader.
void DismissHelper(std::shared_ptr<ReadAheadHelper> helper);

// A page-aligned read buffer of size bytes, not zeroed; handed back with
// GiveBackBuffer for the next reader.
PageBuffer TakeBuffer(std::size_t size);
void GiveBackBuffer(PageBuffer buffer, std::size_t size);
// The same for buffers read into past the page cache (AllocateDirectReadBuffer).
PageBuffer TakeDirectReadBuffer(std::size_t size);
void GiveBackDirectReadBuffer(PageBuffer buffer, std::size_t size);

// Waits a moment (up to 50 us) for ready() to hold, without sleeping: the
// other side is usually at work on another processor and about to get
// there, and being woken from a sleep costs more (tens of microseconds on a
// busy virtual machine) than the wait itself. The caller then sleeps if need
// be.
template <class Ready>
void WatchBriefly(Ready ready) {
  constexpr auto kWatchTime = std::chrono::microseconds(50);
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

}  // namespace platform
