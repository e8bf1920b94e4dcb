// quor-cli end to end: the built program run on real folders, its output,
// its exit status and what it leaves on disk.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "RunProgram.h"
#include "ScriptedCreateHost.h"
#include "TestUtil.h"
#include "core/Quor_CRC32.h"
#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Text.h"
#include "create/Quor_CreateThread.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "shell/Quor_MiscLib.h"

namespace {

using testutil::ReadBytes;
using testutil::RunCli;
using testutil::WriteBytes;

std::string Row(const std::string& status, const std::string& path) {
  std::string column = status;
  column.resize(9, ' ');
  return column + "  " + path;
}

std::string Summary(const std::string& sfv, int total, int good, int bad, int missing) {
  return Row("SFV", sfv) + "  total " + std::to_string(total) + ", good " + std::to_string(good) + ", bad " +
         std::to_string(bad) + ", missing " + std::to_string(missing);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool Has(const std::string& out, const std::string& line) {
  for (const std::string& l : Lines(out)) {
    if (l == line) return true;
  }
  return false;
}

// The lines of out that start with prefix.
std::vector<std::string> LinesStarting(const std::string& out, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& l : Lines(out)) {
    if (l.compare(0, prefix.size(), prefix) == 0) found.push_back(l);
  }
  return found;
}

std::string Hex(std::uint32_t crc, bool upper) {
  char text[9];
  std::snprintf(text, sizeof text, upper ? "%08X" : "%08x", crc);
  return text;
}

std::uint32_t CrcOf(const std::string& bytes) { return Crc32Of(bytes.data(), bytes.size()); }

// Every test works in a folder whose path has blanks in it.
class CliEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = dir_ / "my files/";
    testutil::MakeFolder(base_);
  }
  std::string File(const std::string& relative) const { return base_ + relative; }
  void Put(const std::string& relative, const std::string& bytes) const { WriteBytes(File(relative), bytes); }

  testutil::TempDir dir_;
  std::string base_;
};

TEST_F(CliEndToEnd, CreateWritesWhatTheCreatorWritesAndTheCheckFindsAllGood) {
  Put("a b.rar", std::string(70000, 'r'));
  Put("data.bin", "some data");
  Put("readme.txt", "left out");
  Put("info.nfo", "left out too");
  const std::string nfo = dir_ / "release notes.nfo";
  WriteBytes(nfo, "Line one\r\nLine two\n");

  const auto created = RunCli({"create", "--file-info", "--nfo", nfo, base_});
  EXPECT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.out, File("a b.sfv") + "\n");
  EXPECT_EQ(created.err, "");
  const std::string written = ReadBytes(File("a b.sfv"));
  ASSERT_TRUE(platform::RemoveFile(File("a b.sfv")));

  // The worker the creator window runs, with the same options.
#ifndef _WIN32
  std::setlocale(LC_ALL, "");
#endif
  testutil::ScriptedCreateHost host;
  TSFVCreateThread worker(host);
  worker.FolderListText = base_ + "\r\n";
  worker.IncludeFileInfo = true;
  worker.IncludeNFO = true;
  worker.IncludeFile = nfo;
  worker.Run();
#ifndef _WIN32
  std::setlocale(LC_ALL, "C");
#endif
  EXPECT_EQ(ReadBytes(File("a b.sfv")), written);
  EXPECT_NE(written.find("; Line two\r\n"), std::string::npos);
  EXPECT_EQ(written.find("readme.txt"), std::string::npos);

  const auto checked = RunCli({"check", base_});
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err, "");
  EXPECT_EQ(Lines(checked.out), (std::vector<std::string>{Row("- OK -", File("a b.rar")),
                                                          Row("- OK -", File("data.bin")),
                                                          Summary(File("a b.sfv"), 2, 2, 0, 0)}));
}

