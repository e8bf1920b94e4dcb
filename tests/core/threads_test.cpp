#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "TestUtil.h"
#include "platform/threads.h"

namespace {

TEST(Thread, RunsTheBodyAndChangesPriorityWhileRunning) {
  std::atomic<bool> release{false};
  std::atomic<int> ran{0};
  platform::Thread thread;
  thread.Start([&] {
    while (!release.load()) std::this_thread::yield();
    ran = 1;
  }, platform::ThreadPriority::BelowNormal);
  EXPECT_TRUE(thread.SetPriority(platform::ThreadPriority::Idle));
  EXPECT_TRUE(thread.SetPriority(platform::ThreadPriority::Normal));
  release = true;
  thread.Join();
  EXPECT_EQ(ran.load(), 1);
  EXPECT_FALSE(thread.SetPriority(platform::ThreadPriority::Idle)) << "no thread runs any more";
}

}  // namespace

#ifndef _WIN32
TEST(ProcessorFreeNow, IsFalseWhileEveryUsableProcessorHasAThreadToRun) {
  std::atomic<bool> stop{false};
  std::vector<std::thread> spinners;
  for (unsigned i = 0; i < platform::UsableProcessors(); ++i) {
    spinners.emplace_back([&stop] {
      while (!stop.load(std::memory_order_relaxed)) {
      }
    });
  }
  // The spinners and this thread are more than there are processors.
  EXPECT_TRUE(testutil::Eventually([] { return !platform::ProcessorFreeNow(); }));
  stop = true;
  for (std::thread& spinner : spinners) spinner.join();
}
#endif
