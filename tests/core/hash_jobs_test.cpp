#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "TestUtil.h"
#include "check/Quor_PauseGate.h"
#include "core/Quor_CRC32.h"
#include "core/Quor_HashJobs.h"
#include "platform/fs.h"

namespace {

using testutil::Eventually;
using testutil::RecordingTarget;
using testutil::TempDir;
using testutil::WriteBytes;

std::uint32_t CrcOf(const std::string& bytes) { return Crc32Of(bytes.data(), bytes.size()); }

// Every file taken from the pool in list order gives what hashing it on the
// worker gives: the CRC, the outcome and the very same byte counts.
TEST(HashJobs, ResultsAndByteCountsAreThoseOfHashingOnTheWorker) {
  TempDir dir;
  std::vector<std::string> paths;
  // The largest is over 200 blocks: it has a count before its end.
  for (std::size_t size : {0u, 1u, 65535u, 65536u, 300001u, 5u, 1u << 20, 14u << 20}) {
    paths.push_back(dir / ("f" + std::to_string(paths.size())));
    WriteBytes(paths.back(), std::string(size, static_cast<char>('a' + paths.size())));
  }
  const testutil::UnopenableFile locked(dir / "locked");
  ASSERT_TRUE(locked.Ready());
  paths.push_back(dir / "locked");

  HashJobs jobs(3, nullptr, nullptr);
  for (std::size_t key = 0; key < paths.size(); ++key) jobs.Add(key, paths[key], *platform::LookUpPath(paths[key]));
  EXPECT_EQ(jobs.InHand(), paths.size());
  for (std::size_t key = 0; key < paths.size(); ++key) {
    RecordingTarget direct, pooled;
    const FileCrcResult expected = FileCrc32(paths[key], nullptr, &direct);
    const FileHashResult got = jobs.Hash(HashKind::Crc32, key, paths[key], platform::LookUpPath(paths[key]), &pooled);
    EXPECT_EQ(Crc32FromBytes(got.digest), expected.crc) << paths[key];
    EXPECT_EQ(got.opened, expected.opened) << paths[key];
    EXPECT_EQ(pooled.notices, direct.notices) << paths[key];
  }
  EXPECT_EQ(jobs.InHand(), 0u);

  // Files handed over and never taken are stopped when the pool goes.
  for (std::size_t key = 0; key < paths.size(); ++key) jobs.Add(key, paths[key], *platform::LookUpPath(paths[key]));
  jobs.Drop(1);
  EXPECT_EQ(jobs.InHand(), paths.size() - 1);
}

// A pool thread holds at the closed gate after its first block, with the
// whole small file already read; the file is then written again: one byte
// longer; of the same size, its facts given at the turn as they were before;
// of the same size with its old write time put back.
TEST(HashJobs, AResultIsUsedOnlyWhileTheFilesFactsAreThoseItWasHandedOverWith) {
  TempDir dir;
  const std::string path = dir / "file";
  const std::string before = std::string(100000, 'x');  // two blocks, one read
  enum class Rewrite { Longer, StaleFacts, TimePutBack };
  for (const Rewrite rewrite : {Rewrite::Longer, Rewrite::StaleFacts, Rewrite::TimePutBack}) {
    WriteBytes(path, before);
    const platform::DirEntry facts = *platform::LookUpPath(path);
    PauseGate gate;
    gate.Pause();
    HashJobs jobs(1, nullptr, &gate);
    jobs.Add(0, path, facts);
    ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 1; }));
    const std::string after = std::string(rewrite == Rewrite::Longer ? 100001 : 100000, 'y');
    WriteBytes(path, after);
    if (rewrite == Rewrite::TimePutBack) {
      ASSERT_TRUE(platform::SetLastWriteTime(path, facts.lastWriteTime));
    }
    gate.Resume();

    RecordingTarget counts;
    // With the same facts the pool's read stands (the change is not seen,
    // as a change within one tick of the file's time would not be). The
    // change time, which no one sets back, shows the rewrite whose write
    // time was put back, on every file system that keeps one.
    const bool seen = rewrite == Rewrite::Longer || (rewrite == Rewrite::TimePutBack && facts.changeTime != 0);
    const auto now = rewrite == Rewrite::StaleFacts ? std::optional(facts) : platform::LookUpPath(path);
    const FileHashResult got = jobs.Hash(HashKind::Crc32, 0, path, now, &counts);
    EXPECT_EQ(Crc32FromBytes(got.digest), CrcOf(seen ? after : before)) << static_cast<int>(rewrite);
    std::uint64_t total = 0;
    for (const auto& notice : counts.notices) total += notice.second;
    EXPECT_EQ(total, seen ? after.size() : before.size()) << "each byte counted once";
  }
}