TEST_F(CliEndToEnd, AlteredAndRemovedFilesAreBadAndMissing) {
  Put("one.bin", "first file");
  Put("two.bin", "second file");
  Put("three.bin", "third file");
  ASSERT_EQ(RunCli({"create", "--name", "set", base_}).status, 0);
  const std::string sfv = File("set.sfv");
  Put("two.bin", "second filE");  // same size, other content
  ASSERT_TRUE(platform::RemoveFile(File("three.bin")));

  const auto checked = RunCli({"check", sfv});
  EXPECT_EQ(checked.status, 1);
  EXPECT_EQ(checked.err, "");
  EXPECT_TRUE(Has(checked.out, Row("- OK -", File("one.bin")))) << checked.out;
  EXPECT_TRUE(Has(checked.out, Row("- !BAD! -", File("two.bin")))) << checked.out;
  EXPECT_TRUE(Has(checked.out, Row("MISSING", File("three.bin")))) << checked.out;
  EXPECT_TRUE(Has(checked.out, Summary(sfv, 3, 1, 1, 1))) << checked.out;

  const auto quiet = RunCli({"check", "--quiet", sfv});
  EXPECT_EQ(quiet.status, 1);
  // Files in the creator's order: sorted by name.
  EXPECT_EQ(Lines(quiet.out), (std::vector<std::string>{Row("MISSING", File("three.bin")),
                                                        Row("- !BAD! -", File("two.bin")),
                                                        Summary(sfv, 3, 1, 1, 1)}));
  // Nothing was renamed or marked without being asked.
  EXPECT_EQ(testutil::FolderNames(base_), (std::vector<std::string>{"one.bin", "set.sfv", "two.bin"}));
}

TEST_F(CliEndToEnd, RenameBadAndMakeDummyOnDisk) {
  Put("good.bin", "good");
  Put("bad.bin", "bad content");
  Put("gone.bin", "gone");
  ASSERT_EQ(RunCli({"create", "--name", "s.sfv", base_}).status, 0);
  Put("bad.bin", "BAD content");
  ASSERT_TRUE(platform::RemoveFile(File("gone.bin")));

  const auto marked = RunCli({"check", "--make-dummy", base_});
  EXPECT_EQ(marked.status, 1);
  EXPECT_EQ(ReadBytes(File("bad.bin")), "BAD content");
  EXPECT_EQ(ReadBytes(File("bad.bin_BAD_OR_INCOMPLETE")), "");
  EXPECT_EQ(ReadBytes(File("gone.bin_MISSING")), "");
  EXPECT_TRUE(platform::FileExists(File("gone.bin_MISSING")));

  // Mended: the next check takes its markers away again.
  Put("bad.bin", "bad content");
  Put("gone.bin", "gone");
  const auto mended = RunCli({"check", "--make-dummy", base_});
  EXPECT_EQ(mended.status, 0) << mended.out;
  EXPECT_EQ(testutil::FolderNames(base_), (std::vector<std::string>{"bad.bin", "gone.bin", "good.bin", "s.sfv"}));

  Put("bad.bin", "BAD content");
  const auto renamed = RunCli({"check", "--rename-bad", "--make-dummy", base_});
  EXPECT_EQ(renamed.status, 1);
  EXPECT_FALSE(platform::FileExists(File("bad.bin")));
  // The renamed file keeps its content; no marker replaces it.
  EXPECT_EQ(ReadBytes(File("bad.bin_BAD_OR_INCOMPLETE")), "BAD content");
  EXPECT_EQ(testutil::FolderNames(base_),
            (std::vector<std::string>{"bad.bin_BAD_OR_INCOMPLETE", "gone.bin", "good.bin", "s.sfv"}));
}

TEST_F(CliEndToEnd, HandWrittenSfvFilesInEveryForm) {
  const std::string blank = "with blank.dat", x = "x.bin", y = "y.bin", z = "z.bin";
  Put(blank, "blank");
  Put(x, "ex");
  Put(y, "why");
  Put(z, "zed");
  // LF only, lower-case digits, a "0x" prefix, a name with a blank.
  Put("lf.sfv", "; made by hand\n" + blank + " 0x" + Hex(CrcOf("blank"), false) + "\n" + x + " " +
                    Hex(CrcOf("ex"), false) + "\n");
  // CR only, no line end after the last line.
  Put("cr.sfv", y + " " + Hex(CrcOf("why"), true) + "\r" + z + " 0X" + Hex(CrcOf("zed"), false));
  // A wrong CRC in lower case.
  Put("wrong.sfv", x + " 0x" + Hex(CrcOf("ex") ^ 1u, false) + "\r\n");

  const auto good = RunCli({"check", File("lf.sfv"), File("cr.sfv")});
  EXPECT_EQ(good.status, 0) << good.out;
  EXPECT_EQ(Lines(good.out), (std::vector<std::string>{
                                 Row("- OK -", File(blank)), Row("- OK -", File(x)), Summary(File("lf.sfv"), 2, 2, 0, 0),
                                 Row("- OK -", File(y)), Row("- OK -", File(z)), Summary(File("cr.sfv"), 2, 2, 0, 0)}));

  const auto bad = RunCli({"check", File("cr.sfv"), File("wrong.sfv")});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(Has(bad.out, Row("- !BAD! -", File(x)))) << bad.out;
  EXPECT_TRUE(Has(bad.out, Summary(File("wrong.sfv"), 1, 0, 1, 0))) << bad.out;
}

