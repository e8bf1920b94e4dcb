#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <initializer_list>
#include <thread>

#include "RecordingHost.h"
#include "TestUtil.h"
#include "check/Quor_CheckThread.h"
#include "core/Quor_CRC32.h"
#include "core/Quor_ChecksumList.h"
#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Sfv.h"
#include "core/Quor_Text.h"
#include "platform/digest.h"
#include "platform/fs.h"
#include "shell/Quor_MiscLib.h"

namespace {

using testutil::Eventually;
using testutil::HostEvent;
using testutil::ReadBytes;
using testutil::RecordingHost;
using testutil::TempDir;
using testutil::UnopenableFile;
using testutil::WriteBytes;
using Trace = std::vector<std::string>;

constexpr char kSep[] = "F ||||0";  // the separator row in a trace


std::string Line(const std::string& name, const std::string& content) {
  return FormatSfvLine(name, Crc32Of(content.data(), content.size()));
}

// A line of a list of SHA-256 digests, as sha256sum writes it.
std::string Sha256Line(const std::string& name, const std::string& content) {
  platform::Digest digest(platform::DigestAlgorithm::Sha256);
  digest.Update(content.data(), content.size());
  return FormatGnuLine(name, digest.Finish());
}

// The trace with one list's name put in place of another's.
Trace Renamed(Trace trace, const std::string& from, const std::string& to) {
  for (std::string& item : trace) {
    for (std::size_t at = item.find(from); at != std::string::npos; at = item.find(from, at + to.size())) {
      item.replace(at, from.size(), to);
    }
  }
  return trace;
}

class CheckThreadTest : public ::testing::Test {
 protected:
  void SetUp() override { host.hideFolder = dir.path(); }

  // Writes an SFV file of the given file lines; gives its path.
  std::string WriteSfv(const std::string& relative, const std::vector<std::string>& lines) {
    const std::string path = dir / relative;
    WriteBytes(path, "; made by the test\r\n" + JoinListText(lines));
    return path;
  }
  std::string ProgressPath(const std::string& sfvPath) const {
    return ProgressFolder(program.path()) + ProgressFileName(sfvPath);
  }
  // The progress file text of an SFV file with records of the listed files
  // found good as they stand now.
  std::string ProgressText(const std::string& sfvPath,
                           const std::vector<std::pair<std::string, std::uint32_t>>& goodFiles) const {
    std::string text = ProgressHeader(sfvPath) + kCrLf;
    for (const auto& [name, crc] : goodFiles) {
      text += KnownGoodRecord(name, *platform::LookUpPath(ExtractFilePath(sfvPath) + name), crc) + kCrLf;
    }
    return text;
  }

  void Configure(TZERAravoThread& worker, const std::string& queue) {
    worker.QueueText = queue;
    worker.SkipKnownGood = skipKnownGood;
    worker.RenameBad = renameBad;
    worker.MakeDummy = makeDummy;
    worker.ProgramFolder = program.path();
    worker.Host = &host;
    worker.AbortFlag = &abortFlag;
    worker.HaltFlag = &haltFlag;
    worker.SkipFlag = &skipFlag;
    worker.Gate = &gate;
    worker.Jobs = jobs;
  }
  // Checks the queue on this thread with a fresh recording.
  Trace Run(const std::string& queue, bool withBytes = false) {
    host.Clear();
    host.onEvent = onEvent;
    TZERAravoThread worker;
    Configure(worker, queue);
    worker.Execute();
    return host.Trace(withBytes);
  }
  static std::string All(const std::string& sfvPath) { return "ALL$" + sfvPath + kCrLf; }

  // Writes the files, each holding its own name, and an SFV file listing them.
  std::string OwnNamesSfv(const std::string& relative, std::initializer_list<const char*> names) {
    std::vector<std::string> lines;
    for (const char* name : names) {
      WriteBytes(dir / name, name);
      lines.push_back(Line(name, name));
    }
    return WriteSfv(relative, lines);
  }
  // Raises the flag when the second file of the run reports its first bytes.
  void RaiseAtTheSecondFile(StopFlag& flag) {
    onEvent = [&flag, hashed = 0](const HostEvent& event) mutable {
      if (event.type == HostEvent::Notice && event.code == CN_BYTES_DONE && event.value > 0 && ++hashed == 2) {
        flag = 1;
      }
    };
  }

  // The three-file folder: a.bin intact, b.bin altered, c.bin absent.
  std::string ThreeFiles() {
    WriteBytes(dir / "a.bin", "hello");
    WriteBytes(dir / "b.bin", "wrong!");
    return WriteSfv("three.sfv", {Line("a.bin", "hello"), Line("b.bin", "world!"), Line("c.bin", "again")});
  }

  TempDir dir;
  TempDir program;
  RecordingHost host;
  std::function<void(const HostEvent&)> onEvent;
  StopFlag abortFlag{0};
  StopFlag haltFlag{0};
  StopFlag skipFlag{0};
  PauseGate gate;
  bool skipKnownGood = false;
  bool renameBad = false;
  bool makeDummy = false;
  unsigned jobs = 1;
};

TEST_F(CheckThreadTest, OneOkOneBadOneMissingInListOrderWithEveryNotice) {
  const std::string sfv = ThreeFiles();
  EXPECT_EQ(Run(All(sfv), true),
            (Trace{"#134", "#132", "#138=11", "#127", "#111", "#139=5", "F a.bin|~|- OK -|5|1", "#139=6",
                   "F b.bin|~|- !BAD! -|6|3", "F c.bin|~|MISSING||4", kSep, "S ~three.sfv|3|1|1|1", "#129",
                   "#112"}));
  EXPECT_EQ(testutil::FolderNames(dir.path()), (std::vector<std::string>{"a.bin", "b.bin", "three.sfv"}))
      << "with every option off nothing is made or renamed";
  EXPECT_FALSE(platform::FolderExists(ProgressFolder(program.path())));
}

TEST_F(CheckThreadTest, MarkersAreMadeAndRemovedWhenTheFilesComeRight) {
  makeDummy = true;
  const std::string sfv = ThreeFiles();
  Run(All(sfv));
  ASSERT_TRUE(platform::FileExists(dir / "b.bin_BAD_OR_INCOMPLETE"));
  ASSERT_TRUE(platform::FileExists(dir / "c.bin_MISSING"));
  EXPECT_EQ(FileSize32(dir / "b.bin_BAD_OR_INCOMPLETE"), 0u);
  EXPECT_EQ(ReadBytes(dir / "b.bin"), "wrong!") << "the bad file itself stays";

  WriteBytes(dir / "b.bin", "world!");
  WriteBytes(dir / "c.bin", "again");
  EXPECT_EQ(Run(All(sfv))[9], "S ~three.sfv|3|3|0|0");
  EXPECT_EQ(testutil::FolderNames(dir.path()),
            (std::vector<std::string>{"a.bin", "b.bin", "c.bin", "three.sfv"}));
}

// Enough files that Windows takes the total from one listing of the folder,
// which then shows the markers too.
TEST_F(CheckThreadTest, MarkersBesideAListOfManyFilesAreRemovedWhenTheFilesComeRight) {
  const std::string sfv = OwnNamesSfv("many.sfv", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m",
                                                    "n", "o", "p", "q", "r", "s", "t"});
  WriteBytes(dir / "c_MISSING", "");
  WriteBytes(dir / "h_BAD_OR_INCOMPLETE", "");
  EXPECT_EQ(Run(All(sfv)).end()[-3], "S ~many.sfv|20|20|0|0");
  EXPECT_FALSE(platform::FileExists(dir / "c_MISSING") || platform::FileExists(dir / "h_BAD_OR_INCOMPLETE"));
}

