// The creator window in this process: its layout, its handling of the
// worker's notices, and one whole run read back from its bars.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "GuiTestUtil.h"
#include "TestUtil.h"
#include "create/Quor_Creater.h"
#include "res/resource.h"

namespace {

const DWORD kSelf = GetCurrentProcessId();

RECT ChildRect(HWND parent, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(parent, id), &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Notice(HWND w, NotifyCode code, std::uint32_t value) { SendMessageA(w, WM_CHECKNOTIFY, code, value); }
int Position(HWND w, int id) { return static_cast<int>(SendMessageA(GetDlgItem(w, id), PBM_GETPOS, 0, 0)); }
int Maximum(HWND w, int id) { return static_cast<int>(SendMessageA(GetDlgItem(w, id), PBM_GETRANGE, FALSE, 0)); }

class CreaterWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(form_.CreateForm()); }
  testutil::TempDir dir_;
  TSFVCreater form_{{"-CreateSFVFile", "unused"}, dir_ / "ZERAravo.dat"};
};

TEST_F(CreaterWindowTest, LayoutCaptionAndLabels) {
  HWND w = form_.hwnd();
  EXPECT_EQ(gui::GetText(w), "Creating SFV file(s)...");
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 257);
  EXPECT_EQ(client.bottom, 93);
  const struct {
    int id;
    RECT place;
    const char* text;
  } expected[] = {
      {IDC_CREATE_FOLDER_LABEL, {0, 3, 257, 16}, "Folders Done"},
      {IDC_CREATE_FOLDER_PROGRESS, {8, 20, 249, 36}, ""},
      {IDC_CREATE_FILE_LABEL, {0, 43, 257, 56}, "Files Done"},
      {IDC_CREATE_FILE_PROGRESS, {8, 60, 249, 76}, ""},
      {IDC_CREATE_STATUS, {0, 80, 257, 93}, ""},
  };
  for (const auto& e : expected) {
    const RECT r = ChildRect(w, e.id);
    EXPECT_TRUE(EqualRect(&r, &e.place)) << e.id << ": " << r.left << "," << r.top << "," << r.right << ","
                                         << r.bottom;
    EXPECT_EQ(gui::GetText(GetDlgItem(w, e.id)), e.text);
  }
  for (int id : {IDC_CREATE_FOLDER_LABEL, IDC_CREATE_FILE_LABEL, IDC_CREATE_STATUS}) {
    HWND label = GetDlgItem(w, id);
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_GE(font.lfWeight, FW_BOLD) << id;
    EXPECT_EQ(GetWindowLongA(label, GWL_STYLE) & SS_TYPEMASK, SS_CENTER) << id;
  }
  EXPECT_EQ(Maximum(w, IDC_CREATE_FOLDER_PROGRESS), 1);
  EXPECT_EQ(Maximum(w, IDC_CREATE_FILE_PROGRESS), 100);
}

TEST_F(CreaterWindowTest, NoticesMoveTheBars) {
  HWND w = form_.hwnd();
  Notice(w, CN_FOLDER_COUNT, 3);
  EXPECT_EQ(Maximum(w, IDC_CREATE_FOLDER_PROGRESS), 3);
  Notice(w, CN_NEXT_FOLDER, 0);
  Notice(w, CN_NEXT_FOLDER, 0);
  EXPECT_EQ(Position(w, IDC_CREATE_FOLDER_PROGRESS), 2);

  Notice(w, CN_SFV_BEGIN, 0);
  Notice(w, CN_TOTAL_LO, 300);
  Notice(w, CN_BYTES_DONE, 100);
  EXPECT_EQ(Position(w, IDC_CREATE_FILE_PROGRESS), 33);  // cut toward zero
  Notice(w, CN_BYTES_DONE, 200);
  EXPECT_EQ(Position(w, IDC_CREATE_FILE_PROGRESS), 100);
  // The next folder keeps the bar until its first bytes come in.
  Notice(w, CN_SFV_BEGIN, 0);
  Notice(w, CN_TOTAL_LO, 1000);
  EXPECT_EQ(Position(w, IDC_CREATE_FILE_PROGRESS), 100);
  Notice(w, CN_BYTES_DONE, 10);
  EXPECT_EQ(Position(w, IDC_CREATE_FILE_PROGRESS), 1);
  // Unknown codes change nothing.
  Notice(w, CN_BUSY, 5);
  EXPECT_EQ(Position(w, IDC_CREATE_FILE_PROGRESS), 1);
  EXPECT_EQ(Position(w, IDC_CREATE_FOLDER_PROGRESS), 2);
}