TEST_F(CliEndToEnd, FolderCheckTakesNestedSfvFilesInTheFolderChecksOrder) {
  for (const char* sub : {"a", "a/deep", "b", "b/c", "empty"}) testutil::MakeFolder(dir_ / (std::string("my files/") + sub));
  for (const char* folder : {"", "a/", "a/deep/", "b/c/"}) {
    Put(std::string(folder) + "f.bin", std::string("in ") + folder);
    ASSERT_EQ(RunCli({"create", "--name", "list", File(folder)}).status, 0);
  }
  const SfvSearchResult found = FindSfvFiles(base_, true, false);
  ASSERT_EQ(found.count, 4u);
  std::vector<std::string> expected;
  for (const std::string& entry : SplitListText(found.queueText)) {
    expected.push_back(Summary(entry.substr(4), 1, 1, 0, 0));
  }

  const auto checked = RunCli({"check", "--quiet", base_});
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(Lines(checked.out), expected);

  Put("a/deep/f.bin", "changed");
  EXPECT_EQ(RunCli({"check", "--quiet", base_}).status, 1);
  // Given without its sub-folders, the good SFV file alone passes.
  EXPECT_EQ(RunCli({"check", File("list.sfv")}).status, 0);
}

TEST_F(CliEndToEnd, ExitStatusesHelpAndVersion) {
  const auto none = RunCli({});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.out, "");
  EXPECT_NE(none.err.find("no command"), std::string::npos);
  EXPECT_EQ(RunCli({"check", "--recursive", base_}).status, 2);
  EXPECT_EQ(RunCli({"create", "--name"}).status, 2);
  EXPECT_EQ(RunCli({"check"}).status, 2);

  const auto help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Exit status"), std::string::npos);
  const auto checkHelp = RunCli({"check", "--help"});
  EXPECT_EQ(checkHelp.status, 0);
  EXPECT_NE(checkHelp.out.find("--rename-bad"), std::string::npos);
  const auto createHelp = RunCli({"create", "--help"});
  EXPECT_NE(createHelp.out.find("--recursive"), std::string::npos);
  EXPECT_EQ(RunCli({"--version"}).out, "quor-cli 1.39\n");

  // A path that is not there fails, and the other paths are still checked.
  Put("ok.bin", "fine");
  ASSERT_EQ(RunCli({"create", base_}).status, 0);
  const auto missing = RunCli({"check", File("nothing here.sfv"), File("my files.sfv")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("nothing here.sfv"), std::string::npos);
  EXPECT_TRUE(Has(missing.out, Summary(File("my files.sfv"), 1, 1, 0, 0))) << missing.out;
  // A folder without SFV files is said so; nothing in it failed.
  testutil::MakeFolder(dir_ / "bare");
  const auto bare = RunCli({"check", dir_ / "bare"});
  EXPECT_EQ(bare.status, 0);
  EXPECT_NE(bare.out.find("No checksum lists in"), std::string::npos);
  EXPECT_EQ(RunCli({"create", dir_ / "not there"}).status, 1);
  EXPECT_EQ(RunCli({"create", "--nfo", dir_ / "no.nfo", base_}).status, 1);
}

// A list that holds no file line proves nothing: it fails and says so on
// stderr, whether it is empty, comments only or binary.
TEST_F(CliEndToEnd, AListOfNothingFailsAndSaysSo) {
  Put("empty.sfv", "");
  Put("comments.sfv", "; only a comment\r\n");
  Put("binary.sfv", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01", 19));
  for (const char* name : {"empty.sfv", "comments.sfv", "binary.sfv"}) {
    const auto run = RunCli({"check", File(name)});
    EXPECT_EQ(run.status, 1) << name;
    EXPECT_NE(run.err.find(File(name) + ": no file lines"), std::string::npos) << run.err;
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{Summary(File(name), 0, 0, 0, 0)}));
  }
}

