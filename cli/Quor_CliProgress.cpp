#include "cli/Quor_CliProgress.h"

#include <cinttypes>
#include <cstdio>

#include "core/Quor_Notify.h"

namespace {

constexpr std::int64_t kMiB = 1048576;

}  // namespace

std::int64_t ProgressMibPerSecond(std::int64_t bytes, double seconds) {
  if (bytes <= 0 || seconds <= 0) return 0;
  return static_cast<std::int64_t>(static_cast<double>(bytes) / seconds) / kMiB;
}

std::int64_t ProgressSecondsLeft(std::int64_t bytesLeft, std::int64_t mibPerSecond) {
  if (bytesLeft <= 0 || mibPerSecond <= 0) return 0;
  return bytesLeft / (mibPerSecond * kMiB);
}

void CliProgress::Apply(std::uint32_t code, std::uint32_t value) {
  switch (code) {
    case CN_NEXT_SFV:
    case CN_NEXT_FOLDER:
      ++current_;
      break;
    case CN_FOLDER_COUNT:
      count_ = value;
      break;
    default:  // the byte counters: begin, total, bytes done
      counters_.Apply(code, value);
      break;
  }
}

std::optional<std::string> CliProgress::Tick(double secondsSinceLastTick) {
  // Like the window: nothing while nothing is done or the counters disagree.
  const std::int64_t done = counters_.SfvBytesDone, total = counters_.SfvTotalBytes;
  if (done <= 0 || done > total) return std::nullopt;
  const std::int64_t speed = ProgressMibPerSecond(done - counters_.BytesAtLastTick, secondsSinceLastTick);
  counters_.BytesAtLastTick = done;
  char text[160];
  int n = std::snprintf(text, sizeof text, "%s %u of %u - %d%% - %" PRId64 " MiB/s", unit_.c_str(), current_,
                        count_, PercentDone(done, total), speed);
  if (speed > 0 && n > 0 && static_cast<std::size_t>(n) < sizeof text) {
    const std::int64_t left = ProgressSecondsLeft(total - done, speed);
    std::snprintf(text + n, sizeof text - n, " - %02" PRId64 ":%02" PRId64 " left", left / 60, left % 60);
  }
  std::string line = text;
  if (!name_.empty()) line += " - " + name_;
  return line;
}
