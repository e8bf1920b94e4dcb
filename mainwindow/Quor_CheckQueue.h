// The main window's check queue and job control, without the window: turns
// check requests into queue entries, starts one worker at a time, parks
// requests that arrive while it runs and starts them when it ends, and turns
// the user's pause and stop requests into flag changes. Everything here runs
// on the main thread; the worker only reads the flags (and clears SkipFlag).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Quor_Notify.h"
#include "platform/threads.h"

// What the queue needs from whoever runs the check worker (the window, or a
// test). The port reports the end of a worker's run by calling
// CheckQueue::OnWorkerDone on the main thread.
class WorkerPort {
 public:
  virtual ~WorkerPort() = default;
  // Starts a worker on the queue text at that priority. False when none
  // could be started (the queue then stays idle).
  virtual bool LaunchWorker(const std::string& queueText, platform::ThreadPriority priority) = 0;
  // Holds the running worker at its next safe point. True when it was not
  // held before (the same test as "the suspend count was 0").
  virtual bool PauseWorker() = 0;
  // Lets a held worker go on. True when it was held before.
  virtual bool ResumeWorker() = 0;
  virtual bool SetWorkerPriority(platform::ThreadPriority priority) = 0;
};

// The OS priority of each "Set Priority" level 0..3; anything else counts
// as 2 ("Below Normal").
platform::ThreadPriority PriorityForLevel(int level);

class CheckQueue {
 public:
  explicit CheckQueue(WorkerPort& port) : port_(port) {}

  // Options the window keeps in step with its settings.
  bool CheckSubFolders = true;  // "Check Sub-folders": folder checks descend
  int ThreadPriority = 2;       // the worker's priority, 0 Idle .. 3 Normal

  // Stop requests, read by the worker by address.
  StopFlag AbortFlag{0};  // end the run after the file being hashed
  StopFlag HaltFlag{0};   // cut the file being hashed short
  StopFlag SkipFlag{0};   // end the current SFV file (the worker clears it)
  StopFlag PauseFlag{0};  // the worker is held by a pause

  // The one entry point for check requests: queues behind a running worker
  // or starts a run.
  void SubmitCheck(const std::string& path, bool isFolder, bool specific);
  // Starts a new run (counters from 0); for places where no worker runs.
  void StartCheckRun(const std::string& path, bool isFolder, bool specific);
  // The queue text for a request; counts its SFV files in QueuedSfvCount
  // and remembers the last one in LastQueuedSfv.
  std::string BuildQueueEntries(const std::string& path, bool isFolder, bool specific);
  void StartWorker(const std::string& queueText);
  // The worker's run has ended: starts what waits, or goes idle.
  void OnWorkerDone();

  // "ReCheck Last": the last SFV file queued, alone, all files; only when
  // idle. True when a run was started.
  bool ReCheckLast();
  // "Pause" / "Resume". True when the state changed.
  bool TogglePause();
  void ResumeIfPaused();
  void SkipSfv();    // "Skip SFV"
  void AbortTest();  // "Abort Test"
  void Halt();       // "!HALT!"
  // A key the window previews: Esc (27) aborts, a second Esc halts; space
  // (32) toggles the pause. Other characters do nothing.
  void KeyPress(char character);
  void ExitRequested();  // "Exit": halts; the window then closes
  void Closing();        // the window closes: halt and wake the worker
  // The priority level changed: applies it to the running worker.
  void ApplyThreadPriority();

  bool Running() const { return running_; }
  bool Paused() const { return pauseTag_ == 1; }
  // "Pause" while running, "Resume" while paused.
  const char* PauseCaption() const { return Paused() ? "Resume" : "Pause"; }
  const std::vector<std::string>& PendingQueue() const { return pending_; }
  std::int32_t QueuedSfvCount() const { return queuedSfvCount_; }
  std::int32_t StartedSfvCount() const { return startedSfvCount_; }
  const std::string& LastQueuedSfv() const { return lastQueuedSfv_; }
  // The worker's CN_NEXT_SFV: it has taken the next entry.
  void CountStartedSfv() { ++startedSfvCount_; }

 private:
  WorkerPort& port_;
  bool running_ = false;
  int pauseTag_ = 0;  // 0 running ("Pause" shown), 1 paused ("Resume" shown)
  std::vector<std::string> pending_;
  std::int32_t queuedSfvCount_ = 0;
  std::int32_t startedSfvCount_ = 0;
  std::string lastQueuedSfv_;
};
