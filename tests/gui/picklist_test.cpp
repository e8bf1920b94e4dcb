// The pick list, driven as a user would: a helper thread waits for the
// window and presses its keys and buttons while the test thread runs it.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "GuiTestUtil.h"
#include "TestUtil.h"
#include "picklist/Quor_SpecifikBox.h"
#include "res/resource.h"

namespace {

const DWORD kSelf = GetCurrentProcessId();

HWND WaitForPickList() { return guitest::WaitForWindow(kSelf, TChkLBoxForm::kClassName, "File Selector.."); }

class PickListTest : public ::testing::Test {
 protected:
  void SetUp() override { CurrentPickListPlacement() = {}; }
  void TearDown() override { CurrentPickListPlacement() = {}; }
};

const std::string kLines = "b.rar\r\nA.r00\r\nread me.txt\r\n";

TEST_F(PickListTest, EnterAtOnceReturnsEveryLineChecked) {
  std::vector<std::string> shown;
  guitest::Helper helper([&] {
    HWND form = WaitForPickList();
    ASSERT_NE(form, nullptr);
    HWND list = GetDlgItem(form, IDC_PICK_LIST);
    shown = guitest::ListViewTexts(list);
    guitest::PressKey(list, VK_RETURN);
  });
  EXPECT_EQ(PickLines(nullptr, kLines, false), kLines);
  EXPECT_EQ(shown, (std::vector<std::string>{"b.rar", "A.r00", "read me.txt"}));
}

TEST_F(PickListTest, UncheckAllThenOkGivesEmptyText) {
  guitest::Helper helper([] {
    HWND form = WaitForPickList();
    ASSERT_TRUE(guitest::ClickButton(form, "UnCheck All"));
    ASSERT_TRUE(guitest::ClickButton(form, "OK"));
  });
  const auto result = PickLines(nullptr, kLines, false);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(*result, "");
}

TEST_F(PickListTest, CheckAllAndSelectedButtons) {
  guitest::Helper helper([] {
    HWND form = WaitForPickList();
    HWND list = GetDlgItem(form, IDC_PICK_LIST);
    ASSERT_TRUE(guitest::ClickButton(form, "UnCheck All"));
    ASSERT_TRUE(guitest::ClickButton(form, "Check All"));
    // Select the second line and uncheck just that one.
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
    ASSERT_TRUE(guitest::ClickButton(form, "UnCheck Selected"));
    ASSERT_TRUE(guitest::ClickButton(form, "OK"));
  });
  EXPECT_EQ(PickLines(nullptr, kLines, false), "b.rar\r\nread me.txt\r\n");
}

TEST_F(PickListTest, CancelEscapeAndCloseBoxLeaveTheCallersLines) {
  const std::function<void(HWND)> ways[] = {
      [](HWND form) { guitest::ClickButton(form, "Cancel"); },
      [](HWND form) { guitest::PressKey(GetDlgItem(form, IDC_PICK_LIST), VK_ESCAPE); },
      [](HWND form) { PostMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0); },
      // Escape while a button has the focus: the window sees the key first.
      [](HWND form) { guitest::PressKey(GetDlgItem(form, IDC_PICK_OK), VK_ESCAPE); },
  };
  for (const auto& way : ways) {
    guitest::Helper helper([&] {
      HWND form = WaitForPickList();
      ASSERT_NE(form, nullptr);
      guitest::ClickButton(form, "UnCheck All");  // whatever was unchecked does not count
      way(form);
    });
    EXPECT_EQ(PickLines(nullptr, kLines, false), std::nullopt);
  }
}

TEST_F(PickListTest, HideCrcSuffixShowsNamesAndReturnsWholeLines) {
  const std::string lines = "movie part1.rar 0A1B2C3D\r\nb.rar DEADBEEF\r\n12345678\r\n";
  std::vector<std::string> shown;
  guitest::Helper helper([&] {
    HWND form = WaitForPickList();
    shown = guitest::ListViewTexts(GetDlgItem(form, IDC_PICK_LIST));
    guitest::PressKey(form, VK_RETURN);
  });
  EXPECT_EQ(PickLines(nullptr, lines, true), lines);
  EXPECT_EQ(shown, (std::vector<std::string>{"movie part1.rar", "b.rar", ""}));
}

TEST_F(PickListTest, LoadItemsSplitsEveryKindOfLineEndAndReplacesOldItems) {
  TChkLBoxForm form;
  ASSERT_TRUE(form.CreateForm(nullptr));
  form.LoadItems("old\r\n");
  form.LoadItems("a\rb\nc\r\n\r\nd");
  EXPECT_EQ(form.itemLines(), (std::vector<std::string>{"a", "b", "c", "", "d"}));
  EXPECT_EQ(form.GetCheckedItems(), "a\r\nb\r\nc\r\n\r\nd\r\n");
  form.ClearItems();
  EXPECT_EQ(form.GetCheckedItems(), "");
  EXPECT_TRUE(guitest::ListViewTexts(form.list()).empty());
}