// Markers are looked for in a listing of each folder the SFV file reaches,
// matched as the file system matches names.
TEST_F(CheckThreadTest, MarkersInSubFoldersAndInOtherLetterCaseAreRemovedToo) {
  ASSERT_TRUE(platform::CreateFolder(dir / "sub"));
  WriteBytes(dir / "sub" + platform::kPathSep + "x.bin", "x");
  WriteBytes(dir / "sub" + platform::kPathSep + "x.bin_MISSING", "");
#ifdef _WIN32
  WriteBytes(dir / "sub" + platform::kPathSep + "X.BIN_bad_or_incomplete", "");
#endif
  EXPECT_EQ(Run(All(WriteSfv("one.sfv", {Line("sub\\x.bin", "x")})))[5], "F sub\\x.bin|~|- OK -|1|1");
  EXPECT_EQ(testutil::FolderNames(dir / "sub"), (std::vector<std::string>{"x.bin"}));
}

TEST_F(CheckThreadTest, AMarkerNeverReplacesAFileAndOnlyEmptyMarkersAreRemoved) {
  makeDummy = true;
  renameBad = true;
  const std::string sfv = ThreeFiles();
  WriteBytes(dir / "c.bin_MISSING", "the user's own file");
  Run(All(sfv));
  // The bad file was renamed onto the marker's name: its content is kept.
  EXPECT_FALSE(platform::FileExists(dir / "b.bin"));
  EXPECT_EQ(ReadBytes(dir / "b.bin_BAD_OR_INCOMPLETE"), "wrong!");
  EXPECT_EQ(ReadBytes(dir / "c.bin_MISSING"), "the user's own file");

  // Good copies arrive: the renamed bad copy and the user's file are not markers.
  WriteBytes(dir / "b.bin", "world!");
  WriteBytes(dir / "c.bin", "again");
  EXPECT_EQ(Run(All(sfv))[9], "S ~three.sfv|3|3|0|0");
  EXPECT_EQ(ReadBytes(dir / "b.bin_BAD_OR_INCOMPLETE"), "wrong!");
  EXPECT_EQ(ReadBytes(dir / "c.bin_MISSING"), "the user's own file");
}

TEST_F(CheckThreadTest, RenamedBadFileIsMissingNextTimeAndRenameNeverReplaces) {
  renameBad = true;
  WriteBytes(dir / "Part1.rar", "one");
  WriteBytes(dir / "Part2.rar", "broken");
  const std::string sfv = WriteSfv("show.sfv", {Line("Part1.rar", "one"), Line("Part2.rar", "two")});
  Run(All(sfv));
  EXPECT_FALSE(platform::FileExists(dir / "Part2.rar"));
  EXPECT_EQ(ReadBytes(dir / "Part2.rar_BAD_OR_INCOMPLETE"), "broken");
  EXPECT_EQ(Run(All(sfv))[6], "F Part2.rar|~|MISSING||4");

  // A second bad copy finds the name taken: it stays where it is.
  WriteBytes(dir / "Part2.rar", "broken again");
  EXPECT_EQ(Run(All(sfv))[6], "F Part2.rar|~|- !BAD! -|12|3");
  EXPECT_EQ(ReadBytes(dir / "Part2.rar"), "broken again");
  EXPECT_EQ(ReadBytes(dir / "Part2.rar_BAD_OR_INCOMPLETE"), "broken");
}

TEST_F(CheckThreadTest, RenameBadTakesTheNameOfAnEmptyMarkerLeftByAnEarlierCheck) {
  const std::string sfv = ThreeFiles();
  makeDummy = true;
  Run(All(sfv));
  ASSERT_TRUE(platform::FileExists(dir / "b.bin_BAD_OR_INCOMPLETE"));
  makeDummy = false;
  renameBad = true;
  Run(All(sfv));
  EXPECT_FALSE(platform::FileExists(dir / "b.bin"));
  EXPECT_EQ(ReadBytes(dir / "b.bin_BAD_OR_INCOMPLETE"), "wrong!");
}

