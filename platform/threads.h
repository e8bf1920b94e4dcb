// A worker thread whose priority can be changed while it runs. Wraps
// std::thread; the priority levels are the four the program offers.
#pragma once

#include <functional>
#include <memory>
#include <thread>

namespace platform {

enum class ThreadPriority { Idle = 0, Lowest = 1, BelowNormal = 2, Normal = 3 };

// The priority the calling thread runs at, so that a helper thread it starts
// can run at the same one (on Windows a new thread starts at Normal).
ThreadPriority CurrentThreadPriority();

// The processors this process may run on: those its affinity allows (as
// `taskset` or `start /affinity` set it), not all the machine has.
unsigned UsableProcessors();

// False when, at this moment, every usable processor has a thread running
// or waiting to run (the calling one among them): a helper started now
// would only take turns with them. True where the system cannot tell
// (Windows).
bool ProcessorFreeNow();

class Thread {
 public:
  Thread() = default;
  ~Thread();  // joins a thread that is still running
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Runs body on a new thread at the given priority.
  void Start(std::function<void()> body, ThreadPriority priority = ThreadPriority::Normal);
  // Changes the priority of the running thread; false when it is not running
  // or the system refuses.
  bool SetPriority(ThreadPriority priority);
  bool Joinable() const { return thread_.joinable(); }
  void Join();
  // Lets the thread run on by itself (the process may end without waiting).
  void Detach();

  struct Native;  // the system's handle of the thread (opaque)

 private:
  std::thread thread_;
  std::shared_ptr<Native> native_;
};

}  // namespace platform
