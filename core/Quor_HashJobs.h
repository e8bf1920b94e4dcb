// Hashing files ahead of the worker that reports them. A check or creation
// worker reports its files one by one, in list order; with more than one job
// it hands the next few files to this pool, whose threads hash them with
// FileHash (FileCrc32 for CRC-32) side by side, and takes each result when the file's turn comes.
//
// Everything a host sees still comes from the worker's thread: the byte
// counts a pool thread gathers for a file are kept, in order, and passed on
// by the worker while it waits for that file (or when it takes it), so the
// host gets the same notices as when the worker hashes the file itself.
//
// A result is used only for the file it was made from. The file's facts
// (size, times, and the change time and file number that no one can set
// back, where the look-up gives them) are taken when it is handed over and
// again at its turn; when they differ the file is hashed again at its turn.
// So is a file the pool could not open or read to its end: what is wrong
// with a file is decided at its turn, as without the pool.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/Quor_CRC32.h"
#include "core/Quor_FileHash.h"
#include "core/Quor_Notify.h"
#include "platform/fs.h"

// The most files hashed side by side.
inline constexpr unsigned kMaxJobs = 64;

class HashJobs {
 public:
  // Starts `threads` pool threads. haltFlag cuts every hash short (the pool's
  // and the worker's own) after the block being read; at safePoint the pool
  // threads wait between two blocks, as the worker does (both may be null).
  HashJobs(unsigned threads, const StopFlag* haltFlag, SafePoint* safePoint);
  // Stops the hashes still going after their current block and waits for
  // the pool threads to end (a closed safe point holds them until it opens).
  ~HashJobs();
  HashJobs(const HashJobs&) = delete;
  HashJobs& operator=(const HashJobs&) = delete;

  // Hands over the file of the list position `key`, with its facts now, to
  // be hashed with `hash`. The pool hashes files in the order they were
  // handed over. A file handed over earlier under the same key is dropped,
  // and its hash stopped.
  void Add(std::size_t key, const std::string& path, const platform::DirEntry& facts,
           HashKind hash = HashKind::Crc32);
  // Files handed over and neither taken nor dropped.
  std::size_t InHand() const;
  // The pool threads: how many files are hashed side by side.
  std::size_t Threads() const { return threads_.size(); }

  // The file's turn, on the worker thread: its hash, and the byte counts of
  // the hashing passed to target in order. The pool's result when the file
  // was handed over under this key with this hash, its facts are still
  // factsNow and the pool read it whole; otherwise (and for a file the pool
  // has not started yet) the file is hashed here.
  FileHashResult Hash(HashKind hash, std::size_t key, const std::string& path,
                      const std::optional<platform::DirEntry>& factsNow, NoticeTarget* target);

  // Drops the file of key, when still in hand: its result is not wanted.
  void Drop(std::size_t key);
  // Drops every file in hand (the list they came from is done).
  void DropAll();
  // Drops the files in hand at path and waits until no pool thread has the
  // file open any more, so that it can be renamed or removed (Windows refuses
  // that for an open file).
  void Release(const std::string& path);

 private:
  struct Job;

  void RunThread();
  // Takes the job out of the hand and, when not started, out of the queue;
  // the caller holds mutex_ (and stops a started job that is not wanted).
  void DropLocked(std::shared_ptr<Job> job);  // by value: it may erase the entry passed in
  void DropAllLocked();
  // Hashes on the calling thread; the first alreadyCounted bytes of the
  // byte counts are not passed on again.
  FileHashResult HashHere(HashKind hash, const std::string& path, NoticeTarget* target, std::uint64_t alreadyCounted);

  const StopFlag* const haltFlag_;
  SafePoint* const safePoint_;
  mutable std::mutex mutex_;
  std::condition_variable queued_;    // a job was queued, or the pool closes
  std::condition_variable progress_;  // a job has new byte counts or ended
  std::deque<std::shared_ptr<Job>> queue_;             // handed over, not started
  std::map<std::size_t, std::shared_ptr<Job>> inHand_;  // handed over, not taken
  std::vector<std::shared_ptr<Job>> running_;           // being hashed by a pool thread
  bool closing_ = false;
  FileCrcSideBySide sideBySide_;  // before threads_: it outlives them
  std::vector<std::thread> threads_;
};