TEST_F(CheckThreadTest, AFileThatCannotBeOpenedIsBadWithItsReasonAndNothingIsMadeOrKept) {
  renameBad = true;
  makeDummy = true;
  skipKnownGood = true;
  const struct {
    const char* name;
    std::uint32_t listed;
  } cases[] = {
      {"zero.rar", 0},            // the CRC of nothing read: must not pass as OK
      {"other.rar", 0x12345678},  // must not be renamed or marked
  };
  const UnopenableFile zero(dir / cases[0].name);
  const UnopenableFile other(dir / cases[1].name);
  ASSERT_TRUE(zero.Ready() && other.Ready());
  WriteBytes(dir / "ok.bin", "fine");
  const std::string sfv =
      WriteSfv("locked.sfv", {FormatSfvLine(cases[0].name, cases[0].listed),
                              FormatSfvLine(cases[1].name, cases[1].listed), Line("ok.bin", "fine")});
  Run(All(sfv));
  const std::vector<FileRow> rows = host.FileRows();
  ASSERT_EQ(rows.size(), 6u);
  for (std::size_t i = 0; i < 2; ++i) {
    const FileRow& row = rows[2 * i];
    const FileRow& notice = rows[2 * i + 1];
    EXPECT_EQ(row.name, cases[i].name);
    EXPECT_EQ(row.kind, FileRowKind::Bad) << row.name;
    EXPECT_EQ(notice.kind, FileRowKind::Notice) << row.name;
    EXPECT_EQ(notice.name, cases[i].name);
    EXPECT_FALSE(notice.path.empty()) << "the reason";
  }
  EXPECT_EQ(rows[4].status, "- OK -");
  EXPECT_EQ(host.Trace()[11], "S ~locked.sfv|3|1|2|0");
  EXPECT_EQ(testutil::FolderNames(dir.path()),
            (std::vector<std::string>{"locked.sfv", "ok.bin", "other.rar", "zero.rar"}));
  EXPECT_EQ(ReadBytes(ProgressPath(sfv)), ProgressText(sfv, {{"ok.bin", Crc32Of("fine", 4)}}));
}

TEST_F(CheckThreadTest, ProgressFileSkipsKnownGoodFilesUntilAllAreGood) {
  skipKnownGood = true;
  WriteBytes(dir / "a.bin", "hello");
  WriteBytes(dir / "b.bin", "wrong!");
  const std::string sfv = WriteSfv("Show.SFV", {Line("a.bin", "hello"), Line("b.bin", "world!")});
  const std::string progress = ProgressPath(sfv);
  Run(All(sfv));
  EXPECT_EQ(ReadBytes(progress), ProgressText(sfv, {{"a.bin", Crc32Of("hello", 5)}}));

  // a.bin is skipped: counted as done by its size, never opened.
  EXPECT_EQ(Run(All(sfv), true),
            (Trace{"#134", "#132", "#138=11", "#127", "#111", "#139=5", "F a.bin|~|- OK -|5|2", "#139=6",
                   "F b.bin|~|- !BAD! -|6|3", kSep, "S ~Show.SFV|2|1|1|0", "#129", "#112"}));

  WriteBytes(dir / "b.bin", "world!");
  Trace trace = Run(All(sfv));
  EXPECT_EQ(trace[5], "F a.bin|~|- OK -|5|2");
  EXPECT_EQ(trace[6], "F b.bin|~|- OK -|6|1");
  EXPECT_FALSE(platform::FileExists(progress)) << "all good: the progress file goes";
  trace = Run(All(sfv));
  EXPECT_EQ(trace[5], "F a.bin|~|- OK -|5|1") << "hashed again";
}

TEST_F(CheckThreadTest, AKnownGoodFileOf4GiBOrMoreCountsItsWholeSize) {
  skipKnownGood = true;
  const std::uint64_t size = (5ULL << 30) + 5;
  {
    platform::File file = platform::File::Open(dir / "disc.iso", platform::Access::Write, platform::Share::Read,
                                               platform::Disposition::CreateAlways);
    std::string error;
    ASSERT_TRUE(file.SetSize(size, error)) << error;  // sparse: never read, it is known good
  }
  const std::string sfv = WriteSfv("disc.sfv", {FormatSfvLine("disc.iso", 0x12345678u)});
  std::string error;
  ASSERT_TRUE(WriteFileText(ProgressPath(sfv), ProgressText(sfv, {{"disc.iso", 0x12345678u}}), error));
  // The total and the bytes done both carry all of it, so the progress bar
  // runs to 100; the size column shows the whole size.
  EXPECT_EQ(Run(All(sfv), true),
            (Trace{"#134", "#132", "#137=1", "#138=1073741829", "#127", "#111", "#139=4294967295",
                   "#139=1073741830", "F disc.iso|~|- OK -|" + FormatThousands(size) + "|2", kSep,
                   "S ~disc.sfv|1|1|0|0", "#129", "#112"}));
}

TEST_F(CheckThreadTest, TouchedFileIsHashedAgainAndNewRecordsFollowTheOnesRead) {
  skipKnownGood = true;
  WriteBytes(dir / "a.bin", "hello");
  WriteBytes(dir / "b.bin", "bye");
  const std::string sfv = WriteSfv("x.sfv", {Line("a.bin", "hello"), Line("b.bin", "bye"), Line("c.bin", "c")});
  const std::string progress = ProgressPath(sfv);
  std::string error;
  ASSERT_TRUE(WriteFileText(progress, ProgressText(sfv, {{"a.bin", Crc32Of("hello", 5)}, {"b.bin", Crc32Of("bye", 3)}}),
                            error));
  ASSERT_TRUE(platform::SetLastWriteTime(dir / "b.bin", platform::NowFileTime() - 864000000000ULL));
  const Trace trace = Run(All(sfv));
  EXPECT_EQ(trace[5], "F a.bin|~|- OK -|5|2");
  EXPECT_EQ(trace[6], "F b.bin|~|- OK -|3|1") << "written since it was found good";
  // The new record is added after the ones read.
  EXPECT_EQ(SplitListText(ReadBytes(progress)).back(),
            KnownGoodRecord("b.bin", *platform::LookUpPath(dir / "b.bin"), Crc32Of("bye", 3)));
}

