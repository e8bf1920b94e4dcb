#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "TestUtil.h"
#include "core/Quor_CRC32.h"
#include "core/Quor_CRC32Kernels.h"

namespace {

// xorshift64, eight bytes a step: cheap enough for tens of megabytes even
// in sanitizer builds.
std::vector<unsigned char> RandomBuffer(std::size_t size, unsigned seed) {
  std::vector<unsigned char> bytes(size);
  std::uint64_t state = 0x9E3779B97F4A7C15ull * (seed + 1);
  for (std::size_t i = 0; i < size; i += 8) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    std::memcpy(bytes.data() + i, &state, std::min<std::size_t>(8, size - i));
  }
  return bytes;
}

std::vector<Crc32Kernel> SupportedKernels() {
  std::vector<Crc32Kernel> kernels;
  for (Crc32Kernel k : kAllCrc32Kernels)
    if (Crc32KernelSupported(k)) kernels.push_back(k);
  return kernels;
}

// Puts Crc32Update back on the processor's choice at the end of a test.
struct ForcedKernel {
  explicit ForcedKernel(Crc32Kernel k) { ok = Crc32ForceKernelForTest(k); }
  ~ForcedKernel() { Crc32ForceKernelForTest(Crc32Kernel::Auto); }
  bool ok;
};

TEST(Crc32Kernels, TheTableKernelRunsEverywhereAndTheChoiceIsSupported) {
  EXPECT_TRUE(Crc32KernelSupported(Crc32Kernel::Slice16));
  EXPECT_NE(Crc32ActiveKernel(), Crc32Kernel::Auto);
  EXPECT_TRUE(Crc32KernelSupported(Crc32ActiveKernel()));
  std::printf("kernel chosen: %s\n", Crc32KernelName(Crc32ActiveKernel()));
}

TEST(Crc32Kernels, CheckValues) {
  for (Crc32Kernel k : SupportedKernels()) {
    SCOPED_TRACE(Crc32KernelName(k));
    EXPECT_EQ(Crc32UpdateWith(k, 0xFFFFFFFFu, "123456789", 9) ^ 0xFFFFFFFFu, 0xCBF43926u);
    EXPECT_EQ(Crc32UpdateWith(k, 0xFFFFFFFFu, "abc", 3) ^ 0xFFFFFFFFu, 0x352441C2u);
    EXPECT_EQ(Crc32UpdateWith(k, 0xFFFFFFFFu, "", 0) ^ 0xFFFFFFFFu, 0u);
    EXPECT_EQ(Crc32UpdateWith(k, 0x12345678u, nullptr, 0), 0x12345678u);
  }
}

// Every length 0..4096 at every alignment 0..63, against the byte table.
// The reference grows one byte at a time, so it costs almost nothing.
TEST(Crc32Kernels, EveryLengthAtEveryAlignmentEqualsTheByteTable) {
  constexpr std::size_t kMaxLength = 4096, kAlignments = 64;
  const std::vector<unsigned char> data = RandomBuffer(kMaxLength + kAlignments + 64, 11);
  // Start the buffer on a 64-byte boundary so that offsets are alignments.
  const unsigned char* base = data.data() + (64 - reinterpret_cast<std::uintptr_t>(data.data()) % 64);
  const std::vector<Crc32Kernel> kernels = SupportedKernels();
  for (std::size_t align = 0; align < kAlignments; ++align) {
    const unsigned char* p = base + align;
    // Alternate preset registers so a kernel that ignores crc is caught.
    const std::uint32_t start = align % 2 ? 0xFFFFFFFFu : 0x9E3779B9u * static_cast<std::uint32_t>(align);
    std::uint32_t reference = start;
    for (std::size_t length = 0; length <= kMaxLength; ++length) {
      if (length > 0) reference = Crc32UpdateByteTable(reference, p + length - 1, 1);
      for (Crc32Kernel k : kernels) {
        const std::uint32_t got = Crc32UpdateWith(k, start, p, length);
        if (got != reference) {
          ADD_FAILURE() << Crc32KernelName(k) << " length " << length << " alignment " << align;
          return;
        }
      }
    }
  }
}

TEST(Crc32Kernels, LargeRandomBuffersEqualTheByteTable) {
  for (auto [size, seed] : {std::pair<std::size_t, unsigned>{1 << 20, 1}, {3'000'017, 2}, {65535, 3}}) {
    const std::vector<unsigned char> data = RandomBuffer(size, seed);
    const std::uint32_t reference = Crc32UpdateByteTable(0xFFFFFFFFu, data.data(), data.size());
    for (Crc32Kernel k : SupportedKernels())
      EXPECT_EQ(Crc32UpdateWith(k, 0xFFFFFFFFu, data.data(), data.size()), reference)
          << Crc32KernelName(k) << " size " << size;
  }
}

