// Quor.exe started as Explorer starts it, in a process of its own, from a
// private copy in a temporary folder (so its settings file is the test's).
// The test answers the creator's questions by finding its windows and
// pressing their buttons.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "GuiTestUtil.h"
#include "QuorProcessTest.h"
#include "TestUtil.h"
#include "core/Quor_CRC32.h"
#include "core/Quor_Sfv.h"
#include "platform/fs.h"
#include "res/resource.h"

namespace {

using guitest::ChildProcess;
using guitest::Quote;
using testutil::ReadBytes;

std::string CrcLine(const std::string& name, const std::string& content) {
  return FormatSfvLine(name, Crc32Of(content.data(), content.size()));
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

HWND StatusLabel(HWND creator) { return GetDlgItem(creator, IDC_CREATE_STATUS); }

class CreatorProcessTest : public guitest::QuorProcessTest {
 protected:
  void WriteSettings(const std::string& text) { testutil::WriteBytes(settings(), text); }
  // Waits for the process's window of that class and caption and presses the button.
  static void Press(const ChildProcess& quor, const char* className, const char* caption, const char* button) {
    HWND window = guitest::WaitForWindow(quor.pid(), className, caption);
    ASSERT_NE(window, nullptr) << caption;
    ASSERT_TRUE(guitest::ClickButton(window, button)) << button;
  }

  // Starts the creator on a folder of two large files (sparse files of
  // zeros, which take a while to hash) and waits until it hashes the first.
  void StartHashingBigFiles() {
    big_ = data_ / "Big";
    testutil::MakeFolder(big_);
    for (const char* name : {"big1.bin", "big2.bin"}) {
      platform::File f = platform::File::Open(big_ + "\\" + name, platform::Access::Write, platform::Share::None,
                                              platform::Disposition::CreateAlways);
      std::string error;
      ASSERT_TRUE(f.IsOpen() && f.SetSize(256ull << 20, error)) << error;
    }
    quor_.emplace(app_, "-CreateSFVFile " + Quote(big_));
    creator_ = guitest::WaitForWindow(quor_->pid(), "TSFVCreater", "Creating SFV file(s)...");
    ASSERT_NE(creator_, nullptr);
    ASSERT_TRUE(guitest::WaitUntil([&] { return guitest::WindowText(StatusLabel(creator_)) == "big1.bin"; }));
  }
  // Esc in the creator, and that answer to the question it asks.
  void PressEscAndAnswer(const char* answer) {
    guitest::PressKey(creator_, VK_ESCAPE);
    HWND box = guitest::WaitForWindow(quor_->pid(), "#32770", "Confirmation");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(guitest::FindChildByText(box, "Abort?", "Static"), nullptr);
    ASSERT_TRUE(guitest::ClickButton(box, answer));
  }
  // Nothing but the two large files is in their folder.
  void ExpectOnlyTheBigFiles() {
    EXPECT_EQ(testutil::FolderNames(big_), (std::vector<std::string>{"big1.bin", "big2.bin"}));
  }

  std::string big_;
  std::optional<ChildProcess> quor_;
  HWND creator_ = nullptr;
};

TEST_F(CreatorProcessTest, FolderWithoutSubFoldersNoSettingsWritesItsFileAndEnds) {
  const std::string rel = DataFolder("Rel", {{"b.rar", "rar bytes"}, {"A.r00", "r00 bytes"}, {"a.nfo", "nfo"}});
  ChildProcess quor(app_, "-CreateSFVFile " + Quote(rel));
  ASSERT_TRUE(quor.started());
  // No question comes up on the way.
  bool asked = false;
  guitest::WaitUntil([&] {
    asked = asked || guitest::WaitForWindow(quor.pid(), "#32770", nullptr, 0) != nullptr;
    return !quor.Running();
  }, 30000);
  ASSERT_TRUE(quor.WaitExit());
  EXPECT_FALSE(asked);
  const std::string sfv = ReadBytes(rel + "\\b.sfv");
  EXPECT_TRUE(Contains(sfv, "; Generated with Quor v1.39\r\n")) << sfv;
  EXPECT_TRUE(Contains(sfv, CrcLine("A.r00", "r00 bytes") + "\r\n" + CrcLine("b.rar", "rar bytes") + "\r\n")) << sfv;
  EXPECT_FALSE(Contains(sfv, "a.nfo"));
  // The end of the process wrote the pick list's place, unset.
  EXPECT_TRUE(Contains(ReadBytes(settings()), "ChkBoxPosX=-1"));
}

class SubFolderTest : public CreatorProcessTest {
 protected:
  void SetUp() override {
    CreatorProcessTest::SetUp();
    root_ = data_ / "R";
    for (const char* f : {"", "\\A", "\\A\\A1", "\\B"}) {
      testutil::MakeFolder(root_ + f);
      testutil::WriteBytes(root_ + f + "\\data.bin", std::string("content of ") + f);
    }
  }
  void RunAnswering(const char* answer) {
    ChildProcess quor(app_, "-CreateSFVFile " + Quote(root_));
    HWND box = guitest::WaitForWindow(quor.pid(), "#32770", "Confirm");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(guitest::FindChildByText(box, "Create Sfv-Files for sub-folders as well?", "Static"), nullptr);
    ASSERT_TRUE(guitest::ClickButton(box, answer));
    ASSERT_TRUE(quor.WaitExit());
  }
  // The folder got its SFV file; each sub-folder got one when made is true.
  void ExpectSfvFiles(bool made) {
    EXPECT_TRUE(platform::FileExists(root_ + "\\R.sfv"));
    for (const char* sfv : {"\\A\\A.sfv", "\\A\\A1\\A1.sfv", "\\B\\B.sfv"}) {
      EXPECT_EQ(platform::FileExists(root_ + sfv), made) << sfv;
    }
  }
  std::string root_;
};

TEST_F(SubFolderTest, YesCreatesAFileInEveryFolder) {
  RunAnswering("Yes");
  ExpectSfvFiles(true);
  EXPECT_TRUE(Contains(ReadBytes(root_ + "\\A\\A1\\A1.sfv"), CrcLine("data.bin", "content of \\A\\A1")));
}

TEST_F(SubFolderTest, NoCreatesOnlyTheFolderItself) {
  RunAnswering("No");
  ExpectSfvFiles(false);
}

// (A create switch in lower case, or with a third argument, is no create
// command line: those open the main window; see the start-up tests.)
TEST_F(CreatorProcessTest, MissingFolderEndsQuietly) {
  ChildProcess quor(app_, "-CreateSFVFile " + Quote(data_ / "not here"));
  ASSERT_TRUE(quor.WaitExit(20000));
  EXPECT_TRUE(testutil::FolderNames(data_.path()).empty());
}

TEST_F(CreatorProcessTest, EscAnsweredYesDuringALargeFileWritesNothingAndEnds) {
  ASSERT_NO_FATAL_FAILURE(StartHashingBigFiles());
  ASSERT_NO_FATAL_FAILURE(PressEscAndAnswer("Yes"));
  ASSERT_TRUE(quor_->WaitExit(60000));
  ExpectOnlyTheBigFiles();
}

TEST_F(CreatorProcessTest, EscAnsweredNoGoesOnAndASecondEscAfterYesAsksNothing) {
  ASSERT_NO_FATAL_FAILURE(StartHashingBigFiles());
  ASSERT_NO_FATAL_FAILURE(PressEscAndAnswer("No"));
  ASSERT_TRUE(guitest::WaitForNoWindow(quor_->pid(), "#32770"));
  EXPECT_TRUE(quor_->Running());
  ASSERT_NO_FATAL_FAILURE(PressEscAndAnswer("Yes"));
  ASSERT_TRUE(guitest::WaitForNoWindow(quor_->pid(), "#32770"));
  guitest::PressKey(creator_, VK_ESCAPE);  // cuts the file in hand short, without a question
  ASSERT_TRUE(quor_->WaitExit(60000));
  ExpectOnlyTheBigFiles();
}

TEST_F(CreatorProcessTest, ClosingWhileHashingEndsTheProcessAndLeavesNoFileBehind) {
  ASSERT_NO_FATAL_FAILURE(StartHashingBigFiles());
  PostMessageA(creator_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(quor_->WaitExit(15000));
  ExpectOnlyTheBigFiles();
}

TEST_F(CreatorProcessTest, ListFilesCreatedShowsBothFilesOnePerLine) {
  WriteSettings("[Create]\r\nListFilesCreated=1\r\n");
  const std::string root = DataFolder("R", {{"one.bin", "1"}});
  DataFolder("R/A", {{"two.bin", "2"}});
  ChildProcess quor(app_, "-CreateSFVFile " + Quote(root));
  ASSERT_NO_FATAL_FAILURE(Press(quor, "#32770", "Confirm", "Yes"));
  HWND info = guitest::WaitForWindow(quor.pid(), "#32770", "Information");
  ASSERT_NE(info, nullptr);
  HWND creator = guitest::WaitForWindow(quor.pid(), "TSFVCreater");
  EXPECT_EQ(guitest::WindowText(StatusLabel(creator)), "Done!");
  const std::string expected = "The following file(s) where created..\r\n\r\n" + root + "\\R.sfv\r\n" + root +
                               "\\A\\A.sfv\r\n";
  EXPECT_NE(guitest::FindChildByText(info, expected, "Static"), nullptr)
      << ::testing::PrintToString(guitest::ChildTexts(info, "Static"));
  EXPECT_TRUE(quor.Running());  // waits for the box
  ASSERT_TRUE(guitest::ClickButton(info, "OK"));
  ASSERT_TRUE(quor.WaitExit());
}

TEST_F(CreatorProcessTest, ListFilesCreatedWithNothingWrittenSaysSo) {
  WriteSettings("[Create]\r\nListFilesCreated=1\r\n");
  const std::string root = DataFolder("OnlyText", {{"readme.txt", "excluded"}});
  ChildProcess quor(app_, "-CreateSFVFile " + Quote(root));
  HWND info = guitest::WaitForWindow(quor.pid(), "#32770", "Information");
  ASSERT_NE(info, nullptr);
  EXPECT_NE(guitest::FindChildByText(info, "No files where created..", "Static"), nullptr);
  ASSERT_TRUE(guitest::ClickButton(info, "OK"));
  ASSERT_TRUE(quor.WaitExit());
}

TEST_F(CreatorProcessTest, SpecificModePickListAnsweredByTheUserAndRememberedAcrossRuns) {
  const std::string rel = DataFolder("Rel", {{"b.rar", "rar"}, {"a.nfo", "nfo"}, {"old.sfv", "; old\r\n"}});
  {
    // Cancel keeps every file, excluded types and SFV files too.
    ChildProcess quor(app_, "-CreateSFVFileS " + Quote(rel));
    HWND pick = guitest::WaitForWindow(quor.pid(), "TChkLBoxForm", "File Selector..");
    ASSERT_NE(pick, nullptr);
    SetWindowPos(pick, nullptr, 30, 40, 300, 260, SWP_NOZORDER);
    ASSERT_TRUE(guitest::WaitUntil([&] {
      RECT r;
      GetWindowRect(pick, &r);
      return r.left == 30 && r.right - r.left == 300;
    }));
    ASSERT_TRUE(guitest::ClickButton(pick, "Cancel"));
    ASSERT_TRUE(quor.WaitExit());
  }
  const std::string sfv = ReadBytes(rel + "\\b.sfv");
  EXPECT_TRUE(Contains(sfv, CrcLine("a.nfo", "nfo") + "\r\n" + CrcLine("b.rar", "rar") + "\r\n" +
                                CrcLine("old.sfv", "; old\r\n") + "\r\n"))
      << sfv;
  const std::string text = ReadBytes(settings());
  EXPECT_TRUE(Contains(text, "ChkBoxPosX=30") && Contains(text, "ChkBoxPosY=40") &&
              Contains(text, "ChkBoxSizeX=300") && Contains(text, "ChkBoxSizeY=260"))
      << text;
  {
    // The next run opens the pick list where it was left. With nothing
    // checked the name comes from the folder and the file holds only the
    // comment lines.
    ChildProcess quor(app_, "-CreateSFVFileS " + Quote(rel));
    HWND pick = guitest::WaitForWindow(quor.pid(), "TChkLBoxForm");
    ASSERT_NE(pick, nullptr);
    RECT r;
    GetWindowRect(pick, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.bottom - r.top, 260);
    ASSERT_TRUE(guitest::ClickButton(pick, "UnCheck All"));
    ASSERT_TRUE(guitest::ClickButton(pick, "OK"));
    ASSERT_TRUE(quor.WaitExit());
  }
  EXPECT_EQ(ReadBytes(rel + "\\Rel.sfv"), "; Generated with Quor v1.39\r\n;\r\n");
  EXPECT_TRUE(Contains(ReadBytes(rel + "\\b.sfv"), "b.rar"));  // the first run's file is untouched
}

TEST_F(CreatorProcessTest, ANewNameWhenTheUserWillNotOverwrite) {
  const std::string rel = DataFolder("Rel", {{"b.rar", "rar"}, {"b.sfv", "; keep me\r\n"}});
  ChildProcess quor(app_, "-CreateSFVFile " + Quote(rel));
  ASSERT_NO_FATAL_FAILURE(Press(quor, "TQuorAskForm", "Confirm", "No"));
  HWND query = guitest::WaitForWindow(quor.pid(), "TQuorAskForm", "Query");
  ASSERT_NE(query, nullptr);
  HWND edit = GetDlgItem(query, IDC_ASK_EDIT);
  EXPECT_EQ(guitest::WindowText(edit), "b.sfv");
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other.sfv"));
  ASSERT_TRUE(guitest::ClickButton(query, "OK"));
  ASSERT_TRUE(quor.WaitExit());
  EXPECT_EQ(ReadBytes(rel + "\\b.sfv"), "; keep me\r\n");
  EXPECT_TRUE(Contains(ReadBytes(rel + "\\other.sfv"), CrcLine("b.rar", "rar")));
}

TEST_F(CreatorProcessTest, ShortPathGivesTheLongFolderName) {
  const std::string folder = DataFolder("Long Folder Name", {{"movie.mkv", "frames"}});
  const std::string shortPath = platform::ShortPathName(folder);
  if (shortPath.find('~') == std::string::npos) GTEST_SKIP() << "no short name here: " << shortPath;
  ChildProcess quor(app_, "-CreateSFVFile " + Quote(shortPath));
  ASSERT_TRUE(quor.WaitExit());
  EXPECT_TRUE(platform::FileExists(folder + "\\Long Folder Name.sfv"))
      << ::testing::PrintToString(testutil::FolderNames(folder));
}

}  // namespace