// A record vouches only for the same file at the same place, against the
// same CRC, with the same size: each case changes one of these after a.bin
// was found good (b.bin stays bad, so the progress file stays) and expects
// a.bin to be hashed again.
TEST_F(CheckThreadTest, AKnownGoodRecordCountsOnlyForTheSameFileSfvFileCrcAndSize) {
  skipKnownGood = true;
  const std::string good = "hello", bad = "wrong!";
  const std::uint32_t goodCrc = Crc32Of(good.data(), good.size());
  struct Case {
    const char* what;
    std::function<std::string(const std::string& sfv)> change;  // gives the SFV file to check next
    const char* expectedRow;
  };
  const auto writeShow = [&](const std::string& folder, std::uint32_t listedCrc) {
    testutil::MakeFolder(folder);
    WriteBytes(folder + "a.bin", good);
    WriteBytes(folder + "b.bin", bad);
    return WriteSfv(folder.substr(dir.path().size()) + "show.sfv",
                    {FormatSfvLine("a.bin", listedCrc), Line("b.bin", "world!")});
  };
  const std::vector<Case> cases = {
      {"the SFV file lists another CRC",
       [&](const std::string& sfv) {
         return WriteSfv(sfv.substr(dir.path().size()), {FormatSfvLine("a.bin", goodCrc ^ 1), Line("b.bin", "world!")});
       },
       "F a.bin|~Show/|- !BAD! -|5|3"},
      {"another file of another size with the same write time",
       [&](const std::string& sfv) {
         const std::string a = ExtractFilePath(sfv) + "a.bin";
         const std::uint64_t time = platform::LookUpPath(a)->lastWriteTime;
         WriteBytes(a, good + "!");
         EXPECT_TRUE(platform::SetLastWriteTime(a, time));
         return sfv;
       },
       "F a.bin|~Show/|- !BAD! -|6|3"},
      {"a copy in another folder of the same name, corrupt, with the same times",
       [&](const std::string& sfv) {
         const std::string copy = dir / "elsewhere/Show/";
         testutil::MakeFolder(dir / "elsewhere");
         const std::string copied = writeShow(copy, goodCrc);
         WriteBytes(copy + "a.bin", "jello");
         for (const char* name : {"a.bin", "b.bin"}) {
           EXPECT_TRUE(platform::SetLastWriteTime(
               copy + name, platform::LookUpPath(ExtractFilePath(sfv) + name)->lastWriteTime));
         }
         EXPECT_EQ(ProgressPath(copied), ProgressPath(sfv)) << "one progress file for both";
         return copied;
       },
       "F a.bin|~elsewhere/Show/|- !BAD! -|5|3"},
  };
  // The first file's row, with "/" between folders on every platform.
  const auto firstRow = [this](const std::string& sfv) {
    std::string row = Run(All(sfv))[5];
    for (char& ch : row) ch = ch == '\\' ? '/' : ch;
    return row;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string sfv = writeShow(dir / "Show/", goodCrc);
    Run(All(sfv));
    ASSERT_EQ(firstRow(sfv), "F a.bin|~Show/|- OK -|5|2") << "the record counts as it stands";
    EXPECT_EQ(firstRow(c.change(sfv)), c.expectedRow);
    platform::RemoveFile(ProgressPath(sfv));
  }
}

// One name listed twice with two CRCs: the record of the line that matched
// does not make the other line good.
TEST_F(CheckThreadTest, ANameListedTwiceWithTwoCrcsKeepsOneLineBad) {
  skipKnownGood = true;
  WriteBytes(dir / "a.bin", "hello");
  const std::string sfv = WriteSfv("twice.sfv", {Line("a.bin", "hello"), Line("a.bin", "other")});
  for (int run = 0; run < 2; ++run) {
    const Trace trace = Run(All(sfv));
    EXPECT_EQ(trace[5], run == 0 ? "F a.bin|~|- OK -|5|1" : "F a.bin|~|- OK -|5|2");
    EXPECT_EQ(trace[6], "F a.bin|~|- !BAD! -|5|3") << "run " << run;
  }
}

// A progress file of an older version (no first line naming its SFV file)
// is not trusted; on Windows a record holds for its name in any letter case.
TEST_F(CheckThreadTest, OldProgressFilesAreNotTrustedAndRecordsFollowTheFileSystemsLetterCase) {
  skipKnownGood = true;
  WriteBytes(dir / "a.bin", "hello");
  WriteBytes(dir / "b.bin", "bye");
  const std::string sfv = WriteSfv("x.sfv", {Line("a.bin", "hello"), Line("b.bin", "bye"), Line("c.bin", "c")});
  std::string error;
  ASSERT_TRUE(WriteFileText(ProgressPath(sfv), "<$" + FileTimeKey(dir / "b.bin") + "$>b.bin\r\n", error));
  EXPECT_EQ(Run(All(sfv))[6], "F b.bin|~|- OK -|3|1") << "hashed: an old record is not trusted";
#ifdef _WIN32
  const std::string listed = WriteSfv("x.sfv", {Line("A.BIN", "hello"), Line("b.bin", "bye"), Line("c.bin", "c")});
  EXPECT_EQ(Run(All(listed))[5], "F A.BIN|~|- OK -|5|2") << "one file under either spelling";
#else
  // a.bin and A.BIN are two files here: the record of one is not the other's.
  WriteBytes(dir / "A.BIN", "HELLO");
  const std::string both = WriteSfv("x.sfv", {Line("a.bin", "hello"), Line("A.BIN", "hello"), Line("c.bin", "c")});
  Run(All(both));
  EXPECT_EQ(Run(All(both))[6], "F A.BIN|~|- !BAD! -|5|3");
#endif
}

TEST_F(CheckThreadTest, SkipSfvEndsOnlyTheCurrentSfvFile) {
  const std::string first = OwnNamesSfv("first.sfv", {"1.bin", "2.bin", "3.bin"});
  const std::string second = OwnNamesSfv("second.sfv", {"4.bin"});
  RaiseAtTheSecondFile(skipFlag);
  EXPECT_EQ(Run(All(first) + All(second)),
            (Trace{"#134", "#132", "#138=15", "#127", "#111", "F 1.bin|~|- OK -|5|1", "F 2.bin|~|- OK -|5|1",
                   "F User Abort..|Skipping Sfv Achive..|||5", kSep, "S ~first.sfv|3|2|0|0", "#129", "#112",
                   "#134", "#132", "#138=5", "#127", "#111", "F 4.bin|~|- OK -|5|1", kSep,
                   "S ~second.sfv|1|1|0|0", "#129", "#112"}));
  EXPECT_EQ(skipFlag.load(), 0) << "cleared when the next entry was taken";
}

TEST_F(CheckThreadTest, AbortEndsTheRunAfterTheCurrentFile) {
  const std::string first = OwnNamesSfv("first.sfv", {"1.bin", "2.bin", "3.bin"});
  RaiseAtTheSecondFile(abortFlag);
  EXPECT_EQ(Run(All(first) + All(first)),
            (Trace{"#134", "#132", "#138=15", "#127", "#111", "F 1.bin|~|- OK -|5|1", "F 2.bin|~|- OK -|5|1",
                   "F User Abort..|Queue Cleared..|||5", kSep, "S ~first.sfv|3|2|0|0", "#129", "#112"}));
}

