// The progress line quor-cli shows on a terminal while hashing: which SFV
// file (n of m), the percentage of its bytes done, the speed and the time
// left. The byte counters and the percentage are the ones the main window
// keeps too (check/Quor_CheckProgress); the speed is measured over the real
// time between ticks, since a terminal is not ticked by a timer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "check/Quor_CheckProgress.h"

class CliProgress {
 public:
  // What the line names the unit of work ("SFV file" or "folder").
  explicit CliProgress(std::string unit) : unit_(std::move(unit)) {}

  // How many SFV files (or folders) the run has.
  void SetCount(std::uint32_t count) { count_ = count; }
  // Applies a worker notice to the counters.
  void Apply(std::uint32_t code, std::uint32_t value);
  // The name shown after the counter (the SFV file or the folder).
  void SetName(std::string name) { name_ = std::move(name); }

  // One tick, secondsSinceLastTick after the previous one: the line to show,
  // or nothing when there is nothing sensible to show yet.
  std::optional<std::string> Tick(double secondsSinceLastTick);

  std::int64_t TotalBytes() const { return counters_.SfvTotalBytes; }
  std::int64_t BytesDone() const { return counters_.SfvBytesDone; }

 private:
  std::string unit_;
  std::string name_;
  std::uint32_t count_ = 0;
  std::uint32_t current_ = 0;
  ProgressCounters counters_;
};

// Whole MiB per second for bytes done over seconds (0 for no time).
std::int64_t ProgressMibPerSecond(std::int64_t bytes, double seconds);
// Seconds left for bytesLeft at mibPerSecond (0 when the speed is 0).
std::int64_t ProgressSecondsLeft(std::int64_t bytesLeft, std::int64_t mibPerSecond);