// An SFV file that cannot be read fails the run with the reason on stdout,
// and the next SFV file is still checked.
TEST_F(CliEndToEnd, AnSfvFileThatCannotBeReadFailsAndTheNextIsChecked) {
  Put("ok.bin", "fine");
  Put("good.sfv", "ok.bin " + Hex(CrcOf("fine"), true) + "\r\n");
  const std::string unread = File("unread.sfv");
#ifdef _WIN32
  // Held without sharing, the file counts as in use.
  Put("unread.sfv", "ok.bin " + Hex(CrcOf("fine"), true) + "\r\n");
  platform::File held = platform::File::Open(unread, platform::Access::Read, platform::Share::None,
                                             platform::Disposition::OpenExisting);
  ASSERT_TRUE(held.IsOpen());
  const std::vector<std::string> said = {Row("", unread) + "  Error File Was In Use"};
  const std::size_t reasonLines = 0;
#else
  // /proc/self/mem opens and fails its first read: a failing disk.
  ASSERT_EQ(symlink("/proc/self/mem", unread.c_str()), 0);
  const std::vector<std::string> said = {Row("", unread) + "  Error Reading SFV File"};
  const std::size_t reasonLines = 1;  // the system's error text
#endif
  const auto run = RunCli({"check", unread, File("good.sfv")});
  EXPECT_EQ(run.status, 1);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), said.size() + reasonLines + 2) << run.out;  // then ok.bin and its totals
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(said.size())), said);
  EXPECT_EQ(lines.back(), Summary(File("good.sfv"), 1, 1, 0, 0));
}

TEST_F(CliEndToEnd, ExistingSfvFileIsLeftAloneUnlessOverwriteIsGiven) {
  Put("f.bin", "one");
  ASSERT_EQ(RunCli({"create", base_}).status, 0);
  const std::string sfv = File("my files.sfv");
  const std::string before = ReadBytes(sfv);
  Put("f.bin", "two");

  const auto clash = RunCli({"create", base_});
  EXPECT_EQ(clash.status, 1);
  EXPECT_EQ(LinesStarting(clash.out, "EXISTS").size(), 1u) << clash.out;
  EXPECT_NE(clash.out.find(sfv), std::string::npos);
  EXPECT_EQ(ReadBytes(sfv), before);

  const auto replaced = RunCli({"create", "--overwrite", base_});
  EXPECT_EQ(replaced.status, 0);
  EXPECT_EQ(replaced.out, sfv + "\n");
  EXPECT_NE(ReadBytes(sfv), before);
  EXPECT_EQ(RunCli({"check", sfv}).status, 0);
}

#ifndef _WIN32
// Natively only: under Wine a link to a file cannot be made.
TEST_F(CliEndToEnd, OverwriteLeavesAnSfvFileThatIsALinkAndWhatItPointsAt) {
  testutil::MakeFolder(dir_ / "v");
  WriteBytes(dir_ / "v/notes.txt", "the user's notes");
  Put("f.bin", "one");
  ASSERT_TRUE(testutil::MakeFileLink(File("my files.sfv"), dir_ / "v/notes.txt"));
  const auto run = RunCli({"create", "--overwrite", base_});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(kLinkNotReplacedText), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(dir_ / "v/notes.txt"), "the user's notes");
  EXPECT_TRUE(platform::FindEntry(File("my files.sfv"))->isLink);
}
#endif

TEST_F(CliEndToEnd, RecursiveCreationInTheCreatorsOrder) {
  for (const char* sub : {"s1", "s1/t", "s2", "s2/empty"}) testutil::MakeFolder(dir_ / (std::string("my files/") + sub));
  for (const char* folder : {"", "s1/", "s1/t/", "s2/"}) Put(std::string(folder) + "f.bin", folder);
  std::vector<std::string> expected;
  std::vector<std::string> folders{base_};
  for (const std::string& sub : SplitListText(ListSubFolders(base_, true))) folders.push_back(sub);
  for (const std::string& folder : folders) {
    if (ExtractFileName(ExcludeTrailingSeparator(folder)) == "empty") continue;  // nothing to list
    expected.push_back(folder + ExtractFileName(ExcludeTrailingSeparator(folder)) + ".sfv");
  }
  const auto created = RunCli({"create", "--recursive", base_});
  EXPECT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(Lines(created.out), expected);
  EXPECT_EQ(RunCli({"check", base_}).status, 0);
}

