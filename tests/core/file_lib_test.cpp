#include <gtest/gtest.h>

#include <tuple>

#ifdef _WIN32
#include <windows.h>

#include "platform/text.h"
#endif

#include "TestUtil.h"
#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Text.h"
#include "platform/fs.h"

namespace {

using testutil::FolderNames;
using testutil::ReadBytes;
using testutil::TempDir;
using testutil::WriteBytes;

constexpr std::uint64_t kTicksPerDay = 864000000000ULL;

void MakeSparse(const std::string& path, std::uint64_t size) {
  platform::File file = platform::File::Open(path, platform::Access::Write, platform::Share::Read,
                                             platform::Disposition::CreateAlways);
  std::string error;
  ASSERT_TRUE(file.SetSize(size, error)) << error;
}

TEST(FileSize32, MissingIsZeroAndLargeSizesKeepTheLow32Bits) {
  TempDir dir;
  EXPECT_EQ(FileSize32(dir / "missing"), 0u);
  WriteBytes(dir / "five", "12345");
  EXPECT_EQ(FileSize32(dir / "five"), 5u);
  MakeSparse(dir / "huge", 5ULL << 30);
  EXPECT_EQ(FileSize32(dir / "huge"), 1u << 30);
}

TEST(ReadFileText, ANulByteDropsOnlyTheRestOfItsPiece) {
  TempDir dir;
  std::string first = "hello";
  first += '\0';
  first += std::string(64000 - first.size(), 'x');
  WriteBytes(dir / "zero-byte.txt", first + "world");
  std::string error;
  EXPECT_EQ(ReadFileText(dir / "zero-byte.txt", error), "helloworld");
  EXPECT_EQ(error, "");
}

TEST(ReadFileText, MissingFileAndFolderGiveEmptyTextWithoutError) {
  TempDir dir;
  std::string error = "stale";
  EXPECT_EQ(ReadFileText(dir / "none", error), "");
  EXPECT_EQ(error, "");
  EXPECT_EQ(ReadFileText(dir.path(), error), "");
  EXPECT_EQ(error, "");
}

TEST(WriteFileText, TooShortWritesNothing) {
  TempDir dir;
  std::string error = "stale";
  EXPECT_FALSE(WriteFileText(dir / "one", "x", error));
  EXPECT_EQ(error, "");
  EXPECT_FALSE(platform::FileExists(dir / "one"));
}

TEST(WriteFileText, ReplacesAReadOnlyFileWholeAndLeavesNoTemporaryFile) {
  TempDir dir;
  WriteBytes(dir / "list.sfv", std::string(5000, 'o'));
  ASSERT_TRUE(platform::SetReadOnly(dir / "list.sfv"));
  std::string error;
  ASSERT_TRUE(WriteFileText(dir / "list.sfv", "new text", error)) << error;
  EXPECT_EQ(ReadBytes(dir / "list.sfv"), "new text");
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"list.sfv"});
}

TEST(WriteFileText, CreatesOneMissingFolderLevel) {
  TempDir dir;
  std::string error;
  EXPECT_TRUE(WriteFileText(dir / "Progress/x.sfv", "ab", error));
  EXPECT_EQ(ReadBytes(dir / "Progress/x.sfv"), "ab");
  EXPECT_FALSE(WriteFileText(dir / "a/b/c.txt", "ab", error));
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"Progress"}) << "only one level is made";
}

TEST(WriteFileText, AFileThatCannotBeMadeGivesTheSystemsReason) {
  TempDir dir;
  for (const std::string& target : {dir / "a/b/c.txt", dir / (std::string(300, 'n') + ".sfv")}) {
    std::string error;
    EXPECT_FALSE(WriteFileText(target, "some text", error));
    EXPECT_FALSE(error.empty()) << target;
  }
}

#ifndef _WIN32
// Natively only: under Wine a link to a file cannot be made (CreateSymbolicLinkW
// makes nothing, and a Linux one looks like a plain file).
TEST(WriteFileText, NeverReplacesALinkNorWhatItPointsAt) {
  TempDir dir;
  testutil::MakeFolder(dir / "v");
  WriteBytes(dir / "v/notes.txt", "the user's notes");
  ASSERT_TRUE(platform::SetReadOnly(dir / "v/notes.txt"));
  ASSERT_TRUE(testutil::MakeFileLink(dir / "list.sfv", dir / "v/notes.txt"));
  std::string error;
  EXPECT_FALSE(WriteFileText(dir / "list.sfv", "new text", error));
  EXPECT_EQ(error, kLinkNotReplacedText);
  EXPECT_EQ(ReadBytes(dir / "v/notes.txt"), "the user's notes");
  EXPECT_TRUE(platform::FindEntry(dir / "v/notes.txt")->attributes & platform::kAttrReadOnly);
  EXPECT_TRUE(platform::FindEntry(dir / "list.sfv")->isLink);
  EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"list.sfv", "v"}));
}
#endif