TEST(Crc32Kernels, ArbitraryPiecesCarryTheRunningRegister) {
  const std::vector<unsigned char> data = RandomBuffer(200'000, 5);
  const std::uint32_t whole = Crc32UpdateByteTable(0xFFFFFFFFu, data.data(), data.size());
  std::mt19937 gen(9);
  for (Crc32Kernel k : SupportedKernels()) {
    for (int round = 0; round < 20; ++round) {
      // Pieces from a few bytes to tens of kilobytes, cut anywhere.
      std::uniform_int_distribution<std::size_t> piece(0, round % 2 ? 70 : 20'000);
      std::uint32_t crc = 0xFFFFFFFFu;
      for (std::size_t at = 0; at < data.size();) {
        const std::size_t n = std::min(piece(gen), data.size() - at);
        crc = Crc32UpdateWith(k, crc, data.data() + at, n);
        at += n;
      }
      ASSERT_EQ(crc, whole) << Crc32KernelName(k) << " round " << round;
    }
  }
}

TEST(Crc32Kernels, ForcingAKernelSwitchesCrc32Update) {
  const std::vector<unsigned char> data = RandomBuffer(5000, 6);
  const std::uint32_t reference = Crc32UpdateByteTable(0xFFFFFFFFu, data.data(), data.size());
  for (Crc32Kernel k : SupportedKernels()) {
    ForcedKernel forced(k);
    ASSERT_TRUE(forced.ok);
    EXPECT_EQ(Crc32ActiveKernel(), k);
    EXPECT_EQ(Crc32Update(0xFFFFFFFFu, data.data(), data.size()), reference);
  }
  for (Crc32Kernel k : kAllCrc32Kernels) {
    if (!Crc32KernelSupported(k)) {
      EXPECT_FALSE(Crc32ForceKernelForTest(k));
    }
  }
}

// A target that records reports and raises the stop flag at the second.
class StopOnSecondReport : public NoticeTarget {
 public:
  explicit StopOnSecondReport(StopFlag& flag) : flag_(flag) {}
  void Notify(NotifyCode code, std::uint32_t value) override {
    EXPECT_EQ(code, CN_BYTES_DONE);
    reports.push_back(value);
    if (reports.size() == 2) flag_.store(1, std::memory_order_relaxed);
  }
  std::vector<std::uint32_t> reports;

 private:
  StopFlag& flag_;
};

TEST(Crc32Kernels, FileCrc32GivesTheSameResultsAndReportsWithEveryKernel) {
  testutil::TempDir dir;
  const std::size_t block = FileCrcBlockSize();
  const std::vector<unsigned char> data = RandomBuffer(block * 450 + 777, 8);
  testutil::WriteBytes(dir / "big", std::string(data.begin(), data.end()));
  const std::uint32_t register400 = Crc32UpdateByteTable(0xFFFFFFFFu, data.data(), block * 400);
  const std::uint32_t first400 = register400 ^ 0xFFFFFFFFu;
  const std::uint32_t whole =
      Crc32UpdateByteTable(register400, data.data() + block * 400, data.size() - block * 400) ^ 0xFFFFFFFFu;
  const auto b = static_cast<std::uint32_t>(block);
  for (Crc32Kernel k : SupportedKernels()) {
    ForcedKernel forced(k);
    for (FileCrcReadPath path : {FileCrcReadPath::Plain, FileCrcReadPath::Shared, FileCrcReadPath::Direct}) {
      SCOPED_TRACE(std::string(Crc32KernelName(k)) + ", " + testutil::ReadPathName(path));
      FileCrcForceReadPathForTest(path);
      testutil::RecordingTarget target;
      EXPECT_EQ(FileCrc32(dir / "big", nullptr, &target).crc, whole);
      std::vector<std::uint32_t> values;
      for (const auto& [code, value] : target.notices) values.push_back(value);
      EXPECT_EQ(values, (std::vector<std::uint32_t>{200 * b, 200 * b, 50 * b + 777, 0}));

      StopFlag flag{0};
      StopOnSecondReport stopper(flag);
      EXPECT_EQ(FileCrc32(dir / "big", &flag, &stopper).crc, first400);
      EXPECT_EQ(stopper.reports, (std::vector<std::uint32_t>{200 * b, 200 * b}));
    }
  }
  FileCrcForceReadPathForTest(FileCrcReadPath::Auto);
}

}  // namespace
