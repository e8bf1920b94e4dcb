#include "mainwindow/Quor_Progress.h"

#include <cinttypes>
#include <cstdio>

namespace {

constexpr std::int64_t kMiB = 1048576;

}  // namespace

std::optional<ProgressDisplay> TickProgress(ProgressCounters& counters, const TickInput& input,
                                            const std::string& baseCaption) {
  const std::int64_t done = counters.SfvBytesDone, total = counters.SfvTotalBytes;
  if (done <= 0 || done > total || input.startedSfvCount > input.queuedSfvCount) {
    return std::nullopt;
  }
  ProgressDisplay display;
  display.percent = PercentDone(done, total);
  std::string extra;
  if (input.showEtaSpeed && !input.paused) {
    const std::int64_t speed = (done - counters.BytesAtLastTick) / kMiB;
    counters.BytesAtLastTick = done;
    const std::int64_t left = speed > 0 ? (total - done) / (speed * kMiB) : 0;
    extra = SpeedText(speed > 0 ? speed : 0, left);
  }
  if (input.paused) extra = "!PAUSED!";
  display.caption =
      CheckingCaption(baseCaption, input.startedSfvCount, input.queuedSfvCount, display.percent, extra);
  display.title = PercentTitle(display.percent);
  return display;
}

std::string SpeedText(std::int64_t mibPerSecond, std::int64_t secondsLeft) {
  if (mibPerSecond <= 0) return "- 0 Mb/s";
  char text[96];
  std::snprintf(text, sizeof text, "- %" PRId64 " Mb/s - ETA: %2.2" PRId64 ":%2.2" PRId64, mibPerSecond,
                secondsLeft / 60, secondsLeft % 60);
  return text;
}

std::string CheckingCaption(const std::string& baseCaption, std::int32_t started, std::int32_t queued,
                            int percent, const std::string& extra) {
  char text[64];
  std::snprintf(text, sizeof text, " - Checking %d of %d - %d%% ", static_cast<int>(started),
                static_cast<int>(queued), percent);
  return baseCaption + text + extra;
}

std::string PercentTitle(int percent) {
  char text[32];
  std::snprintf(text, sizeof text, "%s - %d%%", kAppTitle, percent);
  return text;
}