TEST(WriteFileText, AFailedReplaceKeepsTheTargetAndRemovesTheTemporaryFile) {
  TempDir dir;
  testutil::MakeFolder(dir / "target");
  WriteBytes(dir / "target/inside", "keep");
  std::string error;
  EXPECT_FALSE(WriteFileText(dir / "target", "some text", error));
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"target"});
  EXPECT_EQ(ReadBytes(dir / "target/inside"), "keep");
}

TEST(WriteFileText, AFailedWriteLeavesAReadOnlyTargetAsItWas) {
  TempDir dir;
  // The temporary file's name (the target's + ".quor~0") is too long for
  // the file system, so nothing new can be written.
  const std::string target = dir / (std::string(250, 'n') + ".sfv");
  WriteBytes(target, "old text");
  ASSERT_TRUE(platform::SetReadOnly(target));
  std::string error;
  EXPECT_FALSE(WriteFileText(target, "new text", error));
  EXPECT_EQ(ReadBytes(target), "old text");
  EXPECT_TRUE(platform::FindEntry(target)->attributes & platform::kAttrReadOnly);
  EXPECT_EQ(FolderNames(dir.path()).size(), 1u);
}

#ifdef _WIN32
// A scanner that opens the new file as soon as it is written (sharing it
// fully) can make ReplaceFileW refuse it (Wine's does); the plain move
// still puts it in place.
TEST(ReplaceFileAtomic, ANewFileHeldOpenByAScannerIsStillPutInPlace) {
  TempDir dir;
  WriteBytes(dir / "list.sfv", "old text");
  WriteBytes(dir / "list.sfv.quor~0", "new text");
  HANDLE scanner = CreateFileW(platform::WidePath(dir / "list.sfv.quor~0").c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
  ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
  std::string error;
  EXPECT_TRUE(platform::ReplaceFileAtomic(dir / "list.sfv.quor~0", dir / "list.sfv", error)) << error;
  CloseHandle(scanner);
  EXPECT_EQ(ReadBytes(dir / "list.sfv"), "new text");
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"list.sfv"});
}
#endif

TEST(FileTimeKey, SixteenUpperCaseDigitsOfTheLastWriteTime) {
  TempDir dir;
  WriteBytes(dir / "f", "x");
  ASSERT_TRUE(platform::SetLastWriteTime(dir / "f", 0x01C5A3B40F2D6E00ULL));
  EXPECT_EQ(FileTimeKey(dir / "f"), "01C5A3B40F2D6E00");
  EXPECT_EQ(FileTimeKey(dir / "missing"), "");
}

TEST(CreateEmptyFile, CutsAnExistingFile) {
  TempDir dir;
  WriteBytes(dir / "m", "content");
  EXPECT_TRUE(CreateEmptyFile(dir / "m"));
  EXPECT_EQ(ReadBytes(dir / "m"), "");
  EXPECT_TRUE(CreateEmptyFile(dir / "new_MISSING"));
  EXPECT_TRUE(platform::FileExists(dir / "new_MISSING"));
  EXPECT_FALSE(CreateEmptyFile(dir / "no/such/folder"));
}

TEST(PathIsInside, StepByStepAsTheFileSystemComparesNames) {
#ifdef _WIN32
  const bool noCase = true;
#else
  const bool noCase = false;
#endif
  // Path, folder, and whether the path is inside.
  const std::vector<std::tuple<std::string, std::string, bool>> cases = {
      {"/a/b", "/a/b", true},          {"/a/b/c", "/a/b", true},    {"/a/b/c/d", "/a/b/", true},
      {"/a/bc", "/a/b", false},        {"/a", "/a/b", false},       {"/x/b", "/a/b", false},
      {"/etc", "/", true},             {"C:\\R\\x", "C:\\R", true}, {"C:\\Rx", "C:\\R", false},
      {"C:\\x", "C:\\", true},         {"D:\\R\\x", "C:\\R", false}, {"C:/R\\x", "C:\\R/", true},
      {"\\\\srv\\share\\f", "\\\\srv\\share", true}, {"/A/B/c", "/a/b", noCase},
      {"C:\\rel\\X", "c:\\REL", noCase}, {"", "/a", false},         {"/a", "", false},
  };
  for (const auto& [path, folder, inside] : cases) {
    EXPECT_EQ(PathIsInside(path, folder), inside) << path << " in " << folder;
  }
}