// A file larger than 200 blocks, so that FileCrc32 reports before its end;
// read each way FileCrc32 can read it.
class LargeFileTest : public CheckThreadTest, public ::testing::WithParamInterface<FileCrcReadPath> {
 protected:
  void SetUp() override {
    CheckThreadTest::SetUp();
    FileCrcForceReadPathForTest(GetParam());
    big = dir / "big.bin";
    platform::File file = platform::File::Open(big, platform::Access::Write, platform::Share::Read,
                                               platform::Disposition::CreateAlways);
    std::string error;
    ASSERT_TRUE(file.SetSize(kBigSize, error)) << error;
    file.Close();
    WriteBytes(dir / "small.bin", "small");
    const std::uint32_t crc = FileCrc32(big, nullptr, nullptr).crc;
    sfv = WriteSfv("big.sfv", {FormatSfvLine("big.bin", crc), Line("small.bin", "small")});
  }
  void TearDown() override { FileCrcForceReadPathForTest(FileCrcReadPath::Auto); }
  static constexpr std::uint32_t kBigSize = 14u << 20;
  std::string big;
  std::string sfv;
};

INSTANTIATE_TEST_SUITE_P(ReadPaths, LargeFileTest,
                         ::testing::Values(FileCrcReadPath::Plain, FileCrcReadPath::Shared, FileCrcReadPath::Direct),
                         [](const ::testing::TestParamInfo<FileCrcReadPath>& info) {
                           return testutil::ReadPathName(info.param);
                         });

TEST_P(LargeFileTest, AHaltedFileIsNotFinishedAndNeitherGoodNorBad) {
  renameBad = true;
  makeDummy = true;
  skipKnownGood = true;
  onEvent = [&](const HostEvent& event) {
    if (event.type == HostEvent::Notice && event.code == CN_BYTES_DONE) {
      haltFlag = 1;
      abortFlag = 1;
    }
  };
  const Trace trace = Run(All(sfv), true);
  ASSERT_EQ(trace.size(), 12u);
  EXPECT_EQ(trace[5], "#139=" + std::to_string(200 * FileCrcBlockSize())) << "one report, then the stop";
  EXPECT_EQ(trace[6], "F big.bin|was not finished (halted).|||5");
  EXPECT_EQ(trace[7], "F User Abort..|Queue Cleared..|||5");
  EXPECT_EQ(trace[9], "S ~big.sfv|2|0|0|0");
  EXPECT_EQ(FileSize32(big), kBigSize);
  EXPECT_FALSE(platform::FindEntry(big + "_BAD_OR_INCOMPLETE"));
  EXPECT_FALSE(platform::FindEntry(ProgressPath(sfv))) << "no known-good record";
}

TEST_P(LargeFileTest, FourJobsReportTheRowsAndNoticesOfOne) {
  const std::string queue = All(sfv) + All(ThreeFiles()) + All(sfv);
  const Trace one = Run(queue, true);
  jobs = 4;
  EXPECT_EQ(Run(queue, true), one);
}

TEST_P(LargeFileTest, PauseHoldsTheHashBetweenBlocksAndAStopWakesIt) {
  renameBad = true;
  host.onEvent = [&](const HostEvent& event) {
    if (event.type == HostEvent::Notice && event.code == CN_BYTES_DONE) gate.Pause();
  };
  TZERAravoThread worker;
  Configure(worker, All(sfv));
  worker.Start();
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 1; }));
  const std::size_t held = host.Events().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(host.Events().size(), held) << "no progress while paused";
  EXPECT_EQ(host.Events().back().code, CN_BYTES_DONE);

  gate.RequestStop({&haltFlag, &abortFlag});
  worker.Join();
  EXPECT_FALSE(gate.IsPaused());
  const Trace trace = host.Trace();
  ASSERT_EQ(trace.size(), 11u);
  EXPECT_EQ(trace[5], "F big.bin|was not finished (halted).|||5");
  EXPECT_EQ(trace[6], "F User Abort..|Queue Cleared..|||5");
  EXPECT_TRUE(platform::FileExists(big)) << "an aborted check renames nothing";
}

TEST_P(LargeFileTest, PauseBetweenFilesAndResume) {
  // Held again after the first file's row: the hook runs as the window's
  // handling of that row would.
  std::atomic<int> rows{0};
  host.onEvent = [&](const HostEvent& event) {
    if (event.type == HostEvent::File && ++rows == 1) gate.Pause();
  };
  gate.Pause();
  std::atomic<bool> done{false};
  TZERAravoThread worker;
  Configure(worker, All(sfv));
  worker.Start(platform::ThreadPriority::BelowNormal, [&] { done = true; });
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 1; }));
  EXPECT_TRUE(host.Events().empty()) << "held before the first entry";
  gate.Resume();
  ASSERT_TRUE(Eventually([&] { return rows == 1 && gate.Waiting() == 1; }));
  EXPECT_EQ(host.Trace().back(), "F big.bin|~|- OK -|" + FormatThousands(kBigSize) + "|1");
  EXPECT_FALSE(done.load());
  EXPECT_TRUE(worker.SetPriority(platform::ThreadPriority::Normal));
  gate.Resume();
  worker.Join();
  EXPECT_TRUE(done.load());
  EXPECT_EQ(host.Trace()[8], "S ~big.sfv|2|2|0|0");
}

TEST_F(CheckThreadTest, TerminateWakesAPausedWorkerWhichThenEnds) {
  const std::string sfv = ThreeFiles();
  gate.Pause();
  TZERAravoThread worker;
  Configure(worker, All(sfv) + All(sfv));
  worker.Start();
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 1; }));
  worker.Terminate();
  worker.Join();
  EXPECT_TRUE(host.Events().empty());
}

TEST(PauseGate, PauseAndResumeReportWhetherTheStateChanged) {
  PauseGate gate;
  gate.Wait();  // open: returns at once
  EXPECT_TRUE(gate.Pause());
  EXPECT_FALSE(gate.Pause());
  EXPECT_TRUE(gate.IsPaused());
  EXPECT_TRUE(gate.Resume());
  EXPECT_FALSE(gate.Resume());
  StopFlag skip{0};
  gate.Pause();
  gate.RequestStop({&skip});
  EXPECT_EQ(skip.load(), 1);
  EXPECT_FALSE(gate.IsPaused());
}

