// Pause for a worker: the window closes the gate, the worker waits at its
// next safe point (between two CRC blocks, or between two files) until the
// gate opens again. A stop request opens the gate, so a paused worker wakes
// up and sees the flag.
#pragma once

#include <condition_variable>
#include <initializer_list>
#include <mutex>

#include "core/Quor_Notify.h"

class PauseGate : public SafePoint {
 public:
  // Main thread. Pause is true when the gate was open (the worker is now
  // held at its next safe point); Resume is true when it was closed.
  bool Pause();
  bool Resume();
  bool IsPaused() const;
  // The number of threads held at the gate right now.
  int Waiting() const;

  // Main thread: sets the flags, then opens the gate. Use this for every
  // stop request while a worker may be paused; pass all flags of one
  // request at once ({&HaltFlag, &AbortFlag}) so the worker wakes to see
  // them all.
  void RequestStop(std::initializer_list<StopFlag*> flags);

  // Worker thread: returns at once while the gate is open, otherwise when
  // it opens.
  void Wait() override;

 private:
  mutable std::mutex mutex_;
  std::condition_variable opened_;
  bool paused_ = false;
  int waiting_ = 0;
};
