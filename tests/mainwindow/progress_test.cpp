// Progress on screen: the counters' ticks into percentage, caption and
// title.
#include <gtest/gtest.h>

#include "core/Quor_Notify.h"
#include "mainwindow/Quor_Progress.h"

namespace {

constexpr std::int64_t kMiB = 1048576;
const std::string kBase = "Base";

TickInput During(std::int32_t started, std::int32_t queued, bool eta = false, bool paused = false) {
  return TickInput{started, queued, eta, paused};
}

TEST(Progress, HalfOfThreeMiBShowsFiftyPercent) {
  ProgressCounters counters;
  counters.Apply(CN_SFV_BEGIN, 0);
  counters.Apply(CN_TOTAL_LO, 3 * kMiB);
  counters.Apply(CN_BYTES_DONE, kMiB);
  counters.Apply(CN_BYTES_DONE, kMiB / 2);
  const auto display = TickProgress(counters, During(1, 1), kBase);
  ASSERT_TRUE(display);
  EXPECT_EQ(display->percent, 50);
  EXPECT_EQ(display->caption, "Base - Checking 1 of 1 - 50% ");  // no extra: ends in a space
  EXPECT_EQ(display->title, "Quor - 50%");
}

TEST(Progress, SixGiBTotalIsAssembledFromBothHalvesAndRisesEvenly) {
  ProgressCounters counters;
  counters.Apply(CN_SFV_BEGIN, 0);
  counters.Apply(CN_TOTAL_HI, 1);
  counters.Apply(CN_TOTAL_LO, 2147483648u);
  EXPECT_EQ(counters.SfvTotalBytes, 6442450944);
  int last = 0;
  for (int step = 1; step <= 96; ++step) {  // 96 reports of 64 MiB
    counters.Apply(CN_BYTES_DONE, 64 * kMiB);
    const auto display = TickProgress(counters, During(2, 3), kBase);
    ASSERT_TRUE(display);
    EXPECT_EQ(display->percent, step * 100 / 96);
    EXPECT_GE(display->percent, last);
    last = display->percent;
  }
  EXPECT_EQ(last, 100);
  EXPECT_EQ(TickProgress(counters, During(2, 3), kBase)->caption.substr(0, 28), "Base - Checking 2 of 3 - 100");

  // The next SFV file starts from zero: a small total has no upper half left over.
  counters.Apply(CN_SFV_BEGIN, 0);
  counters.Apply(CN_TOTAL_LO, 1000);
  EXPECT_EQ(counters.SfvTotalBytes, 1000);
}

TEST(Progress, SpeedAndTimeLeftCoverTheBytesSinceTheLastComputation) {
  ProgressCounters counters;
  counters.Apply(CN_SFV_BEGIN, 0);
  counters.Apply(CN_TOTAL_LO, 5 * kMiB + 60 * kMiB);
  counters.Apply(CN_BYTES_DONE, 5 * kMiB);
  auto display = TickProgress(counters, During(1, 2, true), kBase);
  ASSERT_TRUE(display);
  EXPECT_EQ(display->caption, "Base - Checking 1 of 2 - 7% - 5 Mb/s - ETA: 00:12");
  EXPECT_EQ(counters.BytesAtLastTick, 5 * kMiB);

  counters.Apply(CN_BYTES_DONE, kMiB - 1);  // less than a MiB in this second
  display = TickProgress(counters, During(1, 2, true), kBase);
  EXPECT_EQ(display->caption, "Base - Checking 1 of 2 - 9% - 0 Mb/s");

  // With the option off the speed is not computed, so the next one covers both seconds.
  counters.Apply(CN_BYTES_DONE, 2 * kMiB + 1);
  TickProgress(counters, During(1, 2, false), kBase);
  EXPECT_EQ(counters.BytesAtLastTick, 6 * kMiB - 1);
  counters.Apply(CN_BYTES_DONE, kMiB);
  display = TickProgress(counters, During(1, 2, true), kBase);
  EXPECT_NE(display->caption.find("- 3 Mb/s - ETA: 00:18"), std::string::npos) << display->caption;
}

TEST(Progress, TwentyHoursLeftShowTwelveHundredMinutesAndNoWrap) {
  EXPECT_EQ(SpeedText(1, 20 * 3600), "- 1 Mb/s - ETA: 1200:00");
  EXPECT_EQ(SpeedText(2, 65536 + 61), "- 2 Mb/s - ETA: 1093:17");

  ProgressCounters counters;
  counters.Apply(CN_SFV_BEGIN, 0);
  counters.Apply(CN_TOTAL_HI, 17);  // about 68 GiB
  counters.Apply(CN_TOTAL_LO, 0);
  counters.Apply(CN_BYTES_DONE, kMiB);
  const auto display = TickProgress(counters, During(1, 1, true), kBase);
  // 69,631 MiB left at 1 MiB/s: 1160 minutes 31 seconds.
  EXPECT_NE(display->caption.find("ETA: 1160:31"), std::string::npos) << display->caption;
}

TEST(Progress, PausedShowsPausedEveryTickAndMeasuresNoSpeed) {
  ProgressCounters counters;
  counters.Apply(CN_SFV_BEGIN, 0);
  counters.Apply(CN_TOTAL_LO, 10 * kMiB);
  counters.Apply(CN_BYTES_DONE, 4 * kMiB);
  for (bool eta : {true, false}) {
    const auto display = TickProgress(counters, During(1, 1, eta, true), kBase);
    ASSERT_TRUE(display);
    EXPECT_EQ(display->caption, "Base - Checking 1 of 1 - 40% !PAUSED!");
  }
  EXPECT_EQ(counters.BytesAtLastTick, 0);
}

TEST(Progress, InconsistentCountersChangeNothing) {
  ProgressCounters counters;
  counters.Apply(CN_SFV_BEGIN, 0);
  counters.Apply(CN_TOTAL_LO, 100);
  EXPECT_FALSE(TickProgress(counters, During(1, 1), kBase));  // nothing done yet
  counters.Apply(CN_BYTES_DONE, 101);
  EXPECT_FALSE(TickProgress(counters, During(1, 1), kBase));  // more done than the total
  counters.Apply(CN_SFV_BEGIN, 0);
  counters.Apply(CN_TOTAL_LO, 100);
  counters.Apply(CN_BYTES_DONE, 50);
  EXPECT_FALSE(TickProgress(counters, During(3, 2, true), kBase));  // more begun than queued
  EXPECT_EQ(counters.BytesAtLastTick, 0);
  EXPECT_TRUE(TickProgress(counters, During(2, 2), kBase));
}

}  // namespace
