#include <gtest/gtest.h>

#ifdef __linux__
#include <fcntl.h>
#include <unistd.h>
#endif

#include <numeric>
#include <random>

#include "TestUtil.h"
#include "core/Quor_CRC32.h"
#include "core/Quor_HashJobs.h"
#include "core/Quor_MiscFileLib.h"
#include "platform/fs.h"
#include "platform/page_buffer.h"

namespace {

using testutil::RecordingTarget;
using testutil::TempDir;

// Runs a block with IsWinNT set as given, restoring it afterwards.
class WinNtMode {
 public:
  explicit WinNtMode(bool nt) : saved_(IsWinNT) { IsWinNT = nt; }
  ~WinNtMode() { IsWinNT = saved_; }

 private:
  bool saved_;
};

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(gen());
  return bytes;
}

// The FileCrc32 cases run once for each way of reading: the rhythm of
// reports, stops and errors must not depend on it.
class FileCrc32Test : public testing::TestWithParam<FileCrcReadPath> {
 protected:
  void SetUp() override { FileCrcForceReadPathForTest(GetParam()); }
  void TearDown() override { FileCrcForceReadPathForTest(FileCrcReadPath::Auto); }
};

INSTANTIATE_TEST_SUITE_P(ReadPaths, FileCrc32Test,
                         testing::Values(FileCrcReadPath::Plain, FileCrcReadPath::Shared,
                                         FileCrcReadPath::Direct, FileCrcReadPath::Auto),
                         [](const testing::TestParamInfo<FileCrcReadPath>& info) {
                           return testutil::ReadPathName(info.param);
                         });

std::vector<std::uint32_t> ReportValues(const RecordingTarget& target) {
  std::vector<std::uint32_t> values;
  for (const auto& [code, value] : target.notices) {
    EXPECT_EQ(code, CN_BYTES_DONE);
    values.push_back(value);
  }
  return values;
}

