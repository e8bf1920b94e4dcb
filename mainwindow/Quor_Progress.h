// Progress of a check on screen, without the window: what a once-a-second
// tick makes of the byte counters (check/Quor_CheckProgress) the worker's
// notices feed: the bar's percentage, the caption with speed and time left,
// the taskbar title. All arithmetic is 64-bit: long times left come out
// right.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "check/Quor_CheckProgress.h"

// The application's title when no check is being shown.
inline constexpr char kAppTitle[] = "Quor";

// What one tick puts on screen.
struct ProgressDisplay {
  int percent = 0;      // 0..100, the bar's position
  std::string caption;  // the whole window caption
  std::string title;    // the application's title
};

struct TickInput {
  std::int32_t startedSfvCount = 0;
  std::int32_t queuedSfvCount = 0;
  bool showEtaSpeed = false;
  bool paused = false;
};

// One tick of the progress timer. Nothing when the counters do not make
// sense yet (nothing done, more done than the total, more SFV files begun
// than queued): the screen then stays as it is.
std::optional<ProgressDisplay> TickProgress(ProgressCounters& counters, const TickInput& input,
                                            const std::string& baseCaption);

// The tail after the percentage: "- S Mb/s - ETA: MM:SS", or "- 0 Mb/s"
// when less than a MiB went by. Minutes above 99 print in full.
std::string SpeedText(std::int64_t mibPerSecond, std::int64_t secondsLeft);

// BaseCaption + " - Checking N of M - P% extra".
std::string CheckingCaption(const std::string& baseCaption, std::int32_t started, std::int32_t queued,
                            int percent, const std::string& extra);

// "Quor - P%".
std::string PercentTitle(int percent);

// After CN_SFV_DONE: true when the caption goes back to BaseCaption (the
// run's last SFV file is done, or the run is being aborted).
inline bool SfvDoneShowsBaseCaption(std::int32_t started, std::int32_t queued, bool aborting) {
  return started == queued || aborting;
}
