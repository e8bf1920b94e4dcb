// The main window's result lists as a user sees and uses them: rows read
// back from the real list views (texts, colours, pixels on screen), header
// clicks and drags done with mouse messages, the column settings, "Save
// List" through its dialog, and the pop-up menu of StatusList.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "GuiTestUtil.h"
#include "TestUtil.h"
#include "core/Quor_CRC32.h"
#include "gui/Window.h"
#include "MainWindowTestUtil.h"
#include "mainwindow/Quor_Checker.h"
#include "settings/Quor_Config.h"

namespace {

using windowtest::Hex;
using windowtest::PumpUntil;

const char kBase[] = "Quor lists under test";

void Pump(int ms) {
  const DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= static_cast<DWORD>(ms); }, ms + 1000);
}

// What the list view itself shows at a row and column index.
std::string Shown(HWND list, int row, int column) {
  char buffer[512] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = sizeof buffer;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

int ColumnCount(HWND list) { return Header_GetItemCount(ListView_GetHeader(list)); }

// Column indexes in display order.
std::vector<int> DisplayOrder(HWND list) {
  std::vector<int> order(static_cast<std::size_t>(ColumnCount(list)));
  ListView_GetColumnOrderArray(list, static_cast<int>(order.size()), order.data());
  return order;
}

std::string Caption(HWND list, int column) {
  char text[64] = {};
  LVCOLUMNA c{};
  c.mask = LVCF_TEXT;
  c.pszText = text;
  c.cchTextMax = sizeof text;
  ListView_GetColumn(list, column, &c);
  return text;
}
int Format(HWND list, int column) {
  LVCOLUMNA c{};
  c.mask = LVCF_FMT;
  ListView_GetColumn(list, column, &c);
  return c.fmt & LVCFMT_JUSTIFYMASK;
}

// Captions as they stand on screen, left to right.
std::vector<std::string> ShownCaptions(HWND list) {
  std::vector<std::string> captions;
  for (int index : DisplayOrder(list)) captions.push_back(Caption(list, index));
  return captions;
}

// The texts of the column at a display position, top to bottom.
std::vector<std::string> ShownColumn(HWND list, int position) {
  const int column = DisplayOrder(list)[static_cast<std::size_t>(position)];
  std::vector<std::string> texts;
  for (int row = 0; row < ListView_GetItemCount(list); ++row) texts.push_back(Shown(list, row, column));
  return texts;
}

// Centre of a header item, by column index, in header coordinates.
POINT HeaderCentre(HWND list, int column) {
  RECT rect{};
  Header_GetItemRect(ListView_GetHeader(list), column, &rect);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A left click on a column's header, as the mouse sends it.
void ClickHeader(HWND list, int column) {
  HWND header = ListView_GetHeader(list);
  const POINT at = HeaderCentre(list, column);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  Pump(50);
}

// Drags a column's header to the left edge of the header.
void DragHeaderToFront(HWND list, int column) {
  HWND header = ListView_GetHeader(list);
  const POINT from = HeaderCentre(list, column);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  for (int x = from.x; x > 2; x -= 20) SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, from.y));
  SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2, from.y));
  SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(2, from.y));
  Pump(100);
}

// Pixels of exactly that colour inside a row's rectangle on screen.
int PixelsOfColour(HWND list, int row, COLORREF colour) {
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  ListView_GetItemRect(list, row, &rect, LVIR_BOUNDS);
  HDC dc = GetDC(list);
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right && x < 500; ++x) {
      if (GetPixel(dc, x, y) == colour) ++count;
    }
  }
  ReleaseDC(list, dc);
  return count;
}