TEST(IsFileLocked, AbsentIsLockedPresentIsNot) {
  TempDir dir;
  EXPECT_TRUE(IsFileLocked(dir / "absent.sfv"));
  WriteBytes(dir / "free.sfv", "x");
  EXPECT_FALSE(IsFileLocked(dir / "free.sfv"));
#ifdef _WIN32
  platform::File holder = platform::File::Open(dir / "free.sfv", platform::Access::Read, platform::Share::None,
                                               platform::Disposition::OpenExisting);
  ASSERT_TRUE(holder.IsOpen());
  EXPECT_TRUE(IsFileLocked(dir / "free.sfv"));
#endif
}

TEST(LongNames, LongFileNameAndExpandShortPath) {
  TempDir dir;
  testutil::MakeFolder(dir / "A Long Folder Name");
  EXPECT_EQ(LongFileName(dir / "A Long Folder Name"), "A Long Folder Name");
  EXPECT_EQ(LongFileName(dir / "not there"), "not there");
  const std::string plain = dir / "A Long Folder Name";
  EXPECT_EQ(ExpandShortPath(plain), plain) << "no ~: unchanged, no separator added";
  const std::string shortPath = platform::ShortPathName(plain);
  if (shortPath.find('~') != std::string::npos) {
    EXPECT_EQ(AsciiLower(ExpandShortPath(shortPath)), AsciiLower(IncludeTrailingSeparator(plain)));
  }
  EXPECT_EQ(ExpandShortPath(dir / "gone~1"), dir / "gone~1") << "a folder that is not found stays as given";
}

TEST(FindSfvFiles, TakesSfvFilesBreadthFirst) {
  TempDir dir;
  for (const char* name : {"a.sfv", "b.SFV", "c..sfv", "d.txt"}) WriteBytes(dir / name, "");
  testutil::MakeFolder(dir / "sub");
  testutil::MakeFolder(dir / "sub/deeper");
  WriteBytes(dir / "sub/s.sfv", "");
  WriteBytes(dir / "sub/deeper/t.sfv", "");

  SfvSearchResult top = FindSfvFiles(dir.path(), false, false);
  EXPECT_EQ(top.count, 2u);
  std::vector<std::string> lines = SplitListText(top.queueText);
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{"ALL$" + dir / "a.sfv", "ALL$" + dir / "b.SFV"}));

  SfvSearchResult all = FindSfvFiles(dir.path(), true, true);
  EXPECT_EQ(all.count, 4u);
  lines = SplitListText(all.queueText);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "SPE$" + dir / "sub/s.sfv");
  EXPECT_EQ(lines[3], "SPE$" + dir / "sub/deeper/t.sfv");
  EXPECT_EQ(all.lastFound, dir / "sub/deeper/t.sfv");

  SfvSearchResult none = FindSfvFiles(dir / "missing", true, false);
  EXPECT_EQ(none.count, 0u);
  EXPECT_EQ(none.queueText, "");
}

TEST(FindSfvFiles, TakesListsOfEveryHash) {
  TempDir dir;
  for (const char* name : {"a.md5", "b.SHA1", "c.sha256", "d.sha512", "SHA256SUMS", "md5sums.txt", "c..sha256",
                           "SHA256SUMS.gpg", "e.sha", "f.sha256.txt"}) {
    WriteBytes(dir / name, "");
  }
  std::vector<std::string> lines = SplitListText(FindSfvFiles(dir.path(), false, false).queueText);
  std::sort(lines.begin(), lines.end());
  std::vector<std::string> expected;
  for (const char* name : {"SHA256SUMS", "a.md5", "b.SHA1", "c..sha256", "c.sha256", "d.sha512", "md5sums.txt"}) {
    expected.push_back("ALL$" + dir / name);
  }
  EXPECT_EQ(lines, expected);
}

