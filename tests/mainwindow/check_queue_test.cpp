// The check queue: requests into queue entries, one worker at a time, the
// waiting queue, the counters, pause and the stop requests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestUtil.h"
#include "mainwindow/Quor_CheckQueue.h"
#include "platform/fs.h"

namespace {

// Plays the worker's side: remembers every launch and answers pause and
// resume as a gate would (pausing a held worker or resuming a free one
// reports no change).
class RecordingPort : public WorkerPort {
 public:
  bool LaunchWorker(const std::string& queueText, platform::ThreadPriority priority) override {
    launches.push_back(queueText);
    priorities.push_back(priority);
    held = false;
    return launchSucceeds;
  }
  bool PauseWorker() override {
    ++pauseCalls;
    if (held) return false;
    held = true;
    return true;
  }
  bool ResumeWorker() override {
    ++resumeCalls;
    if (!held) return false;
    held = false;
    return true;
  }
  bool SetWorkerPriority(platform::ThreadPriority priority) override {
    priorityChanges.push_back(priority);
    return true;
  }

  std::vector<std::string> launches;
  std::vector<platform::ThreadPriority> priorities;
  std::vector<platform::ThreadPriority> priorityChanges;
  bool launchSucceeds = true;
  bool held = false;
  int pauseCalls = 0;
  int resumeCalls = 0;
};

bool IsSetFlag(const StopFlag& flag) { return IsSet(&flag); }

class CheckQueueTest : public ::testing::Test {
 protected:
  CheckQueueTest() : queue(port) {}
  std::string Sfv(const std::string& relative) {
    testutil::WriteBytes(dir / relative, "a.bin 00000000\r\n");
    return dir / relative;
  }

