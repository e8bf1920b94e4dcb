// Progress of a check, counted from the worker's notices: the bytes of the
// SFV file being checked and how many of them are done, and the percentage
// they make. Both front ends keep these counters (the main window for its
// bar and caption, quor-cli for its progress line); each decides itself
// when to tick and what to show. All arithmetic is 64-bit: totals above
// 4 GiB come out right.
#pragma once

#include <cstdint>

// What a notice asks of a front end besides the counters.
enum class NoticeEffect {
  None,        // counted (or ignored)
  BusyCursor,  // CN_BUSY: the file list shows the hourglass
  IdleCursor,  // CN_IDLE: the default cursor again
  TimerOn,     // CN_TIMER_ON: (re)start the one-second timer
  SfvDone,     // CN_SFV_DONE: the SFV file is done; stop the timer
  NextSfv,     // CN_NEXT_SFV: one more SFV file begun (the queue counts it)
};

class ProgressCounters {
 public:
  std::int64_t SfvTotalBytes = 0;
  std::int64_t SfvBytesDone = 0;
  // SfvBytesDone when the speed was last measured; the front end's tick
  // moves it on.
  std::int64_t BytesAtLastTick = 0;

  // Applies a WM_CHECKNOTIFY notice to the counters.
  NoticeEffect Apply(std::uint32_t code, std::uint32_t value);
};

// percent of done in total, 0..100 (0 for a total of 0), without overflow.
int PercentDone(std::int64_t done, std::int64_t total);