TEST_F(CheckThreadTest, SpecificCheckTakesThePickedLines) {
  skipKnownGood = true;
  WriteBytes(dir / "a.bin", "hello");
  WriteBytes(dir / "b.bin", "bye");
  const std::vector<std::string> lines{Line("a.bin", "hello"), Line("b.bin", "bye")};
  const std::string sfv = WriteSfv("pick.sfv", lines);
  const std::string entry = "SPE$" + sfv + kCrLf;
  testutil::MakeFolder(ProgressFolder(program.path()));
  WriteBytes(ProgressPath(sfv), "<$0000000000000000$>old\r\n");

  host.pickAnswers = {std::string()};
  EXPECT_EQ(Run(entry), (Trace{"#134", "#132", "#138=8", "P", "#127", "#111", kSep, "S ~pick.sfv|0|0|0|0",
                                "#129", "#112"}));
  EXPECT_EQ(host.Events()[3].pickLines, JoinListText(lines));
  EXPECT_FALSE(platform::FileExists(ProgressPath(sfv))) << "0 good of 0";

  host.pickAnswers = {lines[1] + kCrLf};
  const Trace trace = Run(entry);
  EXPECT_EQ(trace[6], "F b.bin|~|- OK -|3|1");
  EXPECT_EQ(trace[8], "S ~pick.sfv|1|1|0|0");

  // The dialog closed without OK: every line stays.
  EXPECT_EQ(Run(entry)[9], "S ~pick.sfv|2|2|0|0");
}

TEST_F(CheckThreadTest, BlankEntryAndUnusableSfvFiles) {
  EXPECT_EQ(Run(" \t\r\n"), (Trace{"#134"}));
  const std::string good = ThreeFiles();
  EXPECT_EQ(Run(All(dir / "none.sfv") + All(good)).size(), 3u + 12u)
      << "the next entry is checked after an absent SFV file";
  EXPECT_EQ(Run(All(dir / "none.sfv")), (Trace{"#134", "#132", "S ~none.sfv|Error|File|Was|In Use"}));

  // A list of nothing, or of what is no file line, proves nothing: a notice
  // row in the bad colour says so above the totals.
  for (const std::string& bytes : {std::string("; nothing listed\r\n"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)}) {
    WriteBytes(dir / "empty.sfv", bytes);
    EXPECT_EQ(Run(All(dir / "empty.sfv")),
              (Trace{"#134", "#132", "#138", "#127", "#111", kSep, "S ~empty.sfv: no file lines|| ||",
                     "S ~empty.sfv|0|0|0|0", "#129", "#112"}));
  }
}

#ifdef _WIN32
// "*" and "?" are no part of a Windows name: such a listed name is missing,
// and no file the pattern would match counts in the total.
TEST_F(CheckThreadTest, AListedNameWithWildcardsIsMissingAndAddsNothingToTheTotal) {
  WriteBytes(dir / "ab.rar", "another file");
  const std::string sfv = WriteSfv("wild.sfv", {FormatSfvLine("??.rar", 0), FormatSfvLine("a*.rar", 0)});
  EXPECT_EQ(Run(All(sfv)), (Trace{"#134", "#132", "#138", "#127", "#111", "F ??.rar|~|MISSING||4",
                                  "F a*.rar|~|MISSING||4", kSep, "S ~wild.sfv|2|0|0|2", "#129", "#112"}));
}

TEST_F(CheckThreadTest, SfvFileInUseIsReported) {
  const std::string sfv = ThreeFiles();
  platform::File open = platform::File::Open(sfv, platform::Access::Read, platform::Share::None,
                                             platform::Disposition::OpenExisting);
  ASSERT_TRUE(open.IsOpen());
  EXPECT_EQ(Run(All(sfv)), (Trace{"#134", "#132", "S ~three.sfv|Error|File|Was|In Use"}));
}
#else
// /proc/self/mem exists, opens, and fails the first read with EIO: a stand-in
// for a failing disk.
TEST_F(CheckThreadTest, ReadErrorOfTheSfvFileIsReported) {
  ASSERT_EQ(symlink("/proc/self/mem", (dir / "broken.sfv").c_str()), 0);
  const Trace trace = Run(All(dir / "broken.sfv"));
  ASSERT_EQ(trace.size(), 4u);
  EXPECT_EQ(trace[2], "S ~broken.sfv|Error|Reading|SFV|File");
  EXPECT_NE(trace[3], "S ||||");
  EXPECT_EQ(trace[3].substr(trace[3].size() - 4), "||||");
}

// A device never ends and a FIFO blocks its open: listed ones are bad, with
// the reason in a notice row, with and without a pool, and the check ends.
TEST_F(CheckThreadTest, ListedDevicesAndFifosAreBadWithTheReason) {
  const std::vector<std::string> special = testutil::MakeSpecialFiles(dir.path(), ".bin");
  ASSERT_FALSE(special.empty());
  WriteBytes(dir / "ok.bin", "fine");
  std::vector<std::string> lines;
  for (const std::string& path : special) lines.push_back(FormatSfvLine(ExtractFileName(path), 0));
  lines.push_back(Line("ok.bin", "fine"));
  const std::string sfv = WriteSfv("special.sfv", lines);
  for (const unsigned poolJobs : {1u, 2u}) {
    jobs = poolJobs;
    const std::vector<FileRow> rows = (Run(All(sfv)), host.FileRows());
    ASSERT_EQ(rows.size(), 2 * special.size() + 2) << "jobs " << poolJobs;
    for (std::size_t i = 0; i < special.size(); ++i) {
      EXPECT_EQ(rows[2 * i].kind, FileRowKind::Bad) << special[i];
      EXPECT_EQ(rows[2 * i + 1].kind, FileRowKind::Notice) << special[i];
      EXPECT_NE(rows[2 * i + 1].path.find("regular file"), std::string::npos) << rows[2 * i + 1].path;
    }
    EXPECT_EQ(rows[2 * special.size()].kind, FileRowKind::Ok);
    EXPECT_EQ(host.SfvRows()[0].bad, special.size());
  }
}