TEST(ListFolderFiles, PatternsMatchWholeExtensionsWithoutCase) {
  TempDir dir;
  // Name, and whether the default patterns (with SFV files) leave it out.
  const std::vector<std::pair<const char*, bool>> cases = {
      {"x.nfo", true},    {"Y.NFO", true},    {"d.Diz", true},   {"old.sfv", true}, {"z.rar", false},
      {"README", false},  {"y.tx", false},    {"a.t", false},    {"b.di", false},   {"c.n", false},
      {"e.j", false},     {"f.NF", false},    {"g.txt.rar", false}, {"h.xtxt", false}, {"i.TXTX", false},
  };
  std::vector<std::string> expected;
  for (const auto& [name, excluded] : cases) {
    WriteBytes(dir / name, "");
    if (!excluded) expected.push_back(name);
  }
  testutil::MakeFolder(dir / "folder.rar");
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> listed =
      SplitListText(ListFolderFiles(dir.path(), "#?.DIZ#?.nfo#?.JPG#?.TXT#?.SFV", "#?", false));
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(SplitListText(ListFolderFiles(dir.path(), "#?.DIZ#?.NFO#?.SFV", "#?", true)).size(), cases.size());
}

#ifndef _WIN32
// They would block or never end: neither the search for SFV files nor the
// listing of a folder's files takes them.
TEST(FolderWalks, DevicesAndFifosAreSkipped) {
  TempDir dir;
  ASSERT_FALSE(testutil::MakeSpecialFiles(dir.path(), ".sfv").empty());
  ASSERT_FALSE(testutil::MakeSpecialFiles(dir.path(), ".rar").empty());
  WriteBytes(dir / "real.sfv", "");
  WriteBytes(dir / "real.rar", "");
  EXPECT_EQ(FindSfvFiles(dir.path(), true, false).queueText, "ALL$" + dir / "real.sfv" + kCrLf);
  EXPECT_EQ(ListFolderFiles(dir.path(), "#?.SFV", "#?", false), "real.rar" + std::string(kCrLf));
  EXPECT_EQ(SplitListText(ListFolderFiles(dir.path(), "", "#?", true)).size(), 2u);
}
#endif

TEST(ListFolderFiles, NeverListsTheProgramsTemporaryFiles) {
  TempDir dir;
  const std::vector<std::string> temporaries{"z.sfv.quor~0", "z.sfv.quor~17", "ZERAravo.dat.~4242-3"};
  // Names that only look like them are the user's files.
  const std::vector<std::string> userFiles{"a.quor~", "b.quor~1x", "c.~12", "d.~-1", "e.~1-", "z.rar"};
  for (const std::string& name : temporaries) WriteBytes(dir / name, "");
  for (const std::string& name : userFiles) WriteBytes(dir / name, "");
  for (bool includeAll : {false, true}) {
    std::vector<std::string> listed = SplitListText(ListFolderFiles(dir.path(), "#?.SFV", "#?", includeAll));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, userFiles) << "includeAll " << includeAll;
  }
}

TEST(FolderWalks, ALinkBackToTheTopIsNotFollowed) {
  TempDir dir;
  WriteBytes(dir / "top.sfv", "");
  testutil::MakeFolder(dir / "sub");
  WriteBytes(dir / "sub/s.sfv", "");
  ASSERT_TRUE(testutil::MakeFolderLink(dir / "sub/up", ExcludeTrailingSeparator(dir.path())));
  ASSERT_TRUE(platform::FolderExists(dir / "sub/up/sub"));

  const SfvSearchResult found = FindSfvFiles(dir.path(), true, false);
  EXPECT_EQ(SplitListText(found.queueText),
            (std::vector<std::string>{"ALL$" + dir / "top.sfv", "ALL$" + dir / "sub/s.sfv"}));
  EXPECT_EQ(SplitListText(ListSubFolders(dir.path(), true)),
            std::vector<std::string>{dir / "sub" + platform::kPathSep});
}

TEST(ListSubFolders, DepthFirstWithAllLevels) {
  TempDir dir;
  testutil::MakeFolder(dir / "A");
  testutil::MakeFolder(dir / "A/A1");
  testutil::MakeFolder(dir / "B");
  WriteBytes(dir / "file", "");
  const char sep = platform::kPathSep;
  std::vector<std::string> direct = SplitListText(ListSubFolders(dir.path(), false));
  std::sort(direct.begin(), direct.end());
  EXPECT_EQ(direct, (std::vector<std::string>{dir / "A" + sep, dir / "B" + sep}));

  std::vector<std::string> all = SplitListText(ListSubFolders(ExcludeTrailingSeparator(dir.path()), true));
  ASSERT_EQ(all.size(), 3u);
  auto a = std::find(all.begin(), all.end(), dir / "A" + sep);
  ASSERT_NE(a, all.end());
  EXPECT_EQ(*(a + 1), dir / "A/A1" + sep);
}