TEST_F(CreaterWindowTest, FolderOfMoreThanFourGigabytesAndFolderOfEmptyFiles) {
  HWND w = form_.hwnd();
  Notice(w, CN_SFV_BEGIN, 0);
  Notice(w, CN_TOTAL_HI, 1);
  Notice(w, CN_TOTAL_LO, 0x40000000);  // 5 GiB
  Notice(w, CN_BYTES_DONE, 0x80000000u);
  EXPECT_EQ(Position(w, IDC_CREATE_FILE_PROGRESS), 40);
  Notice(w, CN_BYTES_DONE, 0xC0000000u);
  EXPECT_EQ(Position(w, IDC_CREATE_FILE_PROGRESS), 100);

  // A total of 0 bytes: the bar stays empty and nothing fails.
  Notice(w, CN_SFV_BEGIN, 0);
  Notice(w, CN_TOTAL_LO, 0);
  Notice(w, CN_BYTES_DONE, 0);
  EXPECT_EQ(Position(w, IDC_CREATE_FILE_PROGRESS), 0);
  // A later CN_TOTAL_LO keeps an upper half set by CN_TOTAL_HI of this folder only.
  Notice(w, CN_SFV_BEGIN, 0);
  Notice(w, CN_TOTAL_LO, 200);
  Notice(w, CN_BYTES_DONE, 100);
  EXPECT_EQ(Position(w, IDC_CREATE_FILE_PROGRESS), 50);
}

TEST(CreaterRun, SubFoldersAnsweredYesFillTheFolderBarToFour) {
  testutil::TempDir dir;
  const std::string root = dir / "R";
  for (const char* f : {"", "\\A", "\\A\\A1", "\\B"}) {
    testutil::MakeFolder(root + f);
    testutil::WriteBytes(root + f + "\\x.bin", "abc");
  }
  const std::string settings = dir / "ZERAravo.dat";
  testutil::WriteBytes(settings, "[Create]\r\nListFilesCreated=1\r\n");
  TSFVCreater form({"-CreateSFVFile", root}, settings);
  ASSERT_TRUE(form.CreateForm());
  int folderMax = 0, folderPos = 0, filePos = 0;
  std::string status;
  guitest::Helper helper([&] {
    HWND question = guitest::WaitForWindow(kSelf, "#32770", "Confirm");
    ASSERT_NE(question, nullptr);
    guitest::ClickButton(question, "Yes");
    HWND info = guitest::WaitForWindow(kSelf, "#32770", "Information");
    ASSERT_NE(info, nullptr);
    HWND w = form.hwnd();
    folderMax = Maximum(w, IDC_CREATE_FOLDER_PROGRESS);
    folderPos = Position(w, IDC_CREATE_FOLDER_PROGRESS);
    filePos = Position(w, IDC_CREATE_FILE_PROGRESS);
    status = guitest::WindowText(GetDlgItem(w, IDC_CREATE_STATUS));
    guitest::ClickButton(info, "OK");
  });
  // Forms of earlier tests, destroyed without a loop, left WM_QUIT behind.
  MSG stale;
  while (PeekMessageA(&stale, nullptr, 0, 0, PM_REMOVE)) {
  }
  ShowWindow(form.hwnd(), SW_SHOW);
  form.StartWhenShown();
  gui::RunMessageLoop();
  EXPECT_TRUE(form.WaitForWorkerEnd(5000));
  EXPECT_EQ(folderMax, 4);
  EXPECT_EQ(folderPos, 4);
  EXPECT_EQ(filePos, 100);
  EXPECT_EQ(status, "Done!");
  EXPECT_EQ(form.createdFilesText(), root + "\\R.sfv\r\n" + root + "\\A\\A.sfv\r\n" + root + "\\A\\A1\\A1.sfv\r\n" +
                                         root + "\\B\\B.sfv\r\n");
}

}  // namespace