TEST_F(CliEndToEnd, SkipKnownGoodKeepsAndUsesProgressFiles) {
  Put("good.bin", "good");
  Put("bad.bin", "bad");
  ASSERT_EQ(RunCli({"create", "--name", "kg", base_}).status, 0);
  const std::string sfv = File("kg.sfv");
  const std::string progress =
      platform::ExecutableFolder() + "Progress" + platform::kPathSep + ProgressFileName(sfv);
  Put("bad.bin", "BAD");
  EXPECT_EQ(RunCli({"check", "--skip-known-good", sfv}).status, 1);
  ASSERT_TRUE(platform::FileExists(progress));

  // Changed behind the check's back, with its old time and size: where the
  // system keeps a change time the user cannot set back (POSIX), the file is
  // hashed again; elsewhere the progress file vouches for it. A plain check
  // always hashes.
  const std::uint64_t time = platform::FindEntry(File("good.bin"))->lastWriteTime;
  Put("good.bin", "GOOD");
  ASSERT_TRUE(platform::SetLastWriteTime(File("good.bin"), time));
  const bool changeTimeKept = platform::LookUpPath(File("good.bin"))->changeTime != 0;
  const auto skipped = RunCli({"check", "--skip-known-good", sfv});
  EXPECT_TRUE(Has(skipped.out, Row(changeTimeKept ? "- !BAD! -" : "- OK -", File("good.bin")))) << skipped.out;
  EXPECT_TRUE(Has(RunCli({"check", sfv}).out, Row("- !BAD! -", File("good.bin"))));

  // All good again: the progress file goes.
  Put("good.bin", "good");
  Put("bad.bin", "bad");
  EXPECT_EQ(RunCli({"check", "--skip-known-good", sfv}).status, 0);
  EXPECT_FALSE(platform::FileExists(progress));
}

// What a folder holds, recursively: each name with its size, and the text of
// each SFV file.
std::string Snapshot(const std::string& folder) {
  std::string text;
  for (const std::string& name : testutil::FolderNames(folder)) {
    const std::string path = folder + name;
    const platform::DirEntry entry = *platform::LookUpPath(path);
    if (entry.isFolder) {
      text += name + "/\n" + Snapshot(path + platform::kPathSep);
      continue;
    }
    text += name + " " + std::to_string(entry.size) + "\n";
    if (ExtractFileExt(name) == ".sfv") text += ReadBytes(path);
  }
  return text;
}

// Good, bad, missing and unopenable files, a folder where a file is listed,
// a bad file listed twice and a sub-folder with an SFV file of its own. The
// bad file is large, so that a second job is still reading it for its second
// line when its first line renames it. The unopenable file stays so while
// the returned object lives.
std::unique_ptr<testutil::UnopenableFile> MakeMixedFolder(const std::string& base) {
  testutil::MakeFolder(base);
  testutil::MakeFolder(base + "sub");
  std::string lines;
  for (const std::size_t size : {300000, 1, 0, 3000000}) {
    const std::string name = std::to_string(size) + ".bin", bytes(size, 'g');
    WriteBytes(base + name, bytes);
    lines += name + " " + Hex(CrcOf(bytes), true) + "\r\n";
  }
  WriteBytes(base + "d.bin", std::string(40 << 20, 'b'));
  WriteBytes(base + "sub" + platform::kPathSep + "e.bin", "e");
  auto locked = std::make_unique<testutil::UnopenableFile>(base + "c locked.bin");
  EXPECT_TRUE(locked->Ready());
  const std::string bad = "d.bin " + Hex(CrcOf("good"), true) + "\r\n";
  WriteBytes(base + "set.sfv", lines + bad + "gone.bin 00000001\r\nc locked.bin 00000002\r\nsub 00000003\r\n" + bad);
  WriteBytes(base + "sub" + platform::kPathSep + "list.sfv", "e.bin " + Hex(CrcOf("e"), true) + "\r\n");
  return locked;
}

// Four jobs print, exit with and leave on disk what one job does, for every
// kind of file and option; each run gets the folder afresh.
TEST_F(CliEndToEnd, FourJobsPrintAndLeaveWhatOneJobDoes) {
  const std::string progressFolder = platform::ExecutableFolder() + "Progress" + platform::kPathSep;
  const std::vector<std::string> progressFiles = {progressFolder + ProgressFileName(File("set.sfv")),
                                                  progressFolder + ProgressFileName(File("sub/list.sfv"))};
  const std::vector<std::vector<std::vector<std::string>>> cases = {
      {{"check", base_}},
      {{"check", "--quiet", "--rename-bad", "--make-dummy", base_}},
      {{"check", "--skip-known-good", base_}, {"check", "--skip-known-good", base_}},  // the second skips
      {{"create", "--recursive", base_}},
  };
  for (const auto& runs : cases) {
    std::string seen[2];
    for (const int jobs : {0, 1}) {
      std::unique_ptr<testutil::UnopenableFile> locked = MakeMixedFolder(base_);
      for (std::vector<std::string> args : runs) {
        args.insert(args.begin() + 1, {"--jobs", jobs == 0 ? "1" : "4"});
        const auto result = RunCli(args);
        seen[jobs] += std::to_string(result.status) + "\n" + result.out + result.err;
      }
      seen[jobs] += Snapshot(base_);
      locked.reset();
      testutil::RemoveTree(base_);
      for (const std::string& progress : progressFiles) platform::RemoveFile(progress);
    }
    EXPECT_EQ(seen[1], seen[0]) << runs[0][1];
    if (runs.size() == 1 && runs[0].size() == 2) {  // the plain check finds every kind
      for (const char* status : {"- OK -", "- !BAD! -", "MISSING"}) EXPECT_NE(seen[0].find(status), std::string::npos);
      EXPECT_NE(seen[0].find("total 9, good 4, bad 3, missing 2"), std::string::npos) << seen[0];
    }
  }
}