// The reply of the list's owner to the custom-draw question for a row (a
// virtual list asks by the row's index).
COLORREF DrawnTextColour(HWND window, HWND list, int row) {
  NMLVCUSTOMDRAW draw{};
  draw.nmcd.hdr.hwndFrom = list;
  draw.nmcd.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
  draw.nmcd.hdr.code = NM_CUSTOMDRAW;
  draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
  SendMessageA(window, WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
  return draw.clrText;
}

class ResultListsTest : public windowtest::MainWindowFixture {
 protected:
  void TearDown() override {
    if (window && window->WorkerRunning()) {
      Command(CmdHalt);
      PumpUntil([&] { return !window->WorkerRunning(); });
    }
  }

  // Creates and shows the window with the settings file as it stands.
  void Open() {
    OpenWindow(kBase, [this](TZOZUvavada& w) {
      w.RunProgram = [this](const std::string& line) { started.push_back(line); };
    });
  }
  void Command(int id) { SendMessageA(hwnd(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
  void File(const std::string& name, FileRowKind kind, const std::string& size = "") {
    window->AddFileRow(FileRow{name, "D:\\p\\", StatusText(kind), size, kind});
  }
  void Sfv(const std::string& path, std::uint32_t total, std::uint32_t good) {
    window->AddSfvRow(SfvRow::Totals(path, total, good, 0, 0));
  }
  // Rows added go into the lists' models at once and onto the screen at the
  // next refresh; tests that read the screen right away ask for it first.
  void ShowRows() { window->ShowPendingRows(); }
  bool WaitIdle() { return PumpUntil([&] { return !window->WorkerRunning(); }, 30000); }
  // A folder with a good, a bad and a missing file and one known good from
  // an earlier run; returns the SFV path.
  std::string MixedSfv(const std::string& sub) {
    testutil::MakeFolder(dir / sub);
    std::string text;
    for (const char* name : {"good.bin", "known.bin"}) {
      testutil::WriteBytes(dir / (sub + "/" + name), name);
      text += std::string(name) + " " + Hex(Crc32Of(name, std::strlen(name))) + "\r\n";
    }
    testutil::WriteBytes(dir / (sub + "/bad.bin"), "not what was listed");
    text += "bad.bin 12345678\r\nmissing.bin 00000000\r\n";
    testutil::WriteBytes(dir / (sub + "/" + sub + ".sfv"), text);
    return dir / (sub + "/" + sub + ".sfv");
  }
  // Answers the next save dialog with that file name.
  guitest::Helper AnswerSaveDialog(const std::string& path) {
    return guitest::Helper([path] {
      HWND dialog = guitest::WaitForWindow(GetCurrentProcessId(), "#32770", nullptr, 20000);
      if (!dialog) return;
      SetDlgItemTextA(dialog, 0x47C, path.c_str());  // the file name box
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
  }

  std::vector<std::string> started;
};

TEST_F(ResultListsTest, ColumnsLooksAndTooltip) {
  Open();
  ASSERT_EQ(ColumnCount(files()), 3);  // no File Size by default
  EXPECT_EQ(ShownCaptions(files()), (std::vector<std::string>{"Name", "Path", "Status"}));
  EXPECT_EQ(Format(files(), 0), LVCFMT_LEFT);
  EXPECT_EQ(Format(files(), 2), LVCFMT_CENTER);
  EXPECT_EQ(ShownCaptions(sfvs()), (std::vector<std::string>{"SFV", "Total Files", "Good", "Bad", "Missing"}));
  for (int c = 1; c < 5; ++c) EXPECT_EQ(Format(sfvs(), c), LVCFMT_RIGHT);
  for (HWND list : {files(), sfvs()}) {
    const DWORD ex = ListView_GetExtendedListViewStyle(list);
    EXPECT_TRUE(ex & LVS_EX_HEADERDRAGDROP);
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    EXPECT_FALSE(GetWindowLongA(list, GWL_STYLE) & LVS_EDITLABELS);
    EXPECT_EQ(ListView_GetBkColor(list), RGB(0, 0, 0));
  }
  char tip[128] = {};
  TTTOOLINFOA info{};
  info.cbSize = sizeof info;
  info.hwnd = hwnd();
  info.uId = reinterpret_cast<UINT_PTR>(sfvs());
  info.lpszText = tip;
  SendMessageA(window->StatusListTooltip(), TTM_GETTEXTA, sizeof tip, reinterpret_cast<LPARAM>(&info));
  EXPECT_STREQ(tip, "Right click for options..");
}

TEST_F(ResultListsTest, ASavedBackgroundColourIsAppliedToBothListsAtStart) {
  WriteSettingInt(settingsPath, "Colors", "ColorBagground", 0x402000);
  Open();
  EXPECT_EQ(ListView_GetBkColor(files()), 0x402000u);
  EXPECT_EQ(ListView_GetBkColor(sfvs()), 0x402000u);
  File("", FileRowKind::Separator);  // blank rows take the background colour
  EXPECT_EQ(window->ArchiveList().RowColour(0), 0x402000u);
}

TEST_F(ResultListsTest, The2002ndFileRowDeletesTheFirstAndThe502ndSfvRowLikewise) {
  Open();
  for (int i = 0; i < 2001; ++i) File("f" + std::to_string(i), FileRowKind::Ok);
  for (int i = 0; i < 501; ++i) Sfv("s" + std::to_string(i), 1, 1);
  ShowRows();
  EXPECT_EQ(ListView_GetItemCount(files()), 2001);
  EXPECT_EQ(ListView_GetItemCount(sfvs()), 501);
  ListView_SetItemState(files(), 5, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  File("f2001", FileRowKind::Bad);
  ShowRows();
  EXPECT_EQ(ListView_GetItemCount(files()), 2001);
  EXPECT_EQ(Shown(files(), 0, 0), "f1");
  // The selection and the focus stay on their row, one place up now.
  EXPECT_EQ(window->ArchiveList().SelectedRow(), 4);
  EXPECT_EQ(ListView_GetNextItem(files(), -1, LVNI_FOCUSED), 4);
  EXPECT_EQ(Shown(files(), 2000, 0), "f2001");
  EXPECT_EQ(Shown(files(), 2000, 2), "- !BAD! -");
  Sfv("s501", 1, 1);
  ShowRows();
  EXPECT_EQ(ListView_GetItemCount(sfvs()), 501);
  EXPECT_EQ(Shown(sfvs(), 0, 0), "s1");
  Command(CmdClearList);
  EXPECT_EQ(ListView_GetItemCount(files()), 0);
  EXPECT_EQ(ListView_GetItemCount(sfvs()), 0);
}

// Counts the LVM_SETITEMCOUNT messages a list view gets: each is one
// refresh of a virtual list.
class RefreshCounter {
 public:
  explicit RefreshCounter(HWND list) : list_(list) {
    SetWindowSubclass(list_, Proc, 77, reinterpret_cast<DWORD_PTR>(this));
  }
  ~RefreshCounter() { RemoveWindowSubclass(list_, Proc, 77); }
  int count = 0;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    if (msg == LVM_SETITEMCOUNT) ++reinterpret_cast<RefreshCounter*>(self)->count;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  HWND list_;
};

// A run that reports more rows than the file list keeps, while the window is
// too busy to take them (only the worker's notices are answered): the rows
// wait, in order, and come in with one refresh of each list at the run's end.
TEST_F(ResultListsTest, ABurstOfRowsComesInWithOneRefreshInTheWorkersOrder) {
  Open();
  testutil::MakeFolder(dir / "burst");
  std::string text;
  auto missing = [](int i) {
    char name[16];
    std::snprintf(name, sizeof name, "m%04d.bin", i);
    return std::string(name);
  };
  for (int i = 0; i < 2100; ++i) text += missing(i) + " 00000000\r\n";
  testutil::WriteBytes(dir / "burst/good.bin", "good");
  testutil::WriteBytes(dir / "burst/bad.bin", "bad");
  text += "good.bin " + Hex(Crc32Of("good", 4)) + "\r\nbad.bin 12345678\r\n";
  testutil::WriteBytes(dir / "burst/burst.sfv", text);
  RefreshCounter fileRefreshes(files()), sfvRefreshes(sfvs());

  window->SubmitCheck(dir / "burst/burst.sfv", false, false);
  bool busySeen = false;
  const DWORD start = GetTickCount();
  while (!(busySeen && !window->BusyCursorShown()) && GetTickCount() - start < 30000) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    busySeen = busySeen || window->BusyCursorShown();
    Sleep(1);
  }
  ASSERT_TRUE(busySeen && !window->BusyCursorShown());  // the worker's last notice came
  EXPECT_EQ(ListView_GetItemCount(files()), 0);
  ASSERT_TRUE(WaitIdle());
  Pump(2 * static_cast<int>(kRowsRefreshMs));
  EXPECT_EQ(fileRefreshes.count, 1);
  EXPECT_EQ(sfvRefreshes.count, 1);
  EXPECT_FALSE(window->RowsTimerOn());

  // 2,103 rows (the separator last): the newest 2,001 stay.
  ASSERT_EQ(ListView_GetItemCount(files()), 2001);
  for (int row = 0; row < 1998; ++row) ASSERT_EQ(Shown(files(), row, 0), missing(102 + row)) << row;
  EXPECT_EQ(Shown(files(), 2000, 0), "");  // the separator
  EXPECT_EQ(Shown(files(), 1998, 0), "good.bin");
  EXPECT_EQ(Shown(files(), 1999, 0), "bad.bin");
  EXPECT_EQ(Shown(files(), 1999, 2), "- !BAD! -");
  const std::vector<std::pair<int, COLORREF>> colours{
      {0, RGB(192, 192, 192)}, {1998, RGB(0, 255, 0)}, {1999, RGB(255, 0, 0)}, {2000, RGB(0, 0, 0)}};
  for (const auto& [row, colour] : colours) EXPECT_EQ(DrawnTextColour(hwnd(), files(), row), colour) << row;
  ASSERT_EQ(ListView_GetItemCount(sfvs()), 1);
  EXPECT_EQ(Shown(sfvs(), 0, 1), "2102");
  EXPECT_EQ(Shown(sfvs(), 0, 4), "2100");
  EXPECT_EQ(DrawnTextColour(hwnd(), sfvs(), 0), RGB(255, 0, 0));
}

TEST_F(ResultListsTest, RowsAreDrawnInTheColoursOfTheirKind) {
  Open();
  File("ok.bin", FileRowKind::Ok);
  File("known.bin", FileRowKind::KnownGood);
  File("bad.bin", FileRowKind::Bad);
  File("missing.bin", FileRowKind::Missing);
  File("Aborted !!", FileRowKind::Notice);
  File("odd", static_cast<FileRowKind>(9));
  Sfv("D:\\five.sfv", 5, 5);
  Sfv("D:\\four.sfv", 5, 4);
  const std::vector<COLORREF> expected{RGB(0, 255, 0), RGB(0xEE, 0xFF, 0), RGB(255, 0, 0), RGB(192, 192, 192),
                                       RGB(255, 0, 0), RGB(0, 0, 0)};
  ShowRows();
  UpdateWindow(files());
  UpdateWindow(sfvs());
  for (int row = 0; row < 6; ++row) {
    EXPECT_EQ(window->ArchiveList().RowColour(row), expected[row]) << row;
    EXPECT_EQ(DrawnTextColour(hwnd(), files(), row), expected[row]) << row;
    if (row < 5) {
      EXPECT_GT(PixelsOfColour(files(), row, expected[row]), 10) << row;
    }
  }
  EXPECT_EQ(window->StatusList().RowColour(0), RGB(0, 255, 0));
  EXPECT_EQ(window->StatusList().RowColour(1), RGB(255, 0, 0));
  EXPECT_GT(PixelsOfColour(sfvs(), 0, RGB(0, 255, 0)), 10);
  EXPECT_EQ(PixelsOfColour(sfvs(), 0, RGB(255, 0, 0)), 0);
  EXPECT_GT(PixelsOfColour(sfvs(), 1, RGB(255, 0, 0)), 10);
}

TEST_F(ResultListsTest, HeaderClicksSortAscendingByTheClickedColumnsDataWhereverItStands) {
  Open();
  Sfv("b.sfv", 9, 9);
  Sfv("a.sfv", 10, 10);
  Sfv("C.sfv", 2, 1);
  ShowRows();
  ListView_SetItemState(sfvs(), 0, LVIS_SELECTED, LVIS_SELECTED);  // "b.sfv"
  ClickHeader(sfvs(), 2);  // "Good"
  EXPECT_EQ(window->StatusSortColumn, 2);
  EXPECT_EQ(ShownColumn(sfvs(), 2), (std::vector<std::string>{"1", "10", "9"}));
  EXPECT_EQ(window->StatusList().SelectedRow(), 2);  // the selection stays on its row
  ClickHeader(sfvs(), 2);  // no toggling
  EXPECT_EQ(ShownColumn(sfvs(), 2), (std::vector<std::string>{"1", "10", "9"}));
  ClickHeader(sfvs(), 0);
  EXPECT_EQ(ShownColumn(sfvs(), 0), (std::vector<std::string>{"C.sfv", "a.sfv", "b.sfv"}));
  // "Good" moved to the front still sorts by the good counts.
  window->StatusList().ApplyColumnOrder("31245");
  EXPECT_EQ(ShownCaptions(sfvs()).front(), "Good");
  ClickHeader(sfvs(), 2);
  EXPECT_EQ(ShownColumn(sfvs(), 0), (std::vector<std::string>{"1", "10", "9"}));
  EXPECT_EQ(ShownColumn(sfvs(), 1), (std::vector<std::string>{"C.sfv", "a.sfv", "b.sfv"}));
  // Later rows are appended, not sorted in; the model agrees with the screen.
  Sfv("0.sfv", 0, 0);
  ShowRows();
  EXPECT_EQ(Shown(sfvs(), 3, 0), "0.sfv");
  for (int row = 0; row < 4; ++row) EXPECT_EQ(window->StatusList().Text(row, 0), Shown(sfvs(), row, 0));
}

TEST_F(ResultListsTest, FileSizeColumnPlacedByTheOrderStringAndSortedByItsTexts) {
  WriteSettingBool(settingsPath, "System", "ShowColumnFSize", true);
  WriteSettingString(settingsPath, "System", "AColumnOrder", "1243");
  Open();
  EXPECT_EQ(ShownCaptions(files()), (std::vector<std::string>{"Name", "Path", "File Size", "Status"}));
  EXPECT_EQ(Format(files(), 3), LVCFMT_RIGHT);
  File("a", FileRowKind::Ok, "9");
  File("b", FileRowKind::Ok, "10");
  File("c", FileRowKind::Ok, "1,024");
  ClickHeader(files(), 3);  // "File Size", at display position 2
  EXPECT_EQ(window->ArchiveSortColumn, 3);
  EXPECT_EQ(ShownColumn(files(), 2), (std::vector<std::string>{"1,024", "10", "9"}));
  EXPECT_EQ(ShownColumn(files(), 0), (std::vector<std::string>{"c", "b", "a"}));
}

TEST_F(ResultListsTest, DraggingFileSizeFirstThenOffAndOnGivesExactlyOne) {
  WriteSettingBool(settingsPath, "System", "ShowColumnFSize", true);
  Open();
  File("a.bin", FileRowKind::Ok, "123");
  ShowRows();
  DragHeaderToFront(files(), 3);
  EXPECT_EQ(ShownCaptions(files()).front(), "File Size");
  EXPECT_EQ(window->settings().aColumnOrder, "4123");
  Command(CmdShowFileSize);  // off
  EXPECT_EQ(ShownCaptions(files()), (std::vector<std::string>{"Name", "Path", "Status"}));
  EXPECT_FALSE(window->settings().showColumnFSize);
  Command(CmdShowFileSize);  // on again
  EXPECT_EQ(ShownCaptions(files()), (std::vector<std::string>{"File Size", "Name", "Path", "Status"}));
  EXPECT_EQ(Shown(files(), 0, 3), "123");  // the rows keep their size texts
  EXPECT_EQ(ReadSettingString(settingsPath, "System", "AColumnOrder", ""), "4123");
  // Dragging in StatusList rewrites its own order string.
  DragHeaderToFront(sfvs(), 4);
  EXPECT_EQ(window->settings().sColumnOrder, "51234");
}

TEST_F(ResultListsTest, AutoWidthsFollowTheClientWidthAndManualWidthsComeFromTheSettings) {
  Open();
  SetClientWidth(600);
  EXPECT_EQ(ListView_GetColumnWidth(files(), 0), 160);
  EXPECT_EQ(ListView_GetColumnWidth(files(), 1), 340);
  EXPECT_EQ(ListView_GetColumnWidth(files(), 2), 80);
  EXPECT_EQ(ListView_GetColumnWidth(sfvs(), 0), 320);
  EXPECT_EQ(ListView_GetColumnWidth(sfvs(), 1), 75);
  Command(CmdShowFileSize);
  EXPECT_EQ(ListView_GetColumnWidth(files(), 1), 250);
  EXPECT_EQ(ListView_GetColumnWidth(files(), 3), 90);
  Command(CmdManualColumns);
  EXPECT_EQ(ReadSettingString(settingsPath, "System", "AutoColumnResize", ""), "0");
  EXPECT_EQ(ReadSettingInt(settingsPath, "WindowSizes", "TopColumn4", 0), 90);
  window->ArchiveList().SetColumnWidth(1, 111);
  SetClientWidth(700);  // Manual: widths stay
  EXPECT_EQ(ListView_GetColumnWidth(files(), 0), 111);
  window.reset();

  // Manual widths are applied at start; the File Size column gets 85.
  WriteSettingInt(settingsPath, "WindowSizes", "TopColumn1", 123);
  WriteSettingInt(settingsPath, "WindowSizes", "TopColumn2", -1);  // left alone
  WriteSettingInt(settingsPath, "WindowSizes", "LowColumn5", 44);
  Open();
  EXPECT_EQ(ListView_GetColumnWidth(files(), 0), 123);
  EXPECT_EQ(ListView_GetColumnWidth(files(), 1), 280);
  EXPECT_EQ(ListView_GetColumnWidth(files(), 3), 85);
  EXPECT_EQ(ListView_GetColumnWidth(sfvs(), 4), 44);
  EXPECT_EQ(window->StatusList().GetColumnWidth(5), 44);
  Command(CmdShowFileSize);
  EXPECT_EQ(window->ArchiveList().GetColumnWidth(kFileSizeTag), 80);  // none
}

TEST_F(ResultListsTest, NewRowsAreFollowedOnlyWhileTheListShowsItsEnd) {
  Open();
  for (int i = 0; i < 100; ++i) File("f" + std::to_string(i), FileRowKind::Ok);
  ShowRows();
  EXPECT_GT(ListView_GetTopIndex(files()), 50);  // followed to the end
  ListView_EnsureVisible(files(), 0, FALSE);
  ASSERT_EQ(ListView_GetTopIndex(files()), 0);
  File("later", FileRowKind::Ok);
  ShowRows();
  EXPECT_EQ(ListView_GetTopIndex(files()), 0);  // the reader is left alone
  ListView_EnsureVisible(files(), 100, FALSE);
  const int top = ListView_GetTopIndex(files());
  File("last", FileRowKind::Ok);
  ShowRows();
  EXPECT_GT(ListView_GetTopIndex(files()), top);
  const int perPage = ListView_GetCountPerPage(files());
  EXPECT_GE(ListView_GetTopIndex(files()) + perPage, 102);
}

TEST_F(ResultListsTest, SaveListOfAnEmptyListWritesTheHeaderAndTheDashLine) {
  Open();
  const std::string out = dir / "out.txt";
  {
    guitest::Helper helper = AnswerSaveDialog(out);
    Command(CmdSaveList);
  }
  const std::string header = "File name" + std::string(35 - 9 + 1 + 12 - 4, ' ') + "Size  Status   File path";
  EXPECT_EQ(testutil::ReadBytes(out), header + "\r\n" + std::string(125, '-') + "\r\n");
}

TEST_F(ResultListsTest, SaveListOfARealCheckWritesTheRowsInTheListsOrder) {
  Open();
  const std::string sfv = MixedSfv("set");
  // "known.bin" was found good before: a progress file says so.
  window->SubmitCheck(sfv, false, false);
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(ListView_GetItemCount(files()), 5);
  ClickHeader(files(), 0);  // by name: the blank row first
  const std::string out = dir / "saved/list.txt";
  testutil::MakeFolder(dir / "saved");
  {
    guitest::Helper helper = AnswerSaveDialog(out);
    Command(CmdSaveList);
  }
  const std::string folder = dir / "set/";
  auto spaces = [](int n) { return std::string(static_cast<std::size_t>(n), ' '); };
  const std::string expected =
      "File name" + spaces(26) + " " + spaces(8) + "Size" + "  " + "Status " + "  " + "File path\r\n" +
      std::string(125, '-') + "\r\n" + spaces(59) + "\r\n" +
      "bad.bin" + spaces(28) + " " + spaces(10) + "19" + "  " + "- !BAD! -" + "  " + folder + "\r\n" +
      "good.bin" + spaces(27) + " " + spaces(11) + "8" + "  " + "- OK - " + "  " + folder + "\r\n" +
      "known.bin" + spaces(26) + " " + spaces(11) + "9" + "  " + "- OK - " + "  " + folder + "\r\n" +
      "missing.bin" + spaces(24) + " " + spaces(12) + "  " + "MISSING" + "  " + folder + "\r\n";
  EXPECT_EQ(testutil::ReadBytes(out), expected);
}

TEST_F(ResultListsTest, SaveListFailureShowsTheErrorBox) {
  Open();
  File("a.bin", FileRowKind::Ok);
  const std::string out = dir / "locked.txt";
  testutil::WriteBytes(out, "old");
  HANDLE lock = CreateFileA(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  std::string boxText;
  {
    guitest::Helper helper([&] {
      HWND dialog = guitest::WaitForWindow(GetCurrentProcessId(), "#32770", nullptr, 20000);
      if (!dialog) return;
      SetDlgItemTextA(dialog, 0x47C, out.c_str());
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      HWND box = guitest::WaitForWindow(GetCurrentProcessId(), "#32770", "Error", 20000);
      if (!box) return;
      boxText = guitest::WindowText(GetDlgItem(box, 0xFFFF));
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    Command(CmdSaveList);
  }
  CloseHandle(lock);
  EXPECT_EQ(boxText.rfind("Failed to save file..", 0), 0u) << boxText;
  EXPECT_EQ(testutil::ReadBytes(out), "old");  // nothing half-written
  EXPECT_EQ(ListView_GetItemCount(files()), 1);
}

TEST_F(ResultListsTest, PopupCommandsActOnTheSelectedRowsSfvFile) {
  Open();
  const std::string sfv = MixedSfv("pop");
  const std::string folder = dir / "pop/";
  window->AddSfvRow(SfvRow::Notice(SfvRowKind::InUse, "x"));
  Sfv(sfv, 4, 2);
  ShowRows();
  Command(CmdOpenFolder);  // nothing selected
  EXPECT_TRUE(started.empty());
  ListView_SetItemState(sfvs(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Command(CmdEditSfv);  // an error row: no file
  EXPECT_TRUE(started.empty());
  ListView_SetItemState(sfvs(), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Command(CmdOpenFolder);
  // The shortcuts, pressed while StatusList has the focus.
  SetFocus(sfvs());
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(sfvs(), WM_KEYDOWN, 'X', 0);
  SendMessageA(sfvs(), WM_KEYDOWN, 'E', 0);
  SendMessageA(sfvs(), WM_KEYDOWN, 'R', 0);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(started, (std::vector<std::string>{"explorer.exe \"" + folder + "\"",
                                               "explorer.exe /e,\"" + folder + "\"", "notepad.exe \"" + sfv + "\""}));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Shown(sfvs(), 2, 0), sfv);  // ReCheck file ran the check again
}

TEST_F(ResultListsTest, RightClickShowsThePopupMenu) {
  Open();
  const std::string sfv = MixedSfv("menu");
  Sfv(sfv, 4, 2);
  ShowRows();
  ListView_SetItemState(sfvs(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  std::vector<std::string> items;
  {
    guitest::Helper helper([&] {
      HWND menu = guitest::WaitForWindow(GetCurrentProcessId(), "#32768", nullptr, 10000);
      if (!menu) return;
      HMENU handle = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
      for (int i = 0; i < GetMenuItemCount(handle); ++i) {
        char text[64] = {};
        GetMenuStringA(handle, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        items.push_back(text);
      }
      // Down to the third item, "Edit sfv file", and choose it.
      for (int i = 0; i < 3; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    });
    SendMessageA(sfvs(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(sfvs()), -1);
  }
  EXPECT_EQ(items, (std::vector<std::string>{"Open folder\tCtrl+O", "Explore folder\tCtrl+X",
                                             "Edit sfv file\tCtrl+E", "ReCheck file\tCtrl+R"}));
  EXPECT_EQ(started, (std::vector<std::string>{"notepad.exe \"" + sfv + "\""}));
}

// A finished check with OK, bad, missing and known-good rows. With
// QUOR_SHOT_SECONDS set, the window stays on screen that long for a
// screenshot.
TEST_F(ResultListsTest, AFinishedCheckOnScreen) {
  WriteSettingBool(settingsPath, "System", "ShowColumnFSize", true);
  Open();
  const std::string sfv = MixedSfv("shot");
  window->SubmitCheck(sfv, false, false);
  ASSERT_TRUE(WaitIdle());
  // Again: the good files are known good now.
  window->SubmitCheck(sfv, false, false);
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(ListView_GetItemCount(files()), 10);
  std::vector<std::string> statuses = ShownColumn(files(), 3);
  EXPECT_EQ(statuses[0], "- OK -");
  EXPECT_EQ(window->ArchiveList().RowColour(5), RGB(0xEE, 0xFF, 0));  // known good
  EXPECT_EQ(window->StatusList().RowColour(0), RGB(255, 0, 0));
  if (const char* seconds = std::getenv("QUOR_SHOT_SECONDS")) Pump(std::atoi(seconds) * 1000);
}

}  // namespace