TEST(FileTimes, CalendarFieldsAndInfoLine) {
  std::optional<platform::CalendarTime> t = FileTimeToDateTime(0x01C5A3B40F2D6E00ULL);
  ASSERT_TRUE(t);
  EXPECT_EQ(std::vector<int>({t->year, t->month, t->day, t->hour, t->minute, t->second, t->millisecond}),
            std::vector<int>({2005, 8, 18, 5, 16, 59, 400}));
  EXPECT_EQ(t->dayOfWeek, 4);  // a Thursday
  std::optional<platform::CalendarTime> epoch = FileTimeToDateTime(116444736000000000ULL);
  ASSERT_TRUE(epoch);
  EXPECT_EQ(std::vector<int>({epoch->year, epoch->month, epoch->day, epoch->dayOfWeek}),
            std::vector<int>({1970, 1, 1, 4}));
  EXPECT_FALSE(FileTimeToDateTime(0xFFFFFFFFFFFFFFFFULL));

  TempDir dir;
  WriteBytes(dir / "Part1.rar", std::string(1234, 'x'));
  const std::string line = FileInfoLine(dir / "Part1.rar");
  EXPECT_EQ(line.substr(0, 11), "     1234  ");
  EXPECT_EQ(line.substr(line.size() - 11), "  Part1.rar");
  EXPECT_EQ(FileInfoLine(dir / "gone.rar"), "");
}

TEST(FileInfoLine, GivesTheWholeSizeOfLargeFiles) {
  TempDir dir;
  // Size, and the size column as written.
  const std::vector<std::pair<std::uint64_t, std::string>> cases = {{5ULL << 30, "5368709120  "},
                                                                    {1ULL << 30, "1073741824  "}};
  for (const auto& [size, column] : cases) {
    MakeSparse(dir / "big.bin", size);
    EXPECT_EQ(FileInfoLine(dir / "big.bin").substr(0, column.size()), column) << size;
  }
}

TEST(DeleteOldFiles, RemovesSfvFilesStrictlyOlderThanTheLimit) {
  TempDir dir;
  const std::uint64_t now = platform::NowFileTime();
  const std::pair<const char*, std::uint64_t> files[] = {
      {"old.sfv", now - 8 * kTicksPerDay}, {"OLD2.SFV", now - 7 * kTicksPerDay - 600000000ULL},
      {"young.sfv", now - 6 * kTicksPerDay}, {"old.txt", now - 30 * kTicksPerDay},
      // Progress files of other lists keep their list's name.
      {"show_x.sha256", now - 8 * kTicksPerDay}, {"my_show_sha256sums", now - 8 * kTicksPerDay},
      {"show_md5sums.txt", now - 8 * kTicksPerDay}, {"young.md5", now - 6 * kTicksPerDay}};
  for (const auto& [name, time] : files) {
    WriteBytes(dir / name, "x");
    ASSERT_TRUE(platform::SetLastWriteTime(dir / name, time));
  }
  DeleteOldFiles(dir.path(), 7);
  EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"old.txt", "young.md5", "young.sfv"}));
  DeleteOldFiles(dir / "missing", 7);
}

TEST(DeleteStaleTemporaryFiles, RemovesOnlyOurOwnOldTemporaryFiles) {
  TempDir dir;
  constexpr std::uint64_t kMinute = 60ULL * 10000000;
  const struct {
    const char* name;
    std::uint64_t age;
    bool removed;
  } files[] = {
      {"show_part1.sfv.quor~0", 61 * kMinute, true},  // WriteFileText's
      {"show_part1.sfv.quor~17", 2 * kTicksPerDay, true},
      {"ZERAravo.dat.~4242-3", 2 * kTicksPerDay, true},  // ReplaceWholeFile's
      {"busy.sfv.quor~0", 59 * kMinute, false},          // being written
      {"show_part1.sfv", 2 * kTicksPerDay, false},       // a progress file
      {"notes.quor~", 2 * kTicksPerDay, false},
      {"notes.quor~1a", 2 * kTicksPerDay, false},
      {".quor~3", 2 * kTicksPerDay, false},
      {"notes.~12", 2 * kTicksPerDay, false},
      {"notes.~12-", 2 * kTicksPerDay, false},
      {"notes.~a-1", 2 * kTicksPerDay, false},
      {"notes.txt~", 2 * kTicksPerDay, false},
  };
  const std::uint64_t now = platform::NowFileTime();
  for (const auto& file : files) {
    WriteBytes(dir / file.name, "x");
    ASSERT_TRUE(platform::SetLastWriteTime(dir / file.name, now - file.age));
  }
  DeleteStaleTemporaryFiles(dir.path(), 60 * 60);
  for (const auto& file : files) EXPECT_EQ(platform::FileExists(dir / file.name), !file.removed) << file.name;
}

}  // namespace
