#include "cli/Quor_CliProgress.h"

#include <cinttypes>
#include <cstdio>

#include "core/Quor_Notify.h"

namespace {

constexpr std::int64_t kMiB = 1048576;

}  // namespace

int ProgressPercent(std::int64_t done, std::int64_t total) {
  if (total <= 0 || done <= 0) return 0;
  if (done >= total) return 100;
  // done * 100 needs more than 64 bits for totals near the top of the range.
  return static_cast<int>(static_cast<unsigned __int128>(done) * 100 / static_cast<unsigned __int128>(total));
}

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
    case CN_SFV_BEGIN:
      total_ = 0;
      done_ = 0;
      doneAtLastTick_ = 0;
      break;
    case CN_TOTAL_HI:
      total_ = static_cast<std::int64_t>((static_cast<std::uint64_t>(value) << 32) |
                                         (static_cast<std::uint64_t>(total_) & 0xFFFFFFFFu));
      break;
    case CN_TOTAL_LO:
      total_ = static_cast<std::int64_t>((static_cast<std::uint64_t>(total_) & ~std::uint64_t{0xFFFFFFFF}) | value);
      break;
    case CN_BYTES_DONE:
      done_ += value;
      break;
    default:
      break;
  }
}

std::optional<std::string> CliProgress::Tick(double secondsSinceLastTick) {
  // Like the window: nothing while nothing is done or the counters disagree.
  if (done_ <= 0 || done_ > total_) return std::nullopt;
  const std::int64_t speed = ProgressMibPerSecond(done_ - doneAtLastTick_, secondsSinceLastTick);
  doneAtLastTick_ = done_;
  char text[160];
  int n = std::snprintf(text, sizeof text, "%s %u of %u - %d%% - %" PRId64 " MiB/s", unit_.c_str(), current_,
                        count_, ProgressPercent(done_, total_), speed);
  if (speed > 0 && n > 0 && static_cast<std::size_t>(n) < sizeof text) {
    const std::int64_t left = ProgressSecondsLeft(total_ - done_, speed);
    std::snprintf(text + n, sizeof text - n, " - %02" PRId64 ":%02" PRId64 " left", left / 60, left % 60);
  }
  std::string line = text;
  if (!name_.empty()) line += " - " + name_;
  return line;
}
