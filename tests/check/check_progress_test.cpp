// Progress of a check: notices into byte counters, and the percentage they
// make.
#include <gtest/gtest.h>

#include <cstdint>

#include "check/Quor_CheckProgress.h"
#include "core/Quor_Notify.h"

namespace {

TEST(Progress, NoticesSayWhatTheWindowMustDo) {
  ProgressCounters counters;
  EXPECT_EQ(counters.Apply(CN_BUSY, 0), NoticeEffect::BusyCursor);
  EXPECT_EQ(counters.Apply(CN_IDLE, 0), NoticeEffect::IdleCursor);
  EXPECT_EQ(counters.Apply(CN_TIMER_ON, 0), NoticeEffect::TimerOn);
  EXPECT_EQ(counters.Apply(CN_SFV_DONE, 0), NoticeEffect::SfvDone);
  EXPECT_EQ(counters.Apply(CN_NEXT_SFV, 0), NoticeEffect::NextSfv);
  counters.Apply(CN_TOTAL_LO, 7);
  EXPECT_EQ(counters.Apply(CN_FOLDER_COUNT, 5), NoticeEffect::None);  // a creator's notice
  EXPECT_EQ(counters.Apply(999, 5), NoticeEffect::None);
  EXPECT_EQ(counters.SfvTotalBytes, 7);
  EXPECT_EQ(counters.SfvBytesDone, 0);
  counters.Apply(CN_BYTES_DONE, 0xFFFFFFFFu);  // read as unsigned
  EXPECT_EQ(counters.SfvBytesDone, 4294967295);
}

TEST(Progress, PercentNeverOverflowsOrLeavesItsRange) {
  EXPECT_EQ(PercentDone(0, 0), 0);
  EXPECT_EQ(PercentDone(1, 3), 33);
  EXPECT_EQ(PercentDone(INT64_MAX / 2, INT64_MAX), 49);
  EXPECT_EQ(PercentDone(INT64_MAX, INT64_MAX), 100);
  EXPECT_EQ(PercentDone(100, 0), 0);
  EXPECT_EQ(PercentDone(200, 100), 100);
}

}  // namespace
