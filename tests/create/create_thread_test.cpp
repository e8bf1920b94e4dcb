#include "create/Quor_CreateThread.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "ScriptedCreateHost.h"
#include "TestUtil.h"
#include "core/Quor_ChecksumList.h"
#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Sfv.h"
#include "platform/fs.h"

namespace {

using namespace std::string_literals;
using testutil::ReadBytes;
using testutil::ScriptedCreateHost;
using testutil::TempDir;
using testutil::WriteBytes;

// Known CRC-32 values.
const char kA[] = "a";            // E8B7BE43
const char kAbc[] = "abc";        // 352441C2
const char kDigits[] = "123456789";  // CBF43926

std::string Header() { return "; Generated with Quor v1.39\r\n;\r\n"; }

// A sub-folder of dir, created, with its trailing separator.
std::string Folder(const TempDir& dir, const std::string& name) {
  const std::string path = dir / name;
  testutil::MakeFolder(path);
  return path + platform::kPathSep;
}
// The same, holding those files (name, content).
std::string Folder(const TempDir& dir, const std::string& name,
                   std::initializer_list<std::pair<const char*, std::string>> files) {
  const std::string folder = Folder(dir, name);
  for (const auto& [file, content] : files) WriteBytes(folder + file, content);
  return folder;
}

// Runs a worker over the folders on this thread; options, when given, sets
// the worker's options first.
void RunOver(ScriptedCreateHost& host, const std::vector<std::string>& folders,
             const std::function<void(TSFVCreateThread&)>& options = nullptr) {
  TSFVCreateThread worker(host);
  if (options) options(worker);
  for (const std::string& folder : folders) worker.FolderListText += folder + "\r\n";
  worker.Run();
}

// Writes folder's SFV file (over the one there) with the text file nfo in
// its head, and the file information block when asked.
void CreateWithNfo(const std::string& folder, const std::string& nfo, bool fileInfo = false) {
  ScriptedCreateHost host;
  host.overwriteAnswers = {OverwriteAnswer::Yes};
  RunOver(host, {folder}, [&](TSFVCreateThread& worker) {
    worker.IncludeNFO = true;
    worker.IncludeFile = nfo;
    worker.IncludeFileInfo = fileInfo;
  });
}

struct Listed {
  std::string name;
  std::uint32_t crc;
  bool operator==(const Listed& other) const { return name == other.name && crc == other.crc; }
};

// The file lines of an SFV file, read back through the SFV reader.
std::vector<Listed> ReadBack(const std::string& sfvPath) {
  std::vector<Listed> listed;
  for (const std::string& line : LoadSfvFile(sfvPath).lines) {
    Listed entry{};
    EXPECT_TRUE(SplitSfvLine(line, entry.name, entry.crc)) << line;
    listed.push_back(entry);
  }
  return listed;
}

TEST(CreateThread, NormalFolderListsSortedArchivesAndNamesTheFileAfterTheFirstArchive) {
  TempDir dir;
  const std::string folder = Folder(dir, "Rel");
  WriteBytes(folder + "b.rar", kDigits);
  WriteBytes(folder + "A.r00", kA);
  WriteBytes(folder + "a.nfo", "nfo");
  WriteBytes(folder + "readme.txt", "text");
  WriteBytes(folder + "old.sfv", "; old\r\n");
  WriteBytes(folder + "README", kAbc);  // no extension: listed

  ScriptedCreateHost host;
  TSFVCreateThread worker(host);
  worker.FolderListText = folder + "\r\n";
  worker.Run();

  EXPECT_EQ(ReadBytes(folder + "b.sfv"), Header() + "A.r00 E8B7BE43\r\nb.rar CBF43926\r\nREADME 352441C2\r\n");
  EXPECT_EQ(ReadBack(folder + "b.sfv"),
            (std::vector<Listed>{{"A.r00", 0xE8B7BE43}, {"b.rar", 0xCBF43926}, {"README", 0x352441C2}}));
  EXPECT_EQ(ReadBytes(folder + "old.sfv"), "; old\r\n");
  EXPECT_EQ(host.log, (std::vector<std::string>{"notice 151 1", "notice 152 0", "notice 132 0", "notice 138 13",
                                                "file A.r00", "file b.rar", "file README", "created " + folder + "b.sfv\r\n",
                                                "ended"}));
  EXPECT_EQ(worker.CreatedFilesText(), folder + "b.sfv\r\n");
  // No temporary file is left beside the new one.
  EXPECT_EQ(testutil::FolderNames(folder),
            (std::vector<std::string>{"A.r00", "README", "a.nfo", "b.rar", "b.sfv", "old.sfv", "readme.txt"}));
}

TEST(CreateThread, BytesDoneAddUpToTheTotal) {
  TempDir dir;
  const std::string folder =
      Folder(dir, "Big", {{"x.bin", std::string(300000, 'x')}, {"y.bin", std::string(70000, 'y')}});
  ScriptedCreateHost host;
  RunOver(host, {folder});
  std::uint64_t done = 0;
  std::uint64_t total = 0;
  for (auto [code, value] : host.notices) {
    if (code == CN_BYTES_DONE) done += value;
    if (code == CN_TOTAL_LO) total = value;
    EXPECT_NE(code, CN_TOTAL_HI);
  }
  EXPECT_EQ(total, 370000u);
  EXPECT_EQ(done, 370000u);
}

TEST(CreateThread, ATotalAbove4GiBIsSentInTwoHalves) {
  TempDir dir;
  const std::string folder = Folder(dir, "Huge");
  // 3 GiB and 5 GiB: each file counts whole, 8 GiB in all.
  for (auto [name, size] : {std::pair{"a.bin", 3ull << 30}, std::pair{"b.bin", 5ull << 30}}) {
    platform::File file = platform::File::Open(folder + name, platform::Access::Write, platform::Share::Read,
                                               platform::Disposition::CreateAlways);
    std::string error;
    ASSERT_TRUE(file.SetSize(size, error)) << error;  // sparse: nothing is written
  }
  StopFlag halt{0};
  ScriptedCreateHost host;
  host.onShowCurrentFile = [&](const std::string&) { halt.store(1); };  // read one block only
  RunOver(host, {folder}, [&](TSFVCreateThread& worker) { worker.CreateHaltFlag = &halt; });
  EXPECT_EQ(host.Entries("notice 13"),
            (std::vector<std::string>{"notice 132 0", "notice 137 2", "notice 138 0"}));
  EXPECT_FALSE(platform::FileExists(folder + "Huge.sfv"));
}

TEST(CreateThread, NameComesFromArchiveDefaultOrFolder) {
  TempDir dir;
  const std::string show = Folder(dir, "Show.Name", {{"x.mkv", kA}});
  const std::string two = Folder(dir, "Two", {{"a.zip", kA}, {"B.rar", kAbc}});  // byte order would put B first
  const std::string parts = Folder(dir, "Parts", {{"movie.part01.rar", kA}, {"movie.part02.rar", kA}});
  const std::string split = Folder(dir, "Split", {{"release.001", kA}, {"release.002", kA}});

  ScriptedCreateHost host;
  RunOver(host, {show, two, parts, split});
  EXPECT_EQ(*host.createdList, show + "Show.Name.sfv\r\n" + two + "a.sfv\r\n" + parts + "movie.part01.sfv\r\n" +
                                   split + "release.sfv\r\n");
  EXPECT_EQ(ReadBack(two + "a.sfv"), (std::vector<Listed>{{"a.zip", 0xE8B7BE43}, {"B.rar", 0x352441C2}}));

  // A default name is used in every folder, with ".sfv" added once.
  ScriptedCreateHost host2;
  RunOver(host2, {show, two}, [](TSFVCreateThread& named) { named.DefaultFileName = "check"; });
  EXPECT_EQ(*host2.createdList, show + "check.sfv\r\n" + two + "check.sfv\r\n");
  EXPECT_TRUE(host2.Entries("overwrite").empty());

  ScriptedCreateHost host3;
  RunOver(host3, {parts}, [](TSFVCreateThread& upper) { upper.DefaultFileName = "Check.SFV"; });
  EXPECT_EQ(*host3.createdList, parts + "Check.SFV\r\n");
}

// A list of another hash: named as an SFV file would be, with the hash's
// extension; GNU lines in sorted order, LF, no header (also when the SFV
// header options are on); lists of that hash already there, by extension
// or by name, are left out.
TEST(CreateThread, ListsOfOtherHashesAreNamedAndWrittenAsSha256sumWritesThem) {
  TempDir dir;
  const std::string folder = Folder(dir, "Show", {{"b.rar", kAbc}, {"A b.bin", kA}, {"old.sha256", "x"},
                                                  {"SHA256SUMS", "z"}, {"old.sfv", "y"},
                                                  {"caf\xC3\xA9 \xE6\xAD\xA9", kDigits}});
  for (const unsigned jobs : {1u, 2u}) {
    ScriptedCreateHost host;
    host.overwriteAnswers = {OverwriteAnswer::Yes};
    RunOver(host, {folder}, [jobs](TSFVCreateThread& worker) {
      worker.Hash = HashKind::Sha256;
      worker.IncludeFileInfo = true;
      worker.Jobs = jobs;
    });
    ASSERT_EQ(*host.createdList, folder + "b.sha256\r\n");
    const std::string text = ReadBytes(folder + "b.sha256");
    std::string expected;
    for (const char* name : {"A b.bin", "b.rar", "caf\xC3\xA9 \xE6\xAD\xA9"}) {
      expected += FormatGnuLine(name, FileHash(folder + name, HashKind::Sha256, nullptr, nullptr).digest) + "\n";
    }
    EXPECT_EQ(text, expected);
    // The checking side reads back every name with its digest.
    const ChecksumList list = LoadChecksumList(folder + "b.sha256");
    ASSERT_EQ(list.entries.size(), 3u);
    EXPECT_EQ(list.entries[2].name, "caf\xC3\xA9 \xE6\xAD\xA9");
  }
  ScriptedCreateHost named;
  RunOver(named, {folder}, [](TSFVCreateThread& worker) {
    worker.Hash = HashKind::Md5;
    worker.DefaultFileName = "all";
  });
  EXPECT_EQ(*named.createdList, folder + "all.md5\r\n");
}

TEST(CreateThread, FoldersWithoutFilesAreSkippedSilently) {
  TempDir dir;
  const std::string empty = Folder(dir, "Empty");
  const std::string excluded = Folder(dir, "Excluded", {{"info.NFO", "x"}, {"read.Me.txt", "x"}, {"y.jpg", "x"}});
  Folder(dir, "Excluded/sub");
  const std::string missing = dir / "Missing" + platform::kPathSep;

  ScriptedCreateHost host;
  // An empty line is no folder (and above all not the root).
  RunOver(host, {empty, "", excluded, missing});
  EXPECT_EQ(host.log, (std::vector<std::string>{"notice 151 3", "notice 152 0", "notice 152 0", "notice 152 0",
                                                "created ", "ended"}));
  EXPECT_EQ(testutil::FolderNames(excluded), (std::vector<std::string>{"info.NFO", "read.Me.txt", "sub", "y.jpg"}));
  EXPECT_FALSE(platform::FolderExists(missing));
}

TEST(CreateThread, YesToAllOnTheFirstClashOverwritesTheOthersWithoutAsking) {
  TempDir dir;
  std::vector<std::string> folders;
  for (const char* name : {"One", "Two", "Three"}) {
    folders.push_back(Folder(dir, name, {{"x.rar", kA}, {"x.sfv", "old"}}));
  }
  platform::SetReadOnly(folders[1] + "x.sfv");
  ScriptedCreateHost host;
  host.overwriteAnswers = {OverwriteAnswer::YesToAll};
  RunOver(host, folders);
  EXPECT_EQ(host.Entries("overwrite"), std::vector<std::string>{"overwrite x.sfv"});
  for (const std::string& folder : folders) {
    EXPECT_EQ(ReadBytes(folder + "x.sfv"), Header() + "x.rar E8B7BE43\r\n");
  }
  EXPECT_EQ(*host.createdList, folders[0] + "x.sfv\r\n" + folders[1] + "x.sfv\r\n" + folders[2] + "x.sfv\r\n");
  EXPECT_EQ(OverwriteQuestionText("x.sfv"), "x.sfv Already Exists.. Overwrite ?");
}

TEST(CreateThread, NoThenCancelLeavesTheFolderAndItsOldFileAlone) {
  TempDir dir;
  const std::string first = Folder(dir, "First", {{"x.rar", kA}, {"x.sfv", "old"}});
  const std::string second = Folder(dir, "Second", {{"y.rar", kA}});

  ScriptedCreateHost host;
  host.overwriteAnswers = {OverwriteAnswer::No};
  RunOver(host, {first, second});
  EXPECT_EQ(ReadBytes(first + "x.sfv"), "old");
  EXPECT_EQ(host.Entries("newname"), std::vector<std::string>{"newname x.sfv"});
  EXPECT_TRUE(host.Entries("file x.rar").empty());  // asked before any hashing
  EXPECT_EQ(*host.createdList, second + "y.sfv\r\n");
}

TEST(CreateThread, NoToAllAsksOnlyForNamesAndANewNameIsTakenAsTyped) {
  TempDir dir;
  const std::string first = Folder(dir, "First", {{"x.rar", kA}, {"x.sfv", "old"}, {"taken.nfo", "old"}});
  const std::string second = Folder(dir, "Second", {{"x.rar", kA}, {"x.sfv", "old"}});

  ScriptedCreateHost host;
  host.overwriteAnswers = {OverwriteAnswer::NoToAll, OverwriteAnswer::Yes};
  host.newNames = {std::string("taken.nfo"), std::string("fresh"), std::string("other.sfv")};
  RunOver(host, {first, second});
  // The typed name that exists is asked again with itself as the preset.
  EXPECT_EQ(host.Entries("overwrite"), std::vector<std::string>{"overwrite x.sfv"});
  EXPECT_EQ(host.Entries("newname"),
            (std::vector<std::string>{"newname x.sfv", "newname taken.nfo", "newname x.sfv"}));
  EXPECT_EQ(ReadBytes(first + "fresh"), Header() + "x.rar E8B7BE43\r\n");
  EXPECT_EQ(ReadBytes(first + "x.sfv"), "old");
  EXPECT_EQ(ReadBytes(second + "x.sfv"), "old");
  EXPECT_EQ(*host.createdList, first + "fresh\r\n" + second + "other.sfv\r\n");
}

TEST(CreateThread, ANameThatLeavesTheFolderWritesNothing) {
  TempDir dir;
  const std::string folder = Folder(dir, "Rel", {{"x.rar", kA}, {"x.sfv", "old"}});
  Folder(dir, "Rel/sub");
  // Given to the worker directly, or typed into the new-name box.
  for (const char* name : {"../evil", "sub/evil.sfv", "..\\evil.sfv"}) {
    ScriptedCreateHost byDefault;
    RunOver(byDefault, {folder}, [&](TSFVCreateThread& worker) { worker.DefaultFileName = name; });
    ScriptedCreateHost typed;
    typed.newNames = {std::string(name)};
    RunOver(typed, {folder});
    for (const ScriptedCreateHost* host : {&byDefault, &typed}) {
      EXPECT_EQ(host->errors.size(), 1u) << name;
      EXPECT_EQ(*host->createdList, "") << name;
    }
  }
  EXPECT_EQ(testutil::FolderNames(dir.path()), std::vector<std::string>{"Rel"});
  EXPECT_EQ(testutil::FolderNames(folder), (std::vector<std::string>{"sub", "x.rar", "x.sfv"}));
  EXPECT_TRUE(testutil::FolderNames(folder + "sub").empty());
}

TEST(CreateThread, SpecificModeOffersEveryFileAndKeepsThePick) {
  TempDir dir;
  const std::string folder = Folder(dir, "Picked", {{"b.rar", kDigits}, {"old.sfv", kAbc}, {"a.nfo", kA}});
  const auto specific = [](TSFVCreateThread& worker) { worker.SpecificMode = true; };
  const std::string offered = "pick a.nfo\r\nb.rar\r\nold.sfv\r\n";

  {  // cancelled: every file is hashed
    ScriptedCreateHost host;
    RunOver(host, {folder}, specific);
    EXPECT_EQ(host.Entries("pick"), std::vector<std::string>{offered});
    EXPECT_EQ(ReadBytes(folder + "b.sfv"), Header() + "a.nfo E8B7BE43\r\nb.rar CBF43926\r\nold.sfv 352441C2\r\n");
  }
  {  // OK with one file checked
    ScriptedCreateHost host;
    host.picks = {std::string("old.sfv\r\n")};
    host.overwriteAnswers = {OverwriteAnswer::Yes};
    RunOver(host, {folder}, specific);
    // Named after the folder now: no archive is left in the list.
    EXPECT_EQ(ReadBytes(folder + "Picked.sfv"), Header() + "old.sfv 352441C2\r\n");
    EXPECT_TRUE(host.Entries("overwrite").empty());
  }
  {  // OK with none checked: only the comment lines
    ScriptedCreateHost host;
    host.picks = {std::string()};
    host.overwriteAnswers = {OverwriteAnswer::Yes};
    RunOver(host, {folder}, specific);
    EXPECT_EQ(host.Entries("overwrite"), std::vector<std::string>{"overwrite Picked.sfv"});
    EXPECT_EQ(ReadBytes(folder + "Picked.sfv"), Header());
    EXPECT_TRUE(host.Entries("file").empty());
    EXPECT_EQ(*host.createdList, folder + "Picked.sfv\r\n");
    const std::vector<std::string> totals = host.Entries("notice 138");
    EXPECT_EQ(totals, std::vector<std::string>{"notice 138 0"});
  }
}

TEST(CreateThread, AbortDuringTheSecondOfFiveFilesWritesNothingAndStartsNoFurtherFolder) {
  TempDir dir;
  const std::string first = Folder(dir, "First");
  for (const char* name : {"1.rar", "2.rar", "3.rar", "4.rar", "5.rar"}) WriteBytes(first + name, kA);
  WriteBytes(first + "1.sfv", "old");
  const std::string second = Folder(dir, "Second", {{"y.rar", kA}});

  StopFlag abort{0};
  ScriptedCreateHost host;
  host.overwriteAnswers = {OverwriteAnswer::Yes};
  host.onShowCurrentFile = [&](const std::string& name) {
    if (name == "2.rar") abort.store(1);
  };
  RunOver(host, {first, second}, [&](TSFVCreateThread& worker) { worker.CreateAbortFlag = &abort; });
  EXPECT_EQ(ReadBytes(first + "1.sfv"), "old");
  EXPECT_EQ(host.Entries("file"), (std::vector<std::string>{"file 1.rar", "file 2.rar"}));
  EXPECT_EQ(host.Entries("notice 152").size(), 1u);
  EXPECT_FALSE(platform::FileExists(second + "y.sfv"));
  EXPECT_EQ(host.log.back(), "ended");
  EXPECT_EQ(*host.createdList, "");
}

TEST(CreateThread, HaltAloneNeverWritesTheCrcOfAPart) {
  TempDir dir;
  const std::string folder = Folder(dir, "Halted", {{"1.rar", std::string(200000, 'x')}, {"2.rar", kA}});
  StopFlag halt{0};
  ScriptedCreateHost host;
  host.onShowCurrentFile = [&](const std::string&) { halt.store(1); };
  RunOver(host, {folder}, [&](TSFVCreateThread& worker) { worker.CreateHaltFlag = &halt; });
  EXPECT_FALSE(platform::FileExists(folder + "1.sfv"));
  EXPECT_EQ(host.Entries("file"), std::vector<std::string>{"file 1.rar"});
  EXPECT_EQ(*host.createdList, "");
}

TEST(CreateThread, NfoLinesEndAtCrOrLfAndCtrlZEndsTheText) {
  EXPECT_EQ(NfoTextLines("one\r\ntwo\n\n\r\nlast\x1A" "after\r\n"),
            (std::vector<std::string>{"one", "two", "", "", "last"}));
  // A lone CR ends the line; what follows it up to the next LF is skipped.
  EXPECT_EQ(NfoTextLines("a\rb\nc"), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(NfoTextLines("x\r\n"), std::vector<std::string>{"x"});
  EXPECT_TRUE(NfoTextLines("").empty());
  EXPECT_TRUE(NfoTextLines("\x1A" "a\r\n").empty());
}

TEST(CreateThread, NfoAndFileInformationBlocks) {
  TempDir dir;
  const std::string folder = Folder(dir, "Info", {{"b.rar", kDigits}, {"a.r00", kA}});
  const std::string nfo = dir / "release.nfo";
  WriteBytes(nfo, "  Title\r\nGroup\n\n\r\nend\x1Agarbage\r\n");

  CreateWithNfo(folder, nfo, true);
  const std::string info = "; " + FileInfoLine(folder + "a.r00") + "\r\n; " + FileInfoLine(folder + "b.rar") + "\r\n";
  EXPECT_EQ(info.substr(0, 13), ";         1  ");
  EXPECT_EQ(ReadBytes(folder + "b.sfv"), Header() + ";   Title\r\n; Group\r\n; \r\n; \r\n; end\r\n;\r\n" + info +
                                             ";\r\na.r00 E8B7BE43\r\nb.rar CBF43926\r\n");
  EXPECT_EQ(ReadBack(folder + "b.sfv"), (std::vector<Listed>{{"a.r00", 0xE8B7BE43}, {"b.rar", 0xCBF43926}}));

  // An IncludeFile that does not exist gives no block and no extra ";".
  CreateWithNfo(folder, dir / "nothing.nfo");
  EXPECT_EQ(ReadBytes(folder + "b.sfv"), Header() + "a.r00 E8B7BE43\r\nb.rar CBF43926\r\n");

  // An empty NFO file still closes its (empty) block.
  WriteBytes(nfo, "");
  CreateWithNfo(folder, nfo);
  EXPECT_EQ(ReadBytes(folder + "b.sfv"), Header() + ";\r\na.r00 E8B7BE43\r\nb.rar CBF43926\r\n");
}

TEST(CreateThread, ControlBytesOfTheNfoAreDroppedSoTheFileLinesReadBack) {
  TempDir dir;
  const std::string folder = Folder(dir, "Nfo", {{"a.r00", kA}, {"b.rar", kDigits}});
  const std::string nfo = dir / "art.nfo";
  WriteBytes(nfo, "Ti\0tle\tby\x01\x1B[1mus\x7F\r\n\0\0\0\r\n\0\0\0"s);

  CreateWithNfo(folder, nfo);
  EXPECT_EQ(ReadBytes(folder + "b.sfv"),
            Header() + "; Title\tby[1mus\r\n; \r\n; \r\n;\r\na.r00 E8B7BE43\r\nb.rar CBF43926\r\n");
  EXPECT_EQ(ReadBack(folder + "b.sfv"), (std::vector<Listed>{{"a.r00", 0xE8B7BE43}, {"b.rar", 0xCBF43926}}));
}

TEST(CreateThread, AFileThatCannotBeOpenedCostsItsFolderTheSfvFileButNotTheRun) {
  TempDir dir;
  const std::string first = Folder(dir, "First", {{"a.rar", kA}});
  const std::string second = Folder(dir, "Second", {{"b.r00", kA}, {"b.rar", kA}, {"b.sfv", "old"}});
  const std::string third = Folder(dir, "Third", {{"c.rar", kA}});

  ScriptedCreateHost host;
  host.overwriteAnswers = {OverwriteAnswer::Yes};
  // The second file of the second folder vanishes after the listing.
  host.onShowCurrentFile = [&](const std::string& name) {
    if (name == "b.r00") platform::RemoveFile(second + "b.rar");
  };
  RunOver(host, {first, second, third});
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find(second + "b.rar"), std::string::npos) << host.errors[0];
  EXPECT_NE(host.errors[0].find("no longer exists"), std::string::npos) << host.errors[0];
  EXPECT_EQ(ReadBytes(second + "b.sfv"), "old");
  EXPECT_EQ(ReadBytes(third + "c.sfv"), Header() + "c.rar E8B7BE43\r\n");
  EXPECT_EQ(*host.createdList, first + "a.sfv\r\n" + third + "c.sfv\r\n");
  EXPECT_EQ(host.log.back(), "ended");
}

#ifdef _WIN32
TEST(CreateThread, AFileLockedByAnotherProgramIsReportedWithTheSystemsReason) {
  TempDir dir;
  const std::string folder = Folder(dir, "Locked");
  WriteBytes(folder + "a.rar", kA);
  platform::File lock = platform::File::Open(folder + "a.rar", platform::Access::Read, platform::Share::None,
                                             platform::Disposition::OpenExisting);
  ASSERT_TRUE(lock.IsOpen());
  ScriptedCreateHost host;
  RunOver(host, {folder});
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find(folder + "a.rar"), std::string::npos) << host.errors[0];
  EXPECT_FALSE(platform::FileExists(folder + "a.sfv"));
  EXPECT_EQ(*host.createdList, "");
}
#endif