TEST_F(CheckThreadTest, ReadErrorWhileHashingReportsThatFileAndGoesOn) {
  renameBad = true;
  makeDummy = true;
  skipKnownGood = true;
  ASSERT_EQ(symlink("/proc/self/mem", (dir / "mem.bin").c_str()), 0);
  WriteBytes(dir / "ok.bin", "fine");
  const std::string sfv = WriteSfv("io.sfv", {FormatSfvLine("mem.bin", 0), Line("ok.bin", "fine")});
  const std::vector<FileRow> rows = (Run(All(sfv)), host.FileRows());
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].status, "- !BAD! -");
  EXPECT_EQ(rows[1].kind, FileRowKind::Notice);
  EXPECT_EQ(rows[1].name, "mem.bin");
  EXPECT_FALSE(rows[1].path.empty()) << "the error text";
  EXPECT_EQ(rows[2].status, "- OK -");
  EXPECT_EQ(host.Trace().back(), "#112");
  EXPECT_EQ(host.SfvRows()[0].bad, 1u);
  EXPECT_TRUE(platform::FileExists(ProgressPath(sfv)));
  EXPECT_FALSE(platform::FindEntry(dir / "mem.bin_BAD_OR_INCOMPLETE")) << "unread: neither renamed nor marked";
}
#endif

TEST_F(CheckThreadTest, NamesOutsideTheSfvFolderAreCheckedButNothingIsMadeThere) {
  renameBad = true;
  makeDummy = true;
  testutil::MakeFolder(dir / "sfv");
  testutil::MakeFolder(dir / "sfv/sub");
  WriteBytes(dir / "outside.bin", "not what is listed");
  const std::string sfv = WriteSfv("sfv/out.sfv", {Line("../outside.bin", "x"), Line("../gone.bin", "x"),
                                                   Line(dir / "abs.bin", "x"), Line("sub/../inside.bin", "x")});
  host.hideFolder = dir / "sfv/";
  Run(All(sfv));
  const std::vector<FileRow> rows = host.FileRows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].kind, FileRowKind::Bad);
  EXPECT_EQ(rows[1].kind, FileRowKind::Missing);
  EXPECT_EQ(rows[2].kind, FileRowKind::Missing);
  EXPECT_EQ(testutil::FolderNames(dir.path()), (std::vector<std::string>{"outside.bin", "sfv"}));
  EXPECT_EQ(ReadBytes(dir / "outside.bin"), "not what is listed");
  EXPECT_EQ(testutil::FolderNames(dir / "sfv"), (std::vector<std::string>{"inside.bin_MISSING", "out.sfv", "sub"}));
}

// A folder link inside the SFV file's folder that leads out of it (lnk ->
// victim beside it), and one that leads to a sub-folder (back -> sub): a
// bad and a missing file listed through each.
TEST_F(CheckThreadTest, NothingIsRenamedOrMadeWhereAFolderLinkLeadsOut) {
  renameBad = true;
  makeDummy = true;
  for (const char* folder : {"sfv", "sfv/sub", "victim"}) testutil::MakeFolder(dir / folder);
  WriteBytes(dir / "victim/keys", "the user's keys");
  WriteBytes(dir / "sfv/sub/keys", "altered");
  ASSERT_TRUE(testutil::MakeFolderLink(dir / "sfv/lnk", dir / "victim"));
  ASSERT_TRUE(testutil::MakeFolderLink(dir / "sfv/back", dir / "sfv/sub"));
  const std::string sfv = WriteSfv("sfv/l.sfv", {Line("lnk/keys", "x"), Line("lnk/gone.rar", "x"),
                                                 Line("back/keys", "x"), Line("back/gone.rar", "x")});
  host.hideFolder = dir / "sfv/";
  Run(All(sfv));
  const std::vector<FileRow> rows = host.FileRows();
  ASSERT_EQ(rows.size(), 7u);
  const std::vector<FileRowKind> kinds = {FileRowKind::Bad,  FileRowKind::Notice,  FileRowKind::Missing,
                                          FileRowKind::Notice, FileRowKind::Bad, FileRowKind::Missing};
  for (std::size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(rows[i].kind, kinds[i]) << i;
  EXPECT_NE(rows[1].path.find("outside"), std::string::npos) << rows[1].path;
  EXPECT_EQ(testutil::FolderNames(dir / "victim"), std::vector<std::string>{"keys"});
  EXPECT_EQ(ReadBytes(dir / "victim/keys"), "the user's keys");
  EXPECT_EQ(testutil::FolderNames(dir / "sfv/sub"),
            (std::vector<std::string>{"gone.rar_MISSING", "keys_BAD_OR_INCOMPLETE"}));
}

TEST(StaysInsideFolder, DotDotStepsMayNotClimbAboveTheFolder) {
  for (const char* inside : {"a.bin", "sub/a.bin", "sub\\..\\a.bin", "./a", "a/../b", "a b/c..d"}) {
    EXPECT_TRUE(StaysInsideFolder(inside)) << inside;
  }
  for (const char* outside : {"", "../a", "sub/../../a", "..\\a", "/etc/x", "\\x", "C:x", "c:\\x", "a/b/../../.."}) {
    EXPECT_FALSE(StaysInsideFolder(outside)) << outside;
  }
}

TEST_F(CheckThreadTest, BackslashInAListedNameSeparatesFolders) {
  makeDummy = true;
  testutil::MakeFolder(dir / "sub");
  WriteBytes(dir / "sub/deep.bin", "deep");
  const std::string sfv = WriteSfv("bs.sfv", {Line("sub\\deep.bin", "deep"), Line("sub\\gone.bin", "x")});
  Run(All(sfv));
  const std::vector<FileRow> rows = host.FileRows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].name, "sub\\deep.bin");
  EXPECT_EQ(rows[0].kind, FileRowKind::Ok);
  EXPECT_TRUE(platform::FileExists(dir / "sub/gone.bin_MISSING"));
}

TEST_F(CheckThreadTest, CountersGoPast65535) {
  std::string text;
  for (int i = 0; i < 70000; ++i) text += FormatSfvLine("f" + std::to_string(i), 0) + kCrLf;
  WriteBytes(dir / "many.sfv", text);
  Run(All(dir / "many.sfv"));
  const SfvRow row = host.SfvRows().at(0);
  EXPECT_EQ(row.total, 70000u);
  EXPECT_EQ(row.missing, 70000u);
}

