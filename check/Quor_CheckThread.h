// The check worker: takes a queue of checksum lists (SFV files and lists of
// other hashes), hashes every file each one lists and reports each file and each SFV file's totals to its host. On
// request it renames bad files, leaves zero-length marker files beside bad
// and missing ones, and keeps a progress file of files found good so that a
// later check can skip them. It owns no window.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "check/Quor_CheckHost.h"
#include "check/Quor_PauseGate.h"
#include "core/Quor_Notify.h"
#include "platform/fs.h"
#include "platform/threads.h"

class HashJobs;

class TZERAravoThread {
 public:
  // Input fields: set them before Start (or Execute); the worker only reads
  // them, except that it clears *SkipFlag before each SFV file.

  // QueueEntry lines, "ALL$" or "SPE$" + SFV path, each followed by CR LF.
  std::string QueueText;
  bool SkipKnownGood = false;  // skip files in the progress file; keep it up to date
  bool RenameBad = false;      // rename a bad file to name + "_BAD_OR_INCOMPLETE"
  bool MakeDummy = false;      // leave markers name + "_BAD_OR_INCOMPLETE" / "_MISSING"
  // The program's folder with its trailing separator; progress files live
  // in its "Progress" sub-folder.
  std::string ProgramFolder;
  CheckHost* Host = nullptr;  // required
  // Stop requests, set by the main thread (each may be null).
  // Abort: end the run after the current file. Halt: cut the current hash
  // short. Skip: end the current SFV file after the current file.
  StopFlag* AbortFlag = nullptr;
  StopFlag* HaltFlag = nullptr;
  StopFlag* SkipFlag = nullptr;
  // Pause between CRC blocks and between files (may be null).
  PauseGate* Gate = nullptr;
  // Files hashed side by side (1 to kMaxJobs). With more than one, pool
  // threads hash the next files of an SFV file while the worker reports the
  // current one; rows and notices stay in list order, on this thread.
  unsigned Jobs = 1;

  TZERAravoThread() = default;
  ~TZERAravoThread();  // waits for a started thread to end
  TZERAravoThread(const TZERAravoThread&) = delete;
  TZERAravoThread& operator=(const TZERAravoThread&) = delete;

  // Runs Execute on a new thread. onDone (if any) is called on that thread
  // after the run has ended; the window posts itself a message from there
  // and calls Join when it arrives.
  void Start(platform::ThreadPriority priority = platform::ThreadPriority::Normal,
             std::function<void()> onDone = {});
  bool SetPriority(platform::ThreadPriority priority);
  // Asks the run to end at its next test (before the next file or SFV file);
  // opens the gate so a paused worker sees it. Any thread.
  void Terminate();
  bool Terminated() const { return terminated_.load(std::memory_order_relaxed); }
  void Join();

  // The run itself, on the calling thread.
  void Execute();

 private:
  void CheckSfv(const std::string& entry, HashJobs* jobs);
  bool StopRequested() const;  // AbortFlag, or asked to terminate
  void WaitIfPaused();

  std::atomic<bool> terminated_{false};
  platform::Thread thread_;
};

// The progress file's record of a file found good: its last-write time, its
// size, the CRC it matched, where the system gives them its change time and
// file number, and its name as listed. A file counts as known good only
// while every one of these is the same.
std::string KnownGoodRecord(const std::string& name, const platform::DirEntry& entry, std::uint32_t crc);
// The same for any hash: the value it matched as hex digits, upper-case.
std::string KnownGoodRecord(const std::string& name, const platform::DirEntry& entry, const std::string& expectedHex);

// The first line of a progress file: the volume and the full path of the SFV
// file whose records follow. Records under another first line (another SFV
// file of the same name elsewhere, or a file from an older version without
// one) are not trusted.
std::string ProgressHeader(const std::string& sfvPath);

// The folder of progress files: ProgramFolder + "Progress" + separator.
std::string ProgressFolder(const std::string& programFolder);

// True when a name listed in an SFV file stays inside the SFV file's folder
// tree: not absolute, no drive, and no ".." step that climbs above it.
bool StaysInsideFolder(const std::string& name);
