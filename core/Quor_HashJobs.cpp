#include "core/Quor_HashJobs.h"

#include <algorithm>
#include <utility>

namespace {

// The facts that change when a file is written or replaced. Times in 100 ns
// units make a rewrite of the same size show; a file system with coarse
// times (FAT keeps 2 s) could hide one made within the same tick, as it
// hides it from the known-good records too. The change time and the file
// number, where the look-up gives them, show a rewrite whose write time was
// put back, or a file put in place of another.
bool SameFacts(const platform::DirEntry& a, const platform::DirEntry& b) {
  return a.isFolder == b.isFolder && a.size == b.size && a.lastWriteTime == b.lastWriteTime &&
         a.creationTime == b.creationTime && a.changeTime == b.changeTime && a.fileId == b.fileId;
}

// Passes byte counts on to target once the first `skip` bytes are used up:
// those were passed on already, from an earlier hash of the same file.
class CountsBeyond : public NoticeTarget {
 public:
  CountsBeyond(NoticeTarget& target, std::uint64_t skip) : target_(target), skip_(skip) {}
  void Notify(NotifyCode code, std::uint32_t value) override {
    if (code == CN_BYTES_DONE && skip_ > 0) {
      const auto skipped = static_cast<std::uint32_t>(std::min<std::uint64_t>(skip_, value));
      skip_ -= skipped;
      value -= skipped;
      if (value == 0) return;
    }
    target_.Notify(code, value);
  }

 private:
  NoticeTarget& target_;
  std::uint64_t skip_;
};

}  // namespace

// One file handed to the pool. FileHash reports to it and waits at it
// between two blocks; state, byteCounts and result belong to the pool's
// mutex.
struct HashJobs::Job : NoticeTarget, SafePoint {
  enum class State { Queued, Running, Done };

  Job(HashJobs& owner, std::size_t listKey, std::string filePath, const platform::DirEntry& fileFacts,
      HashKind fileHash)
      : pool(owner), key(listKey), path(std::move(filePath)), nameKey(platform::FileNameKey(path)),
        facts(fileFacts), hash(fileHash) {}

  // On the pool thread: keeps the count for the worker to pass on.
  void Notify(NotifyCode code, std::uint32_t value) override {
    if (code != CN_BYTES_DONE) return;
    std::lock_guard<std::mutex> lock(pool.mutex_);
    byteCounts.push_back(value);
    pool.progress_.notify_all();
  }
  // Between two blocks: a pause holds the pool thread as it holds the
  // worker, and a halt stops this hash (FileCrc32 looks at stop next).
  void Wait() override {
    if (pool.safePoint_) pool.safePoint_->Wait();
    if (IsSet(pool.haltFlag_)) stop.store(1, std::memory_order_relaxed);
  }

  HashJobs& pool;
  const std::size_t key;
  const std::string path;
  const std::string nameKey;  // platform::FileNameKey(path)
  const platform::DirEntry facts;
  const HashKind hash;
  StopFlag stop{0};
  State state = State::Queued;
  std::vector<std::uint32_t> byteCounts;
  FileHashResult result;
};

HashJobs::HashJobs(unsigned threads, const StopFlag* haltFlag, SafePoint* safePoint)
    : haltFlag_(haltFlag), safePoint_(safePoint), sideBySide_(threads) {
  threads_.reserve(threads);
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { RunThread(); });
}

HashJobs::~HashJobs() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    DropAllLocked();
  }
  queued_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void HashJobs::RunThread() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return closing_ || !queue_.empty(); });
    if (closing_) return;
    const std::shared_ptr<Job> job = std::move(queue_.front());
    queue_.pop_front();
    job->state = Job::State::Running;
    running_.push_back(job);
    lock.unlock();
    FileHashResult result = FileHash(job->path, job->hash, &job->stop, job.get(), job.get());
    lock.lock();
    job->result = std::move(result);
    job->state = Job::State::Done;
    running_.erase(std::find(running_.begin(), running_.end(), job));
    progress_.notify_all();
  }
}