TEST(PickListLayout, FormulasFor250PixelWideWindow) {
  const PickListLayout layout = ComputePickListLayout(250, 250, 242);
  EXPECT_EQ(layout.list.left, 5);
  EXPECT_EQ(layout.list.width, 232);
  EXPECT_EQ(layout.list.height, 150);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(layout.buttons[i].width, 111);
    EXPECT_EQ(layout.buttons[i].height, 17);
    EXPECT_EQ(layout.buttons[i].left, i % 2 == 0 ? 5 : 116);
  }
  EXPECT_EQ(layout.buttons[0].top, 160);
  EXPECT_EQ(layout.buttons[3].top, 180);
  EXPECT_EQ(layout.buttons[5].top, 200);
}

RECT ChildRect(HWND parent, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(parent, id), &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(PickListTest, ResizingPlacesControlsByTheFormulas) {
  TChkLBoxForm form;
  ASSERT_TRUE(form.CreateForm(nullptr));
  SetWindowPos(form.hwnd(), nullptr, 100, 100, 300, 400, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(form.hwnd(), &client);
  const int half = client.right / 2;
  const RECT list = ChildRect(form.hwnd(), IDC_PICK_LIST);
  EXPECT_EQ(list.left, 5);
  EXPECT_EQ(list.right - list.left, 300 - 18);
  EXPECT_EQ(list.bottom - list.top, 400 - 100);
  const RECT cancel = ChildRect(form.hwnd(), IDC_PICK_CANCEL);
  EXPECT_EQ(cancel.left, half - 5);
  EXPECT_EQ(cancel.top, 400 - 50);
  EXPECT_EQ(cancel.right - cancel.left, half - 10);
  // The window cannot be made smaller than its design size.
  SetWindowPos(form.hwnd(), nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  RECT outer;
  GetWindowRect(form.hwnd(), &outer);
  EXPECT_GE(outer.right - outer.left, 250);
}

TEST_F(PickListTest, OpensCentredThenWhereItWasLeftAndAcrossRuns) {
  RECT first{}, second{};
  {
    guitest::Helper helper([&] {
      HWND form = WaitForPickList();
      GetWindowRect(form, &first);
      SetWindowPos(form, nullptr, 40, 60, 320, 280, SWP_NOZORDER);
      guitest::ClickButton(form, "OK");
    });
    PickLines(nullptr, kLines, false);
  }
  EXPECT_EQ(first.right - first.left, 250);
  EXPECT_EQ(first.bottom - first.top, 250);
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((first.left + first.right) / 2, (work.left + work.right) / 2, 1);

  {
    guitest::Helper helper([&] {
      HWND form = WaitForPickList();
      GetWindowRect(form, &second);
      guitest::ClickButton(form, "Cancel");
    });
    PickLines(nullptr, kLines, false);
  }
  EXPECT_EQ(second.left, 40);
  EXPECT_EQ(second.top, 60);
  EXPECT_EQ(second.right - second.left, 320);
  EXPECT_EQ(second.bottom - second.top, 280);

  // The end of the process writes the place, the next start reads it.
  testutil::TempDir dir;
  const std::string settings = dir / "ZERAravo.dat";
  SaveCurrentPickListPlacement(settings);
  const std::string text = testutil::ReadBytes(settings);
  EXPECT_NE(text.find("ChkBoxPosX=40"), std::string::npos) << text;
  EXPECT_NE(text.find("ChkBoxSizeY=280"), std::string::npos) << text;
  CurrentPickListPlacement() = {};
  LoadCurrentPickListPlacement(settings);
  const PickListPlacement p = CurrentPickListPlacement();
  EXPECT_EQ(p.left, 40);
  EXPECT_EQ(p.top, 60);
  EXPECT_EQ(p.width, 320);
  EXPECT_EQ(p.height, 280);
}

TEST_F(PickListTest, NoSettingsFileReadsMinusOneAndWritesItBack) {
  testutil::TempDir dir;
  const std::string settings = dir / "ZERAravo.dat";
  CurrentPickListPlacement() = {1, 2, 3, 4};
  LoadCurrentPickListPlacement(settings);
  EXPECT_EQ(CurrentPickListPlacement().left, -1);
  EXPECT_EQ(CurrentPickListPlacement().height, -1);
  SaveCurrentPickListPlacement(settings);
  EXPECT_NE(testutil::ReadBytes(settings).find("ChkBoxPosY=-1"), std::string::npos);
}

}  // namespace