// A list of SHA-256 digests is checked as an SFV file of the same files is:
// the same rows and notices, in the same order, markers, renames and
// known-good records, alone and with a pool.
TEST_F(CheckThreadTest, ASha256ListGivesTheRowsAndNoticesOfAnSfvFile) {
  skipKnownGood = true;
  makeDummy = true;
  for (const unsigned poolJobs : {1u, 2u}) {
    SCOPED_TRACE(poolJobs);
    jobs = poolJobs;
    WriteBytes(dir / "known.bin", "known");
    WriteBytes(dir / "a.bin", "hello");
    const std::vector<std::pair<const char*, const char*>> listed = {
        {"known.bin", "known"}, {"a.bin", "hello"}, {"b.bin", "world!"}, {"c.bin", "again"}};
    std::vector<std::string> sfvLines, shaLines;
    for (const auto& [name, content] : listed) {
      sfvLines.push_back(Line(name, content));
      shaLines.push_back(Sha256Line(name, content));
    }
    const std::string sfv = WriteSfv("x.sfv", sfvLines);
    const std::string sha = dir / "x.sha256";
    WriteBytes(sha, JoinListText(shaLines));
    // known.bin is known good to both; then b.bin comes, altered.
    Run(All(sfv) + All(sha));
    WriteBytes(dir / "b.bin", "wrong!");
    const Trace bySfv = Run(All(sfv), true);
    EXPECT_EQ(bySfv[6], "F known.bin|~|- OK -|5|2");
    EXPECT_EQ(bySfv[10], "F b.bin|~|- !BAD! -|6|3");
    // The SFV check made b.bin's marker; the list finds b.bin bad again.
    EXPECT_EQ(Run(All(sha), true), Renamed(bySfv, "x.sfv", "x.sha256"));
    EXPECT_TRUE(platform::FileExists(dir / "b.bin_BAD_OR_INCOMPLETE"));
    EXPECT_TRUE(platform::FileExists(dir / "c.bin_MISSING"));
    // Each list keeps its own progress file: the names keep the extension.
    EXPECT_NE(ProgressPath(sfv), ProgressPath(sha));
    EXPECT_TRUE(platform::FileExists(ProgressPath(sfv)));
    EXPECT_TRUE(platform::FileExists(ProgressPath(sha)));
    for (const char* name : {"known.bin", "a.bin", "b.bin", "b.bin_BAD_OR_INCOMPLETE", "c.bin_MISSING"}) {
      platform::RemoveFile(dir / name);
    }
    platform::RemoveFile(ProgressPath(sfv));
    platform::RemoveFile(ProgressPath(sha));
  }
}

// A list of digests comes with a download: what it names outside its folder,
// by its name or through a folder link, is bad and never opened, even where
// the digest is right; alone and with a pool.
TEST_F(CheckThreadTest, AListOfDigestsNeverOpensWhatLiesOutsideItsFolder) {
  for (const char* folder : {"list", "victim"}) testutil::MakeFolder(dir / folder);
  WriteBytes(dir / "outside.bin", "outside");
  WriteBytes(dir / "victim/keys", "keys");
  WriteBytes(dir / "list/a.bin", "inside");
  ASSERT_TRUE(testutil::MakeFolderLink(dir / "list/lnk", dir / "victim"));
  const std::string sha = dir / "list/x.sha256";
  WriteBytes(sha, JoinListText({Sha256Line("../outside.bin", "outside"), Sha256Line("lnk/keys", "keys"),
                                Sha256Line("a.bin", "inside")}));
  for (const unsigned poolJobs : {1u, 2u}) {
    SCOPED_TRACE(poolJobs);
    jobs = poolJobs;
    Run(All(sha));
    const std::vector<FileRow> rows = host.FileRows();
    ASSERT_EQ(rows.size(), 6u);
    const std::vector<FileRowKind> kinds = {FileRowKind::Bad, FileRowKind::Notice, FileRowKind::Bad,
                                            FileRowKind::Notice, FileRowKind::Ok};
    for (std::size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(rows[i].kind, kinds[i]) << i;
    EXPECT_NE(rows[1].path.find("not opened"), std::string::npos) << rows[1].path;
    EXPECT_EQ(host.SfvRows().at(0).bad, 2u);
  }
}

// An SFV file and a list of another hash that name the same file each check
// it with their own hash, and a known-good record of one is no record of the
// other.
TEST_F(CheckThreadTest, EachListChecksTheSameFileWithItsOwnHash) {
  skipKnownGood = true;
  WriteBytes(dir / "f.iso", "the real content");
  // gone.bin keeps the SFV file from being all good, so its record stays.
  const std::string sfv = WriteSfv("f.sfv", {Line("f.iso", "the real content"), Line("gone.bin", "")});
  const std::string md5 = dir / "f.md5";
  WriteBytes(md5, "# another hash, wrong\n" + std::string(32, '0') + " *f.iso\n");
  for (int round = 0; round < 2; ++round) {
    Run(All(sfv) + All(md5));
    const std::vector<FileRow> rows = host.FileRows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].kind, round == 0 ? FileRowKind::Ok : FileRowKind::KnownGood);
    EXPECT_EQ(rows[3].status, "- !BAD! -");
  }
}

// Flags and pauses come from another thread while the worker runs; built
// with ThreadSanitizer this finds unsynchronised access.
TEST_F(CheckThreadTest, FlagsAndPausesFromAnotherThread) {
  std::vector<std::string> lines;
  const std::string content(300000, 'q');
  for (int i = 0; i < 4; ++i) {
    WriteBytes(dir / ("f" + std::to_string(i)), content);
    lines.push_back(Line("f" + std::to_string(i), content));
  }
  const std::string sfv = WriteSfv("many.sfv", lines);
  TZERAravoThread worker;
  Configure(worker, All(sfv) + All(sfv) + All(sfv));
  std::atomic<bool> done{false};
  worker.Start(platform::ThreadPriority::Normal, [&] { done = true; });
  for (int i = 0; i < 30 && !done; ++i) {
    gate.Pause();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    gate.Resume();
  }
  gate.RequestStop({&skipFlag});
  worker.Join();
  EXPECT_EQ(host.SfvRows().size(), 3u) << "a skip ends an SFV file with its summary";
  EXPECT_EQ(host.Trace().back(), "#112");
}

}  // namespace