TEST(CreateThread, AFailedWriteShowsTheErrorAndLeavesNothingBehind) {
  TempDir dir;
  const std::string folder = Folder(dir, "Blocked", {{"b.rar", kA}});
  Folder(dir, "Blocked/b.sfv");  // a folder where the file should go
  const std::string next = Folder(dir, "Next", {{"n.rar", kA}});

  ScriptedCreateHost host;
  host.overwriteAnswers = {OverwriteAnswer::Yes};
  RunOver(host, {folder, next});
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find(folder + "b.sfv"), std::string::npos) << host.errors[0];
  EXPECT_EQ(testutil::FolderNames(folder), (std::vector<std::string>{"b.rar", "b.sfv"}));
  EXPECT_TRUE(platform::FolderExists(folder + "b.sfv"));
  EXPECT_EQ(*host.createdList, next + "n.sfv\r\n");
}

TEST(CreateThread, ManyFilesAreListedSortedAndWrittenInOrder) {
  TempDir dir;
  const std::string folder = Folder(dir, "Many");
  constexpr int kFiles = 1000;
  for (int i = kFiles - 1; i >= 0; --i) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%05d.rar", i % 2 ? "Part" : "part", i);
    WriteBytes(folder + name, "");
  }
  ScriptedCreateHost host;
  RunOver(host, {folder});
  const std::vector<Listed> listed = ReadBack(folder + "part00000.sfv");
  ASSERT_EQ(listed.size(), static_cast<std::size_t>(kFiles));
  for (int i = 0; i < kFiles; ++i) {
    EXPECT_EQ(listed[i].name.substr(4), std::to_string(100000 + i).substr(1) + ".rar");
    EXPECT_EQ(listed[i].crc, 0u);
  }
}

TEST(CreateThread, RunsOnItsOwnThreadAndEndsWithTheHandOver) {
  TempDir dir;
  const std::string folder = Folder(dir, "Threaded");
  WriteBytes(folder + "t.zip", kAbc);
  ScriptedCreateHost host;
  TSFVCreateThread worker(host);
  worker.FolderListText = folder + "\r\n";
  worker.Start(platform::ThreadPriority::BelowNormal);
  worker.Join();
  ASSERT_GE(host.log.size(), 2u);
  EXPECT_EQ(host.log[host.log.size() - 2], "created " + folder + "t.sfv\r\n");
  EXPECT_EQ(host.log.back(), "ended");
  EXPECT_EQ(ReadBytes(folder + "t.sfv"), Header() + "t.zip 352441C2\r\n");
}

}  // namespace
