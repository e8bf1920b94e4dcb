#include <gtest/gtest.h>

#include <atomic>

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
