#include "mainwindow/Quor_Progress.h"

#include <cinttypes>
#include <cstdio>

#include "core/Quor_Notify.h"

namespace {

constexpr std::int64_t kMiB = 1048576;

}  // namespace

NoticeEffect ProgressCounters::Apply(std::uint32_t code, std::uint32_t value) {
  switch (code) {
    case CN_BUSY:
      return NoticeEffect::BusyCursor;
    case CN_IDLE:
      return NoticeEffect::IdleCursor;
    case CN_TIMER_ON:
      return NoticeEffect::TimerOn;
    case CN_SFV_DONE:
      return NoticeEffect::SfvDone;
    case CN_SFV_BEGIN:
      SfvTotalBytes = 0;
      SfvBytesDone = 0;
      BytesAtLastTick = 0;
      return NoticeEffect::None;
    case CN_NEXT_SFV:
      return NoticeEffect::NextSfv;
    case CN_TOTAL_HI:
      SfvTotalBytes = static_cast<std::int64_t>((static_cast<std::uint64_t>(value) << 32) |
                                                (static_cast<std::uint64_t>(SfvTotalBytes) & 0xFFFFFFFFu));
      return NoticeEffect::None;
    case CN_TOTAL_LO:
      SfvTotalBytes = static_cast<std::int64_t>((static_cast<std::uint64_t>(SfvTotalBytes) & ~std::uint64_t{0xFFFFFFFF}) |
                                                value);
      return NoticeEffect::None;
    case CN_BYTES_DONE:
      SfvBytesDone += static_cast<std::int64_t>(value);
      return NoticeEffect::None;
    default:
      return NoticeEffect::None;
  }
}

std::optional<ProgressDisplay> ProgressCounters::Tick(const TickInput& input, const std::string& baseCaption) {
  if (SfvBytesDone <= 0 || SfvBytesDone > SfvTotalBytes || input.startedSfvCount > input.queuedSfvCount) {
    return std::nullopt;
  }
  ProgressDisplay display;
  display.percent = PercentDone(SfvBytesDone, SfvTotalBytes);
  std::string extra;
  if (input.showEtaSpeed && !input.paused) {
    const std::int64_t speed = (SfvBytesDone - BytesAtLastTick) / kMiB;
    BytesAtLastTick = SfvBytesDone;
    const std::int64_t left = speed > 0 ? (SfvTotalBytes - SfvBytesDone) / (speed * kMiB) : 0;
    extra = SpeedText(speed > 0 ? speed : 0, left);
  }
  if (input.paused) extra = "!PAUSED!";
  display.caption =
      CheckingCaption(baseCaption, input.startedSfvCount, input.queuedSfvCount, display.percent, extra);
  display.title = PercentTitle(display.percent);
  return display;
}

int PercentDone(std::int64_t done, std::int64_t total) {
  if (total <= 0 || done <= 0) return 0;
  if (done >= total) return 100;
  // done * 100 overflows 64 bits for huge totals; the product needs 71.
  return static_cast<int>(static_cast<unsigned __int128>(done) * 100 / static_cast<unsigned __int128>(total));
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
