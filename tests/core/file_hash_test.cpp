#include <gtest/gtest.h>

#include <numeric>

#include "TestUtil.h"
#include "core/Quor_ChecksumList.h"
#include "core/Quor_FileHash.h"

namespace {

using testutil::RecordingTarget;
using testutil::TempDir;

// Every hash through the one read loop, each way of reading: a digest's
// pieces must come in order even where CRC-32 has a helper hash some apart.
class FileHashTest : public testing::TestWithParam<FileCrcReadPath> {
 protected:
  void SetUp() override { FileCrcForceReadPathForTest(GetParam()); }
  void TearDown() override { FileCrcForceReadPathForTest(FileCrcReadPath::Auto); }
};

INSTANTIATE_TEST_SUITE_P(ReadPaths, FileHashTest,
                         testing::Values(FileCrcReadPath::Plain, FileCrcReadPath::Shared,
                                         FileCrcReadPath::Direct, FileCrcReadPath::Auto),
                         [](const testing::TestParamInfo<FileCrcReadPath>& info) {
                           return testutil::ReadPathName(info.param);
                         });

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}

// Known answers (sha256sum and its siblings): the empty file, "abc", and
// 1 MiB of the pattern above, which takes several pieces of every read path.
struct KnownAnswer {
  HashKind hash;
  const char* empty;
  const char* abc;
  const char* pattern;
};
const KnownAnswer kKnownAnswers[] = {
    {HashKind::Crc32, "00000000", "352441C2", nullptr},
    {HashKind::Md5, "D41D8CD98F00B204E9800998ECF8427E", "900150983CD24FB0D6963F7D28E17F72",
     "8F293A2F6C19B345152F7A49BB4C643C"},
    {HashKind::Sha1, "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709", "A9993E364706816ABA3E25717850C26C9CD0D89D",
     "C2FC4CB20F1301A6B0DD211C19E69A13925DBE40"},
    {HashKind::Sha256, "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855",
     "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD",
     "631B84027D6B9E52B539C4E8373622D23032DFADC64D60AF87339C9037E4F769"},
    {HashKind::Sha512,
     "CF83E1357EEFB8BDF1542850D66D8007D620E4050B5715DC83F4A921D36CE9CE47D0D13C5D85F2B0FF8318D2877EEC2F63B931BD47417A81A538327AF927DA3E",
     "DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A2192992A274FC1A836BA3C23A3FEEBBD454D4423643CE80E2A9AC94FA54CA49F",
     "67DAD569EEFC986A3B2424F5516D5A0284BB53D7B52D75F5ED881A6830A95765CCC82BC48752FB693422579F11DC9A400561EC1885AF9EEEF703DBBD312D4FD0"},
};

TEST_P(FileHashTest, KnownAnswersWithReportsThatAddUpToTheLength) {
  TempDir dir;
  testutil::WriteBytes(dir / "empty", "");
  testutil::WriteBytes(dir / "abc", "abc");
  const std::string pattern = Pattern(1 << 20);
  testutil::WriteBytes(dir / "pattern", pattern);
  for (const KnownAnswer& known : kKnownAnswers) {
    SCOPED_TRACE(HashName(known.hash));
    for (const auto& [file, answer, size] : {std::tuple{"empty", known.empty, std::size_t{0}},
                                              std::tuple{"abc", known.abc, std::size_t{3}},
                                              std::tuple{"pattern", known.pattern, pattern.size()}}) {
      if (!answer) continue;
      RecordingTarget target;
      const FileHashResult result = FileHash(dir / file, known.hash, nullptr, &target);
      EXPECT_TRUE(result.opened && !result.readFailed) << file;
      EXPECT_EQ(HexText(result.digest), answer) << file;
      EXPECT_EQ(result.digest.size(), HashLength(known.hash));
      std::uint64_t reported = 0;
      for (const auto& [code, value] : target.notices) reported += value;
      EXPECT_EQ(reported, size) << file;
    }
  }
}

TEST_P(FileHashTest, SameReportsAndStopsAsFileCrc32) {
  TempDir dir;
  const std::string data = Pattern(FileCrcBlockSize() * 450 + 77);
  testutil::WriteBytes(dir / "large", data);
  RecordingTarget crcReports, digestReports;
  FileCrc32(dir / "large", nullptr, &crcReports);
  FileHash(dir / "large", HashKind::Sha256, nullptr, &digestReports);
  EXPECT_EQ(digestReports.notices, crcReports.notices);

  // A raised stop flag ends the hash after its first block: the digest of
  // that block, not of the file.
  StopFlag stop{1};
  const FileHashResult cut = FileHash(dir / "large", HashKind::Md5, &stop, nullptr);
  testutil::WriteBytes(dir / "first", data.substr(0, FileCrcBlockSize()));
  EXPECT_EQ(cut.digest, FileHash(dir / "first", HashKind::Md5, nullptr, nullptr).digest);
}

TEST(FileHash, UnopenableFileGivesNoDigestAndNoReport) {
  TempDir dir;
  RecordingTarget target;
  const FileHashResult result = FileHash(dir / "absent", HashKind::Sha1, nullptr, &target);
  EXPECT_FALSE(result.opened);
  EXPECT_TRUE(result.digest.empty());
  EXPECT_FALSE(result.errorText.empty());
  EXPECT_TRUE(target.notices.empty());
}

}  // namespace
