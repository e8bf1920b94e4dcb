#include "check/Quor_PauseGate.h"

bool PauseGate::Pause() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (paused_) return false;
  paused_ = true;
  return true;
}

bool PauseGate::Resume() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!paused_) return false;
    paused_ = false;
  }
  opened_.notify_all();
  return true;
}

bool PauseGate::IsPaused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return paused_;
}

void PauseGate::RequestStop(std::initializer_list<StopFlag*> flags) {
  // The flags are stored before the gate's lock is taken, so a worker that
  // wakes up under the lock sees them.
  for (StopFlag* flag : flags) {
    if (flag) flag->store(1, std::memory_order_relaxed);
  }
  Resume();
}

int PauseGate::Waiting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return waiting_;
}

void PauseGate::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!paused_) return;
  ++waiting_;
  opened_.wait(lock, [this] { return !paused_; });
  --waiting_;
}