void HashJobs::Add(std::size_t key, const std::string& path, const platform::DirEntry& facts, HashKind hash) {
  auto job = std::make_shared<Job>(*this, key, path, facts, hash);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (const auto old = inHand_.find(key); old != inHand_.end()) {
      old->second->stop.store(1, std::memory_order_relaxed);
      DropLocked(old->second);
    }
    queue_.push_back(job);
    inHand_.emplace(key, std::move(job));
  }
  queued_.notify_one();
}

std::size_t HashJobs::InHand() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return inHand_.size();
}

FileHashResult HashJobs::Hash(HashKind hash, std::size_t key, const std::string& path,
                              const std::optional<platform::DirEntry>& factsNow, NoticeTarget* target) {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto found = inHand_.find(key);
  if (found == inHand_.end()) {
    lock.unlock();
    return HashHere(hash, path, target, 0);
  }
  const std::shared_ptr<Job> job = found->second;
  DropLocked(job);  // out of the hand; a hash already going is stopped below only when unwanted
  if (job->state == Job::State::Queued || job->hash != hash || !factsNow || !SameFacts(job->facts, *factsNow)) {
    job->stop.store(1, std::memory_order_relaxed);
    lock.unlock();
    return HashHere(hash, path, target, 0);
  }
  // Wait for the pool thread, passing its byte counts on as they come.
  std::uint64_t passedOn = 0;
  std::size_t next = 0;
  for (;;) {
    while (next < job->byteCounts.size()) {
      const std::uint32_t count = job->byteCounts[next++];
      lock.unlock();
      if (target) target->Notify(CN_BYTES_DONE, count);
      passedOn += count;
      lock.lock();
    }
    if (job->state == Job::State::Done) break;
    progress_.wait(lock);
  }
  FileHashResult result = std::move(job->result);
  lock.unlock();
  if (result.opened && !result.readFailed) return result;
  // It could not be opened or read to its end: try again now, at its turn.
  return HashHere(hash, path, target, passedOn);
}

void HashJobs::Drop(std::size_t key) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (const auto found = inHand_.find(key); found != inHand_.end()) {
    found->second->stop.store(1, std::memory_order_relaxed);
    DropLocked(found->second);
  }
}

void HashJobs::DropAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  DropAllLocked();
}

void HashJobs::Release(const std::string& path) {
  const std::string nameKey = platform::FileNameKey(path);
  std::unique_lock<std::mutex> lock(mutex_);
  for (auto it = inHand_.begin(); it != inHand_.end();) {
    const std::shared_ptr<Job> job = (it++)->second;
    if (job->nameKey != nameKey) continue;
    job->stop.store(1, std::memory_order_relaxed);
    DropLocked(job);
  }
  // Jobs dropped earlier may still be reading too.
  progress_.wait(lock, [&] {
    return std::none_of(running_.begin(), running_.end(),
                        [&](const std::shared_ptr<Job>& job) { return job->nameKey == nameKey; });
  });
}

void HashJobs::DropLocked(std::shared_ptr<Job> job) {
  if (const auto found = inHand_.find(job->key); found != inHand_.end() && found->second == job) {
    inHand_.erase(found);
  }
  if (job->state == Job::State::Queued) queue_.erase(std::find(queue_.begin(), queue_.end(), job));
}

void HashJobs::DropAllLocked() {
  for (const auto& [key, job] : inHand_) job->stop.store(1, std::memory_order_relaxed);
  inHand_.clear();
  queue_.clear();
}

FileHashResult HashJobs::HashHere(HashKind hash, const std::string& path, NoticeTarget* target,
                                  std::uint64_t alreadyCounted) {
  if (target == nullptr || alreadyCounted == 0) return FileHash(path, hash, haltFlag_, target, safePoint_);
  CountsBeyond beyond(*target, alreadyCounted);
  return FileHash(path, hash, haltFlag_, &beyond, safePoint_);
}