  testutil::TempDir dir;
  RecordingPort port;
  CheckQueue queue;
};

TEST_F(CheckQueueTest, AFileRequestWhileIdleStartsARunOfOneEntry) {
  const std::string sfv = Sfv("one.sfv");
  queue.SubmitCheck(sfv, false, false);
  ASSERT_EQ(port.launches.size(), 1u);
  EXPECT_EQ(port.launches[0], "ALL$" + sfv);
  EXPECT_TRUE(queue.Running());
  EXPECT_EQ(queue.QueuedSfvCount(), 1);
  EXPECT_EQ(queue.LastQueuedSfv(), sfv);

  queue.SubmitCheck(dir / "absent.sfv", false, true);  // not tested for existence
  EXPECT_EQ(queue.PendingQueue(), std::vector<std::string>{"SPE$" + (dir / "absent.sfv")});
}

TEST_F(CheckQueueTest, RequestsWhileRunningWaitAreCountedAtOnceAndContinueTheRun) {
  testutil::MakeFolder(dir / "run");
  for (const char* name : {"run/a.sfv", "run/b.sfv", "run/c.sfv"}) Sfv(name);
  queue.SubmitCheck(dir / "run", true, false);
  ASSERT_EQ(queue.QueuedSfvCount(), 3);
  for (int i = 0; i < 3; ++i) queue.CountStartedSfv();

  testutil::MakeFolder(dir / "more");
  const std::string d = Sfv("more/d.sfv"), e = Sfv("more/e.sfv"), f = Sfv("f.sfv");
  queue.SubmitCheck(dir / "more", true, false);
  EXPECT_EQ(queue.QueuedSfvCount(), 5);
  queue.SubmitCheck(f, false, true);
  EXPECT_EQ(queue.QueuedSfvCount(), 6);
  EXPECT_EQ(port.launches.size(), 1u);  // nothing started beside the running worker
  ASSERT_EQ(queue.PendingQueue().size(), 3u);

  queue.OnWorkerDone();
  ASSERT_EQ(port.launches.size(), 2u);
  const std::vector<std::string> lines = {
      "ALL$" + (dir / "more/d.sfv"), "ALL$" + (dir / "more/e.sfv"), "SPE$" + f};
  // The scan order of the folder decides d and e; both are there, then f.
  const std::string text = port.launches[1];
  EXPECT_NE(text.find(lines[0] + "\r\n"), std::string::npos);
  EXPECT_NE(text.find(lines[1] + "\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - lines[2].size() - 2), lines[2] + "\r\n");
  EXPECT_TRUE(queue.PendingQueue().empty());
  // The counters go on across the continued run: the next one is 4 of 6.
  queue.CountStartedSfv();
  EXPECT_EQ(queue.StartedSfvCount(), 4);
  EXPECT_EQ(queue.QueuedSfvCount(), 6);

  queue.OnWorkerDone();  // nothing waits: idle, counters back to 0
  EXPECT_FALSE(queue.Running());
  EXPECT_EQ(queue.StartedSfvCount(), 0);
  EXPECT_EQ(queue.QueuedSfvCount(), 0);
  EXPECT_EQ(port.launches.size(), 2u);
}

TEST_F(CheckQueueTest, AFolderGivesItsSfvFilesInScanOrderAndSubFoldersOnlyWhenAsked) {
  testutil::MakeFolder(dir / "top");
  testutil::MakeFolder(dir / "top/sub");
  Sfv("top/x.sfv");
  Sfv("top/y.SFV");
  Sfv("top/skip..sfv");
  Sfv("top/sub/z.sfv");
  testutil::WriteBytes(dir / "top/notes.txt", "x");

  queue.CheckSubFolders = false;
  const std::string flat = queue.BuildQueueEntries(dir / "top", true, true);
  EXPECT_EQ(queue.QueuedSfvCount(), 2);
  EXPECT_EQ(flat.find("sub"), std::string::npos);
  EXPECT_EQ(flat.find("skip"), std::string::npos);

  queue.CheckSubFolders = true;
  const std::string deep = queue.BuildQueueEntries(dir / "top", true, true);
  EXPECT_EQ(queue.QueuedSfvCount(), 5);  // counts add up over requests
  // Breadth first: the folder's own files, then the sub-folder's.
  EXPECT_EQ(deep.substr(0, flat.size()), flat);
  EXPECT_EQ(deep.substr(flat.size()), "SPE$" + (dir / "top/sub/z.sfv") + "\r\n");
  EXPECT_EQ(queue.LastQueuedSfv(), dir / "top/sub/z.sfv");
}

TEST_F(CheckQueueTest, AMissingFolderStillStartsAnEmptyRunAndKeepsTheLastSfv) {
  const std::string sfv = Sfv("keep.sfv");
  queue.SubmitCheck(sfv, false, false);
  queue.OnWorkerDone();
  queue.SubmitCheck(dir / "no-such-folder", true, false);
  ASSERT_EQ(port.launches.size(), 2u);
  EXPECT_EQ(port.launches[1], "");
  EXPECT_EQ(queue.QueuedSfvCount(), 0);
  EXPECT_EQ(queue.LastQueuedSfv(), sfv);
}

TEST_F(CheckQueueTest, ReCheckLastTakesTheLastSfvOfAFolderAloneAndOnlyWhenIdle) {
  testutil::MakeFolder(dir / "f");
  testutil::MakeFolder(dir / "f/deeper");
  Sfv("f/first.sfv");
  const std::string last = Sfv("f/deeper/last.sfv");
  EXPECT_FALSE(queue.ReCheckLast());  // nothing queued yet
  queue.SubmitCheck(dir / "f", true, true);
  EXPECT_FALSE(queue.ReCheckLast());  // a check runs
  EXPECT_EQ(port.launches.size(), 1u);
  queue.OnWorkerDone();

  EXPECT_TRUE(queue.ReCheckLast());
  ASSERT_EQ(port.launches.size(), 2u);
  EXPECT_EQ(port.launches[1], "ALL$" + last);
  EXPECT_EQ(queue.QueuedSfvCount(), 1);
}

TEST_F(CheckQueueTest, AbortWithTwoWaitingRequestsStopsTheRunThenStartsThem) {
  queue.SubmitCheck(Sfv("a.sfv"), false, false);
  queue.SubmitCheck(Sfv("b.sfv"), false, false);
  queue.SubmitCheck(Sfv("c.sfv"), false, false);
  queue.AbortTest();
  EXPECT_TRUE(IsSetFlag(queue.AbortFlag));
  EXPECT_FALSE(IsSetFlag(queue.HaltFlag));

  queue.OnWorkerDone();  // the worker saw the flag and ended
  ASSERT_EQ(port.launches.size(), 2u);
  EXPECT_EQ(port.launches[1], "ALL$" + (dir / "b.sfv") + "\r\nALL$" + (dir / "c.sfv") + "\r\n");
  EXPECT_FALSE(IsSetFlag(queue.AbortFlag));  // the new worker starts clear
  EXPECT_TRUE(queue.Running());
}

TEST_F(CheckQueueTest, PauseTogglesAndEveryStopRequestWakesAPausedWorker) {
  queue.KeyPress(' ');  // no check: nothing at all
  EXPECT_EQ(port.pauseCalls, 0);
  EXPECT_FALSE(queue.Paused());

  queue.SubmitCheck(Sfv("a.sfv"), false, false);
  EXPECT_TRUE(queue.TogglePause());
  EXPECT_TRUE(queue.Paused());
  EXPECT_TRUE(IsSetFlag(queue.PauseFlag));
  EXPECT_STREQ(queue.PauseCaption(), "Resume");
  queue.KeyPress(' ');
  EXPECT_FALSE(queue.Paused());
  EXPECT_STREQ(queue.PauseCaption(), "Pause");

  using Request = void (CheckQueue::*)();
  for (Request request : {&CheckQueue::AbortTest, &CheckQueue::SkipSfv, &CheckQueue::Halt, &CheckQueue::Closing}) {
    ASSERT_TRUE(queue.TogglePause());
    (queue.*request)();
    EXPECT_FALSE(port.held);
    EXPECT_FALSE(queue.Paused());
    EXPECT_FALSE(IsSetFlag(queue.PauseFlag));
  }
  EXPECT_TRUE(IsSetFlag(queue.SkipFlag));
  EXPECT_TRUE(IsSetFlag(queue.HaltFlag));
}

TEST_F(CheckQueueTest, APauseTheWorkerDoesNotConfirmChangesNothing) {
  queue.SubmitCheck(Sfv("a.sfv"), false, false);
  port.held = true;  // held already: the pause reports no change
  EXPECT_FALSE(queue.TogglePause());
  EXPECT_FALSE(queue.Paused());
  EXPECT_FALSE(IsSetFlag(queue.PauseFlag));
  port.held = false;
  ASSERT_TRUE(queue.TogglePause());
  port.held = false;  // free already: the resume reports no change
  EXPECT_FALSE(queue.TogglePause());
  EXPECT_TRUE(queue.Paused());
}

TEST_F(CheckQueueTest, EscOnceAbortsEscTwiceHaltsExitHaltsOnly) {
  queue.SubmitCheck(Sfv("a.sfv"), false, false);
  queue.KeyPress(27);
  EXPECT_TRUE(IsSetFlag(queue.AbortFlag));
  EXPECT_FALSE(IsSetFlag(queue.HaltFlag));
  queue.KeyPress(27);
  EXPECT_TRUE(IsSetFlag(queue.HaltFlag));
  queue.KeyPress('x');  // other keys do nothing

  queue.OnWorkerDone();
  queue.SubmitCheck(Sfv("b.sfv"), false, false);
  EXPECT_FALSE(IsSetFlag(queue.AbortFlag));
  EXPECT_FALSE(IsSetFlag(queue.HaltFlag));
  queue.ExitRequested();
  EXPECT_TRUE(IsSetFlag(queue.HaltFlag));
  EXPECT_FALSE(IsSetFlag(queue.AbortFlag));
}

TEST_F(CheckQueueTest, PriorityGoesToTheNewWorkerAndToTheRunningOneOnly) {
  queue.ThreadPriority = 3;
  queue.ApplyThreadPriority();  // idle: nothing to change
  EXPECT_TRUE(port.priorityChanges.empty());
  queue.SubmitCheck(Sfv("a.sfv"), false, false);
  EXPECT_EQ(port.priorities.back(), platform::ThreadPriority::Normal);
  queue.ThreadPriority = 0;
  queue.ApplyThreadPriority();
  EXPECT_EQ(port.priorityChanges, std::vector<platform::ThreadPriority>{platform::ThreadPriority::Idle});

  EXPECT_EQ(PriorityForLevel(1), platform::ThreadPriority::Lowest);
  EXPECT_EQ(PriorityForLevel(2), platform::ThreadPriority::BelowNormal);
  EXPECT_EQ(PriorityForLevel(7), platform::ThreadPriority::BelowNormal);
}

TEST_F(CheckQueueTest, AWorkerThatCannotStartLeavesTheQueueIdle) {
  port.launchSucceeds = false;
  queue.SubmitCheck(Sfv("a.sfv"), false, false);
  EXPECT_FALSE(queue.Running());
  port.launchSucceeds = true;
  queue.SubmitCheck(Sfv("b.sfv"), false, false);  // starts rather than waits
  EXPECT_TRUE(queue.Running());
  EXPECT_TRUE(queue.PendingQueue().empty());
}

}  // namespace