// A safe point that counts how often a hash passed it.
class CountingGate : public SafePoint {
 public:
  void Wait() override {
    ++passed;
    gate.Wait();
  }
  PauseGate gate;
  std::atomic<int> passed{0};
};

// A file handed over again under the same key replaces the first, whose
// hash is stopped rather than read to its end.
TEST(HashJobs, HandingAKeyOverAgainStopsTheEarlierHash) {
  TempDir dir;
  const std::string big = dir / "big", small = dir / "small";
  {
    platform::File file = platform::File::Open(big, platform::Access::Write, platform::Share::Read,
                                               platform::Disposition::CreateAlways);
    std::string error;
    ASSERT_TRUE(file.SetSize(64 * FileCrcBlockSize(), error)) << error;
  }
  WriteBytes(small, "small");
  CountingGate counting;
  counting.gate.Pause();
  {
    HashJobs jobs(1, nullptr, &counting);
    jobs.Add(0, big, *platform::LookUpPath(big));
    ASSERT_TRUE(Eventually([&] { return counting.gate.Waiting() == 1; }));
    jobs.Add(0, small, *platform::LookUpPath(small));
    counting.gate.Resume();
    EXPECT_EQ(Crc32FromBytes(jobs.Hash(HashKind::Crc32, 0, small, platform::LookUpPath(small), nullptr).digest),
              CrcOf("small"));
  }  // the pool threads have ended
  EXPECT_LT(counting.passed.load(), 8) << "the big file was read on";
}

// What is wrong with a file is decided at its turn: one the pool could not
// open is tried again then.
TEST(HashJobs, AFileThePoolCouldNotOpenIsTriedAgainAtItsTurn) {
  TempDir dir;
  const std::string path = dir / "file", other = dir / "other";
  WriteBytes(other, std::string(100000, 'o'));
  auto locked = std::make_unique<testutil::UnopenableFile>(path);
  ASSERT_TRUE(locked->Ready());
  const platform::DirEntry facts = *platform::LookUpPath(path);
  PauseGate gate;
  gate.Pause();
  HashJobs jobs(1, nullptr, &gate);
  jobs.Add(0, path, facts);
  jobs.Add(1, other, *platform::LookUpPath(other));
  // The one pool thread holds in the second file: it is done with the first.
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 1; }));
  locked.reset();
  platform::RemoveFile(path);
  WriteBytes(path, "readable now");
  gate.Resume();
  const FileHashResult got = jobs.Hash(HashKind::Crc32, 0, path, facts, nullptr);
  EXPECT_TRUE(got.opened);
  EXPECT_EQ(Crc32FromBytes(got.digest), CrcOf("readable now"));
}

// A halt reaches the pool threads and the worker's own hash alike: each
// stops after the block it was reading.
TEST(HashJobs, AHaltStopsEveryHashAfterItsBlock) {
  TempDir dir;
  StopFlag halt{1};
  HashJobs jobs(2, &halt, nullptr);
  std::vector<std::string> paths, contents;
  for (char seed : {'a', 'b', 'c', 'd'}) {
    paths.push_back(dir / std::string(1, seed));
    contents.push_back(std::string(3 * FileCrcBlockSize() + 9, seed));
    WriteBytes(paths.back(), contents.back());
  }
  for (std::size_t key = 0; key < 3; ++key) jobs.Add(key, paths[key], *platform::LookUpPath(paths[key]));
  for (std::size_t key = 0; key < 4; ++key) {  // the fourth was not handed over: hashed here
    const FileHashResult got = jobs.Hash(HashKind::Crc32, key, paths[key], platform::LookUpPath(paths[key]), nullptr);
    EXPECT_EQ(Crc32FromBytes(got.digest), CrcOf(contents[key].substr(0, FileCrcBlockSize()))) << key;
  }
}

}  // namespace