TEST(Crc32, KnownAnswers) {
  EXPECT_EQ(Crc32Of("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc32Of("abc", 3), 0x352441C2u);
  EXPECT_EQ(Crc32Of("", 0), 0u);
  EXPECT_EQ(Crc32UpdateByteTable(0xFFFFFFFFu, "123456789", 9) ^ 0xFFFFFFFFu, 0xCBF43926u);
}

TEST(Crc32, RunningRegisterOverPiecesEqualsWhole) {
  const std::string data = RandomBytes(10000, 7);
  std::uint32_t crc = 0xFFFFFFFFu;
  std::size_t at = 0;
  for (std::size_t piece : {1u, 2u, 3u, 63u, 64u, 65u, 4096u, 5706u}) {
    crc = Crc32Update(crc, data.data() + at, piece);
    at += piece;
  }
  ASSERT_EQ(at, data.size());
  EXPECT_EQ(crc ^ 0xFFFFFFFFu, Crc32Of(data.data(), data.size()));
}

TEST(Crc32, JoinedPieceRegistersEqualTheWhole) {
  const std::string data = RandomBytes(300000, 8);
  for (std::size_t split : {0u, 1u, 4096u, 262144u, 299999u, 300000u}) {
    SCOPED_TRACE(split);
    const std::size_t rest = data.size() - split;
    const std::uint32_t first = Crc32Update(0xFFFFFFFFu, data.data(), split);
    const std::uint32_t joined = Crc32Join(first, Crc32Update(0, data.data() + split, rest), Crc32ShiftFor(rest));
    EXPECT_EQ(joined ^ 0xFFFFFFFFu, Crc32Of(data.data(), data.size()));
  }
}

TEST_P(FileCrc32Test, EmptyFileGivesZeroWithOneZeroReport) {
  TempDir dir;
  testutil::WriteBytes(dir / "empty", "");
  for (bool nt : {false, true}) {
    WinNtMode mode(nt);
    RecordingTarget target;
    FileCrcResult result = FileCrc32(dir / "empty", nullptr, &target);
    EXPECT_EQ(result.crc, 0u);
    EXPECT_FALSE(result.readFailed);
    EXPECT_EQ(ReportValues(target), std::vector<std::uint32_t>{0});
  }
}

TEST_P(FileCrc32Test, UnopenableFileGivesZeroWithoutReport) {
  TempDir dir;
  RecordingTarget target;
  FileCrcResult result = FileCrc32(dir / "absent.bin", nullptr, &target);
  EXPECT_EQ(result.crc, 0u);
  EXPECT_FALSE(result.readFailed);
  EXPECT_TRUE(target.notices.empty());
}

TEST_P(FileCrc32Test, SmallFileKnownAnswerAndNoTargetNeeded) {
  TempDir dir;
  testutil::WriteBytes(dir / "check.txt", "123456789");
  EXPECT_EQ(FileCrc32(dir / "check.txt", nullptr, nullptr).crc, 0xCBF43926u);
}

TEST_P(FileCrc32Test, FullBlockThenEmptyReadOnTheStackLoop) {
  TempDir dir;
  const std::string data = RandomBytes(65536, 1);
  testutil::WriteBytes(dir / "block", data);
  WinNtMode mode(false);
  RecordingTarget target;
  EXPECT_EQ(FileCrc32(dir / "block", nullptr, &target).crc, Crc32Of(data.data(), data.size()));
  EXPECT_EQ(ReportValues(target), std::vector<std::uint32_t>{65536});
}

TEST_P(FileCrc32Test, NtLoopTreatsA65535BlockAsFull) {
  TempDir dir;
  const std::string data = RandomBytes(65536, 2);
  testutil::WriteBytes(dir / "block", data);
  WinNtMode mode(true);
  RecordingTarget target;
  EXPECT_EQ(FileCrc32(dir / "block", nullptr, &target).crc, Crc32Of(data.data(), data.size()));
  // 65535 (full, not reported), then 1 (short: reported with the pending
  // 65535), then the empty read reports 0.
  EXPECT_EQ(ReportValues(target), (std::vector<std::uint32_t>{65536, 0}));
}

TEST_P(FileCrc32Test, ReportsEvery200BlocksAndAddsUpToTheLength) {
  TempDir dir;
  for (bool nt : {false, true}) {
    WinNtMode mode(nt);
    const std::size_t block = FileCrcBlockSize();
    const std::string data = RandomBytes(block * 401 + 10, 3);
    testutil::WriteBytes(dir / "big", data);
    RecordingTarget target;
    EXPECT_EQ(FileCrc32(dir / "big", nullptr, &target).crc, Crc32Of(data.data(), data.size()));
    const auto b = static_cast<std::uint32_t>(block);
    EXPECT_EQ(ReportValues(target), (std::vector<std::uint32_t>{200 * b, 200 * b, b + 10, 0}));
    const std::vector<std::uint32_t> values = ReportValues(target);
    EXPECT_EQ(std::accumulate(values.begin(), values.end(), std::uint64_t{0}), data.size());
  }
}

// A target that raises the stop flag when the first report arrives.
class StopOnFirstReport : public NoticeTarget {
 public:
  explicit StopOnFirstReport(StopFlag& flag) : flag_(flag) {}
  void Notify(NotifyCode, std::uint32_t value) override {
    reports.push_back(value);
    flag_.store(1, std::memory_order_relaxed);
  }
  std::vector<std::uint32_t> reports;

 private:
  StopFlag& flag_;
};

TEST_P(FileCrc32Test, StopFlagEndsAfterTheCurrentBlock) {
  TempDir dir;
  WinNtMode mode(false);
  const std::string data = RandomBytes(65536 * 450, 4);
  testutil::WriteBytes(dir / "large", data);

  StopFlag flag{1};
  RecordingTarget quiet;
  FileCrcResult first = FileCrc32(dir / "large", &flag, &quiet);
  EXPECT_EQ(first.crc, Crc32Of(data.data(), 65536)) << "the first block is always read";
  EXPECT_TRUE(quiet.notices.empty()) << "bytes since the last report are not reported";

  StopFlag late{0};
  StopOnFirstReport stopper(late);
  FileCrcResult cut = FileCrc32(dir / "large", &late, &stopper);
  EXPECT_EQ(cut.crc, Crc32Of(data.data(), 65536 * 200));
  EXPECT_NE(cut.crc, Crc32Of(data.data(), data.size()));
  EXPECT_EQ(stopper.reports, std::vector<std::uint32_t>{65536 * 200});
}

// A safe point that raises the stop flag at its n-th wait, which comes
// after the n-th block.
class StopAtWait : public SafePoint {
 public:
  StopAtWait(StopFlag& flag, unsigned n) : flag_(flag), left_(n) {}
  void Wait() override {
    if (--left_ == 0) flag_.store(1, std::memory_order_relaxed);
  }

 private:
  StopFlag& flag_;
  unsigned left_;
};

TEST_P(FileCrc32Test, AStopInsideAReadGivesTheCrcOfTheBlocksBeforeIt) {
  TempDir dir;
  WinNtMode mode(false);
  const std::string data = RandomBytes(65536 * 80, 9);
  testutil::WriteBytes(dir / "large", data);
  for (unsigned blocks : {1u, 5u, 6u, 7u, 30u, 41u, 79u}) {
    SCOPED_TRACE(blocks);
    StopFlag flag{0};
    StopAtWait stopper(flag, blocks);
    EXPECT_EQ(FileCrc32(dir / "large", &flag, nullptr, &stopper).crc, Crc32Of(data.data(), 65536 * blocks));
  }
}

#ifdef __linux__
// Reads into a buffer 16 bytes past a page run several times slower on some
// processors: every read FileCrc32 makes (and the pool's, which go through
// it) lands on a page boundary. The counter itself is checked first.
TEST_P(FileCrc32Test, EveryReadGoesIntoAPageAlignedBuffer) {
  TempDir dir;
  const std::string bytes = RandomBytes(6 << 20, 7);
  testutil::WriteBytes(dir / "big.bin", bytes);
  {
    platform::File file = platform::File::Open(dir / "big.bin", platform::Access::Read, platform::Share::Read,
                                               platform::Disposition::OpenExisting);
    const platform::PageBuffer buffer = platform::AllocatePageBuffer(8192);
    std::size_t got = 0;
    std::string error;
    const std::uint64_t before = platform::UnalignedTransfersForTest();
    ASSERT_TRUE(file.Read(buffer.get() + 16, 4096, got, error));
    ASSERT_EQ(platform::UnalignedTransfersForTest(), before + 1) << "an unaligned read is counted";
  }
  const std::uint64_t before = platform::UnalignedTransfersForTest();
  EXPECT_EQ(FileCrc32(dir / "big.bin", nullptr, nullptr).crc, Crc32Of(bytes.data(), bytes.size()));
  HashJobs jobs(2, nullptr, nullptr);
  for (std::size_t key = 0; key < 3; ++key) jobs.Add(key, dir / "big.bin", *platform::LookUpPath(dir / "big.bin"));
  for (std::size_t key = 0; key < 3; ++key) {
    EXPECT_EQ(Crc32FromBytes(jobs.Hash(HashKind::Crc32, key, dir / "big.bin", platform::LookUpPath(dir / "big.bin"),
                                       nullptr)
                                 .digest),
              Crc32Of(bytes.data(), bytes.size()));
  }
  EXPECT_EQ(platform::UnalignedTransfersForTest(), before);
}

// The whole-file routines read and write through page-aligned buffers too.
TEST(PageAlignedBuffers, WholeFileReadsAndWritesUseThem) {
  TempDir dir;
  const std::uint64_t before = platform::UnalignedTransfersForTest();
  std::string text = RandomBytes(200000, 3);
  for (char& c : text) c = c == '\0' ? 'z' : c;  // a NUL would end a piece of the text
  std::string error;
  ASSERT_TRUE(WriteFileText(dir / "t.txt", text, error)) << error;
  EXPECT_EQ(ReadFileText(dir / "t.txt", error), text);
  ASSERT_TRUE(platform::ReplaceWholeFile(dir / "w.bin", text));
  EXPECT_EQ(platform::ReadWholeFile(dir / "w.bin"), text);
  EXPECT_EQ(platform::UnalignedTransfersForTest(), before);
}

// A large file the page cache does not hold is read past it; once the cache
// holds it, through it.
TEST(FileCrc32Choice, ReadsPastTheCacheOnlyWhatTheCacheDoesNotHold) {
  TempDir dir;
  const std::string bytes = RandomBytes(20 << 20, 5);
  testutil::WriteBytes(dir / "big.bin", bytes);
  platform::File file = platform::File::Open(dir / "big.bin", platform::Access::Read, platform::Share::Read,
                                             platform::Disposition::OpenExisting);
  const int fd = open((dir / "big.bin").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  fsync(fd);  // written pages cannot be dropped
  posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  close(fd);
  const std::optional<platform::File::CacheState> state = file.CachedBytes();
  if (!state) GTEST_SKIP() << "this kernel cannot tell what the cache holds";
  ASSERT_EQ(state->size, bytes.size());
  ASSERT_LT(state->cached, bytes.size() / 8) << "the file stayed in the cache";
  const platform::PageBuffer probe = platform::AllocateDirectReadBuffer(1 << 20);
  std::size_t got = 0;
  if (!file.ReadDirectAt(0, probe.get(), 1 << 20, got)) GTEST_SKIP() << "this file system reads only through the cache";

  const std::uint64_t before = FileCrcDirectReadsForTest();
  EXPECT_EQ(FileCrc32(dir / "big.bin", nullptr, nullptr).crc, Crc32Of(bytes.data(), bytes.size()));
  EXPECT_EQ(FileCrcDirectReadsForTest(), before + 3) << "8 + 8 + 4 MiB";
  EXPECT_LT(file.CachedBytes()->cached, bytes.size() / 8) << "a read past the cache leaves it as it was";

  FileCrcForceReadPathForTest(FileCrcReadPath::Plain);
  EXPECT_EQ(FileCrc32(dir / "big.bin", nullptr, nullptr).crc, Crc32Of(bytes.data(), bytes.size()));
  FileCrcForceReadPathForTest(FileCrcReadPath::Auto);
  ASSERT_EQ(file.CachedBytes()->cached, bytes.size());
  EXPECT_EQ(FileCrc32(dir / "big.bin", nullptr, nullptr).crc, Crc32Of(bytes.data(), bytes.size()));
  EXPECT_EQ(FileCrcDirectReadsForTest(), before + 3) << "the file in the cache is read through it";
}

TEST_P(FileCrc32Test, ReadErrorAfterOpenIsReportedNotHidden) {
  // Reading /proc/self/mem at offset 0 opens fine and then fails with EIO.
  FileCrcResult result = FileCrc32("/proc/self/mem", nullptr, nullptr);
  EXPECT_TRUE(result.readFailed);
  EXPECT_FALSE(result.errorText.empty());
}
#endif

}  // namespace