// Names from many scripts (a surrogate pair among them) in a folder whose own
// name is not ASCII: what create writes, check reads back with every file OK.
TEST_F(CliEndToEnd, UnicodeNamesAreCreatedAndChecked) {
  const std::string folder = dir_ / "Релиз Ünïcode/";
  testutil::MakeFolder(folder);
  const std::vector<std::string> names = {"歩き出す.mp3", "Ж.rar", "café.flac", "emoji 🎵.bin",
                                          "Music001 – Live.mp3", "plain.bin"};
  for (const std::string& name : names) WriteBytes(folder + name, name);
  const auto created = RunCli({"create", "--name", "set", folder});
  EXPECT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.out, folder + "set.sfv\n");
  // These names fit no code page: the file is UTF-8, as other tools read it.
  const std::string sfv = ReadBytes(folder + "set.sfv");
  for (const std::string& name : names) {
    EXPECT_NE(sfv.find("\r\n" + name + " " + Hex(CrcOf(name), true) + "\r\n"), std::string::npos) << name;
  }
  const auto checked = RunCli({"check", "--make-dummy", folder});
  EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
  for (const std::string& name : names) EXPECT_TRUE(Has(checked.out, Row("- OK -", folder + name))) << checked.out;
  EXPECT_TRUE(Has(checked.out, Summary(folder + "set.sfv", 6, 6, 0, 0))) << checked.out;

  // A missing name gets its marker under its own name.
  ASSERT_TRUE(platform::RemoveFile(folder + names[0]));
  EXPECT_EQ(RunCli({"check", "--make-dummy", folder}).status, 1);
  EXPECT_TRUE(platform::FileExists(folder + names[0] + "_MISSING"));

  // Names that fit the legacy code page are written in it where the program
  // writes it, byte for byte what older copies wrote.
  const std::string western = dir_ / "western/";
  testutil::MakeFolder(western);
  WriteBytes(western + "café.flac", "x");
  ASSERT_EQ(RunCli({"create", "--name", "w", western}).status, 0);
  const std::string line = (platform::kWritesLegacyText ? "caf\xE9" : "café") + std::string(".flac ") + Hex(CrcOf("x"), true);
  EXPECT_NE(ReadBytes(western + "w.sfv").find(line), std::string::npos);
  EXPECT_EQ(RunCli({"check", western}).status, 0);
}

TEST_F(CliEndToEnd, PathsLongerThanTheClassicLimit) {
  std::string folder = base_;
  while (folder.size() < 300) {
    folder += std::string(60, 'd') + platform::kPathSep;
    testutil::MakeFolder(folder);
  }
  WriteBytes(folder + "far away.bin", "far");
  WriteBytes(folder + "gone.bin", "gone");
  const auto created = RunCli({"create", "--name", "far", folder});
  EXPECT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.out, folder + "far.sfv\n");

  const auto checked = RunCli({"check", base_});  // found by the folder scan
  EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
  EXPECT_TRUE(Has(checked.out, Row("- OK -", folder + "far away.bin"))) << checked.out;

  WriteBytes(folder + "far away.bin", "FAR");
  ASSERT_TRUE(platform::RemoveFile(folder + "gone.bin"));
  EXPECT_EQ(RunCli({"check", "--rename-bad", "--make-dummy", folder + "far.sfv"}).status, 1);
  EXPECT_EQ(ReadBytes(folder + "far away.bin_BAD_OR_INCOMPLETE"), "FAR");
  EXPECT_TRUE(platform::FileExists(folder + "gone.bin_MISSING"));
}

}  // namespace
