#include "mainwindow/Quor_CheckQueue.h"

#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Text.h"

namespace {

void Set(StopFlag& flag) { flag.store(1, std::memory_order_relaxed); }
void Clear(StopFlag& flag) { flag.store(0, std::memory_order_relaxed); }

}  // namespace

platform::ThreadPriority PriorityForLevel(int level) {
  switch (level) {
    case 0:
      return platform::ThreadPriority::Idle;
    case 1:
      return platform::ThreadPriority::Lowest;
    case 3:
      return platform::ThreadPriority::Normal;
    default:
      return platform::ThreadPriority::BelowNormal;
  }
}

void CheckQueue::SubmitCheck(const std::string& path, bool isFolder, bool specific) {
  if (!running_) {
    StartCheckRun(path, isFolder, specific);
    return;
  }
  // A file request has no line end of its own; the join gives the waiting
  // lines theirs, so the new entries always start on a line of their own.
  pending_ = SplitListText(JoinListText(pending_) + BuildQueueEntries(path, isFolder, specific));
}

void CheckQueue::StartCheckRun(const std::string& path, bool isFolder, bool specific) {
  queuedSfvCount_ = 0;
  startedSfvCount_ = 0;
  StartWorker(BuildQueueEntries(path, isFolder, specific));
}

std::string CheckQueue::BuildQueueEntries(const std::string& path, bool isFolder, bool specific) {
  if (isFolder) {
    SfvSearchResult found = FindSfvFiles(path, CheckSubFolders, specific);
    if (found.count > 0) lastQueuedSfv_ = found.lastFound;
    queuedSfvCount_ += static_cast<std::int32_t>(found.count);
    return found.queueText;
  }
  const std::string name = LongFileName(path);
  const std::string full = IncludeTrailingSeparator(ExpandShortPath(ExtractFilePath(path))) + name;
  lastQueuedSfv_ = full;
  ++queuedSfvCount_;
  return (specific ? "SPE$" : "ALL$") + full;
}

void CheckQueue::StartWorker(const std::string& queueText) {
  Clear(HaltFlag);
  Clear(AbortFlag);
  // A new worker starts unpaused, whatever the last one left behind.
  pauseTag_ = 0;
  Clear(PauseFlag);
  running_ = port_.LaunchWorker(queueText, PriorityForLevel(ThreadPriority));
}

void CheckQueue::OnWorkerDone() {
  running_ = false;
  pauseTag_ = 0;
  Clear(PauseFlag);
  if (pending_.empty()) {
    startedSfvCount_ = 0;
    queuedSfvCount_ = 0;
    return;
  }
  const std::string text = JoinListText(pending_);
  pending_.clear();
  StartWorker(text);
}

bool CheckQueue::ReCheckLast() {
  if (running_ || lastQueuedSfv_.empty()) return false;
  StartCheckRun(lastQueuedSfv_, false, false);
  return true;
}

bool CheckQueue::TogglePause() {
  if (!running_) return false;
  if (pauseTag_ == 0) {
    if (!port_.PauseWorker()) return false;
    Set(PauseFlag);
    pauseTag_ = 1;
    return true;
  }
  if (!port_.ResumeWorker()) return false;
  Clear(PauseFlag);
  pauseTag_ = 0;
  return true;
}

void CheckQueue::ResumeIfPaused() {
  if (pauseTag_ == 1) TogglePause();
}

void CheckQueue::SkipSfv() {
  Set(SkipFlag);
  ResumeIfPaused();
}

void CheckQueue::AbortTest() {
  Set(AbortFlag);
  ResumeIfPaused();
}

void CheckQueue::Halt() {
  Set(HaltFlag);
  Set(AbortFlag);
  ResumeIfPaused();
}

void CheckQueue::KeyPress(char character) {
  if (character == 27) {
    Set(IsSet(&AbortFlag) ? HaltFlag : AbortFlag);
    ResumeIfPaused();
  } else if (character == ' ') {
    TogglePause();
  }
}

void CheckQueue::ExitRequested() { Set(HaltFlag); }

void CheckQueue::Closing() {
  Set(HaltFlag);
  Set(AbortFlag);
  if (IsSet(&PauseFlag)) TogglePause();
}

void CheckQueue::ApplyThreadPriority() {
  if (running_) port_.SetWorkerPriority(PriorityForLevel(ThreadPriority));
}
