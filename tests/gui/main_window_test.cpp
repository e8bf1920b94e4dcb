// The main window TZOZUvavada with the real check worker, driven by the
// messages a user's actions send (menu commands, key presses, timer ticks,
// the worker's notices) and read back as a user sees it.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "GuiTestUtil.h"
#include "TestUtil.h"
#include "core/Quor_CRC32.h"
#include "gui/TaskbarWindow.h"
#include "gui/Window.h"
#include "MainWindowTestUtil.h"
#include "mainwindow/Quor_Checker.h"
#include "settings/Quor_Config.h"

namespace {

using windowtest::Hex;
using windowtest::PumpUntil;

const char kBase[] = "Quor under test";

// A file of size bytes that reads as zeros without taking disk space.
void MakeZeroFile(const std::string& path, LONGLONG size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER at;
  at.QuadPart = size;
  SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
}

// Number of this process's threads at a priority.
int ThreadsAtPriority(int priority) {
  int count = 0;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Thread32First(snap, &entry); ok; ok = Thread32Next(snap, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
    if (!thread) continue;
    if (GetThreadPriority(thread) == priority) ++count;
    CloseHandle(thread);
  }
  CloseHandle(snap);
  return count;
}

std::string MenuText(HWND window, int command) {
  char text[128] = {};
  GetMenuStringA(GetMenu(window), command, text, sizeof text, MF_BYCOMMAND);
  return text;
}

bool MenuChecked(HWND window, int command) {
  return (GetMenuState(GetMenu(window), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settingsPath = dir / "ZERAravo.dat";
    window = std::make_unique<TZOZUvavada>(settingsPath, dir.path(), kBase);
    window->QuitOnDestroy = false;
    ASSERT_TRUE(window->CreateForm());
    ShowWindow(hwnd(), SW_SHOW);
  }

  HWND hwnd() const { return window->hwnd(); }
  void Command(int id) { SendMessageA(hwnd(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
  void Tick() { SendMessageA(hwnd(), WM_TIMER, ProgressTimer, 0); }
  void Notice(std::uint32_t code, std::uint32_t value = 0) { SendMessageA(hwnd(), WM_CHECKNOTIFY, code, value); }
  std::string Caption() const { return guitest::WindowText(hwnd()); }
  int BarPosition() const { return static_cast<int>(SendMessageA(window->SFVProgressBar(), PBM_GETPOS, 0, 0)); }
  bool WaitIdle(int timeoutMs = 30000) { return PumpUntil([&] { return !window->WorkerRunning(); }, timeoutMs); }

  // An SFV file in folder sub listing small files: good ones "name" with
  // their content, and one absent.
  std::string SmallSfv(const std::string& sub, const std::string& name) {
    testutil::MakeFolder(dir / sub);
    testutil::WriteBytes(dir / (sub + "/" + name + ".bin"), name);
    const std::string text = name + ".bin " + Hex(Crc32Of(name.data(), name.size())) + "\r\nabsent.bin 00000000\r\n";
    testutil::WriteBytes(dir / (sub + "/" + name + ".sfv"), text);
    return dir / (sub + "/" + name + ".sfv");
  }
  // An SFV file listing one large file of zeros (its CRC does not match).
  std::string LargeSfv(const std::string& sub, const std::string& name, LONGLONG size = 1LL << 30) {
    testutil::MakeFolder(dir / sub);
    MakeZeroFile(dir / (sub + "/" + name + ".bin"), size);
    testutil::WriteBytes(dir / (sub + "/" + name + ".sfv"), name + ".bin 12345678\r\n");
    return dir / (sub + "/" + name + ".sfv");
  }
  // Starts a check of the SFV file and holds the worker before it hashes.
  void StartPaused(const std::string& sfv) {
    window->SubmitCheck(sfv, false, false);
    Command(CmdPause);
    ASSERT_TRUE(window->queue().Paused());
  }

  testutil::TempDir dir;
  std::string settingsPath;
  std::unique_ptr<TZOZUvavada> window;
};

TEST_F(MainWindowTest, LayoutClassLimitsListsBarAndMenu) {
  // Other test processes may show windows of the class at the same time.
  EXPECT_EQ(guitest::WaitForWindow(GetCurrentProcessId(), "TZOZUvavada", kBase), hwnd());
  char className[64] = {};
  GetClassNameA(hwnd(), className, sizeof className);
  EXPECT_STREQ(className, "TZOZUvavada");
  RECT rect;
  GetWindowRect(hwnd(), &rect);
  EXPECT_EQ(rect.right - rect.left, 520);
  EXPECT_EQ(rect.bottom - rect.top, 376);
  MINMAXINFO info{};
  SendMessageA(hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 520);
  EXPECT_EQ(info.ptMinTrackSize.y, 375);
  EXPECT_EQ(info.ptMaxTrackSize.x, 1600);
  EXPECT_EQ(info.ptMaxTrackSize.y, 1200);
  EXPECT_EQ(GetWindowLongA(hwnd(), GWL_STYLE) & WS_MAXIMIZEBOX, 0);

  // ArchiveList on top, half the window plus 30 high; the bar 11 high at the bottom.
  RECT list, bar, client;
  GetWindowRect(window->ArchiveList().hwnd(), &list);
  GetWindowRect(window->SFVProgressBar(), &bar);
  GetClientRect(hwnd(), &client);
  EXPECT_EQ(list.bottom - list.top, 376 / 2 + 30);
  EXPECT_EQ(bar.bottom - bar.top, 11);
  POINT barBottom{0, bar.bottom};
  ScreenToClient(hwnd(), &barBottom);
  EXPECT_EQ(barBottom.y, client.bottom);
  PBRANGE range{};
  SendMessageA(window->SFVProgressBar(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 100);
  EXPECT_EQ(ListView_GetBkColor(window->StatusList().hwnd()), RGB(0, 0, 0));

  EXPECT_EQ(MenuText(hwnd(), CmdCheckSfv), "Check SFV\tCtrl+T");
  EXPECT_EQ(MenuText(hwnd(), CmdReCheckLast), "ReCheck Last\tF5");
  EXPECT_EQ(MenuText(hwnd(), CmdPause), "Pause\tCtrl+P");
  EXPECT_EQ(MenuText(hwnd(), CmdHalt), "!HALT!\tCtrl+H");
  EXPECT_EQ(MenuText(hwnd(), CmdExit), "Exit\tCtrl+Q");
  EXPECT_TRUE(MenuChecked(hwnd(), CmdCheckSubFolders));
  EXPECT_TRUE(MenuChecked(hwnd(), CmdPriorityBelowNormal));
  EXPECT_FALSE(MenuChecked(hwnd(), CmdShowEtaSpeed));
}

TEST_F(MainWindowTest, AFolderOfThreeSfvFilesRunsInScanOrderThenReCheckLastTakesTheLastAlone) {
  const std::string a = SmallSfv("run", "a"), b = SmallSfv("run", "b"), c = SmallSfv("run/sub", "c");
  window->SubmitCheck(dir / "run", true, false);
  EXPECT_EQ(window->queue().QueuedSfvCount(), 3);
  ASSERT_TRUE(WaitIdle());

  ResultList& sfvs = window->StatusList();
  ASSERT_EQ(sfvs.RowCount(), 3);
  // The folder's own SFV files first (in the order the folder lists them), then the sub-folder's.
  EXPECT_EQ(sfvs.Text(2, 0), c);
  EXPECT_TRUE((sfvs.Text(0, 0) == a && sfvs.Text(1, 0) == b) || (sfvs.Text(0, 0) == b && sfvs.Text(1, 0) == a));
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(sfvs.Text(row, 1), "2");
    EXPECT_EQ(sfvs.Text(row, 2), "1");
    EXPECT_EQ(sfvs.Text(row, 4), "1");
    EXPECT_EQ(sfvs.RowColour(row), RGB(255, 0, 0));  // 2 listed, 1 good
  }
  ResultList& files = window->ArchiveList();
  ASSERT_EQ(files.RowCount(), 9);  // two files and a separator per SFV file
  EXPECT_EQ(files.Text(6, 0), "c.bin");
  EXPECT_EQ(files.Text(6, 1), dir / "run/sub/");
  EXPECT_EQ(files.Text(6, 2), "- OK -");
  EXPECT_EQ(files.RowColour(6), RGB(0, 255, 0));
  EXPECT_EQ(files.Text(7, 2), "MISSING");
  EXPECT_EQ(files.Text(8, 0), "");
  // After the last SFV file: the plain caption, the plain title, idle counters.
  EXPECT_EQ(Caption(), kBase);
  EXPECT_EQ(window->ApplicationTitle(), "Quor");
  EXPECT_EQ(BarPosition(), 100);
  EXPECT_FALSE(window->BusyCursorShown());
  EXPECT_FALSE(window->ProgressTimerOn());
  EXPECT_EQ(window->queue().QueuedSfvCount(), 0);

  Command(CmdReCheckLast);
  EXPECT_EQ(window->queue().QueuedSfvCount(), 1);
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(sfvs.RowCount(), 4);
  EXPECT_EQ(sfvs.Text(3, 0), c);
}

TEST_F(MainWindowTest, CheckSubFoldersOffLooksOnlyAtTheFolderAndIsSaved) {
  SmallSfv("top", "a");
  SmallSfv("top/sub", "b");
  Command(CmdCheckSubFolders);
  EXPECT_FALSE(MenuChecked(hwnd(), CmdCheckSubFolders));
  EXPECT_FALSE(LoadSettings(settingsPath).testSubFolders);
  window->SubmitCheck(dir / "top", true, false);
  EXPECT_EQ(window->queue().QueuedSfvCount(), 1);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(window->StatusList().RowCount(), 1);
}

TEST_F(MainWindowTest, RequestsWhileRunningWaitAndAbortWhilePausedStartsThemAfterwards) {
  const std::string big = LargeSfv("big", "big", 64LL << 20);
  StartPaused(big);
  EXPECT_EQ(MenuText(hwnd(), CmdPause), "Resume\tCtrl+P");
  const std::string one = SmallSfv("w", "one"), two = SmallSfv("w", "two");
  window->SubmitCheck(one, false, false);
  window->SubmitCheck(two, false, true);
  EXPECT_EQ(window->queue().PendingQueue(), (std::vector<std::string>{"ALL$" + one, "SPE$" + two}));
  EXPECT_EQ(window->queue().QueuedSfvCount(), 3);  // counted at once
  Command(CmdReCheckLast);                         // does nothing while a check runs
  EXPECT_EQ(window->queue().QueuedSfvCount(), 3);

  // The specific entry shows the pick list; a helper presses its OK.
  guitest::Helper helper([] {
    HWND pick = guitest::WaitForWindow(GetCurrentProcessId(), "TChkLBoxForm", nullptr, 30000);
    if (pick) guitest::ClickButton(pick, "OK");
  });
  Command(CmdAbortTest);  // wakes the held worker, which stops after its file
  EXPECT_FALSE(window->queue().Paused());
  EXPECT_EQ(MenuText(hwnd(), CmdPause), "Pause\tCtrl+P");
  ASSERT_TRUE(PumpUntil([&] { return window->StatusList().RowCount() == 3 && !window->WorkerRunning(); }, 30000));
  // Held before its first file, the worker stops before it: a separator
  // and the summary of nothing checked.
  EXPECT_EQ(window->ArchiveList().Text(0, 0), "");
  EXPECT_EQ(window->StatusList().Text(0, 0), big);
  EXPECT_EQ(window->StatusList().Text(0, 2), "0");
  EXPECT_EQ(window->StatusList().Text(1, 0), one);
  EXPECT_EQ(window->StatusList().Text(2, 0), two);
  EXPECT_TRUE(window->queue().PendingQueue().empty());
}

TEST_F(MainWindowTest, EscOnceAbortsEscTwiceHaltsTheFileBeingHashed) {
  window->SubmitCheck(LargeSfv("big", "big"), false, false);
  ASSERT_TRUE(PumpUntil([&] { return window->progress().SfvBytesDone > 0; }));  // hashing now
  Command(CmdPause);
  HWND list = window->ArchiveList().hwnd();
  PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsSet(&window->queue().AbortFlag); }));
  EXPECT_FALSE(IsSet(&window->queue().HaltFlag));
  EXPECT_FALSE(window->queue().Paused());  // woken to see the flag
  PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsSet(&window->queue().HaltFlag); }));
  ASSERT_TRUE(WaitIdle(10000));  // far sooner than a gigabyte takes
  EXPECT_EQ(window->ArchiveList().Text(0, 0), "big.bin");
  EXPECT_EQ(window->ArchiveList().Text(0, 1), "was not finished (halted).");  // cut short: neither good nor bad
  EXPECT_EQ(window->ArchiveList().Text(0, 2), "");
  EXPECT_EQ(window->ArchiveList().Text(1, 0), "User Abort..");
  EXPECT_EQ(window->ArchiveList().Text(1, 1), "Queue Cleared..");
  EXPECT_EQ(Caption(), kBase);  // an abort restores the caption
}

TEST_F(MainWindowTest, SpaceTogglesThePauseOnlyWhileACheckRuns) {
  HWND list = window->ArchiveList().hwnd();
  PostMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
  PumpUntil([] { return false; }, 100);
  EXPECT_FALSE(window->queue().Paused());
  EXPECT_EQ(MenuText(hwnd(), CmdPause), "Pause\tCtrl+P");

  window->SubmitCheck(LargeSfv("big", "big"), false, false);
  PostMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
  ASSERT_TRUE(PumpUntil([&] { return window->queue().Paused(); }));
  EXPECT_EQ(MenuText(hwnd(), CmdPause), "Resume\tCtrl+P");
  // Held: no bytes move while paused.
  PumpUntil([] { return false; }, 200);
  const std::int64_t done = window->progress().SfvBytesDone;
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(window->progress().SfvBytesDone, done);
  Command(CmdHalt);
  ASSERT_TRUE(WaitIdle(10000));
}

TEST_F(MainWindowTest, PriorityIdleDuringACheckChangesTheRunningWorkerAndIsSaved) {
  const int idleBefore = ThreadsAtPriority(THREAD_PRIORITY_IDLE);
  StartPaused(LargeSfv("big", "big"));
  Command(CmdPriorityIdle);
  EXPECT_EQ(ThreadsAtPriority(THREAD_PRIORITY_IDLE), idleBefore + 1);
  EXPECT_TRUE(MenuChecked(hwnd(), CmdPriorityIdle));
  EXPECT_FALSE(MenuChecked(hwnd(), CmdPriorityBelowNormal));
  EXPECT_EQ(ReadSettingInt(settingsPath, "System", "ThreadPriority", -1), 0);
  Command(CmdHalt);
  ASSERT_TRUE(WaitIdle(10000));
}

TEST_F(MainWindowTest, CaptionCountsTheSecondOfThreeAndShowsPausedAndSpeed) {
  SmallSfv("run", "a");
  LargeSfv("run/sub", "b");
  window->SubmitCheck(dir / "run", true, false);
  SmallSfv("later", "c");
  window->SubmitCheck(dir / "later", true, false);
  ASSERT_EQ(window->queue().QueuedSfvCount(), 3);
  // Hold the worker as soon as it hashes the second SFV file's file.
  ASSERT_TRUE(PumpUntil([&] {
    const ProgressCounters& p = window->progress();
    return window->queue().StartedSfvCount() == 2 && p.SfvTotalBytes == 1LL << 30 && p.SfvBytesDone > 0;
  }));
  Command(CmdPause);
  EXPECT_TRUE(window->ProgressTimerOn());
  Tick();
  const int percent = BarPosition();
  const std::string paused = std::string(kBase) + " - Checking 2 of 3 - " + std::to_string(percent) + "% !PAUSED!";
  EXPECT_EQ(Caption(), paused);
  EXPECT_EQ(window->ApplicationTitle(), "Quor - " + std::to_string(percent) + "%");
  EXPECT_TRUE(window->BusyCursorShown());

  Command(CmdShowEtaSpeed);
  EXPECT_TRUE(MenuChecked(hwnd(), CmdShowEtaSpeed));
  Tick();
  EXPECT_EQ(Caption().substr(Caption().size() - 8), "!PAUSED!");  // paused wins over the speed
  Command(CmdPause);
  PumpUntil([] { return false; }, 300);
  Tick();
  EXPECT_NE(Caption().find(" Mb/s"), std::string::npos) << Caption();
  Command(CmdHalt);
  ASSERT_TRUE(WaitIdle(10000));
  EXPECT_EQ(Caption(), kBase);
}

TEST_F(MainWindowTest, NoticesDriveBarCaptionTitleAndCursor) {
  Notice(CN_SFV_BEGIN);
  Notice(CN_TOTAL_HI, 1);
  Notice(CN_TOTAL_LO, 2147483648u);
  EXPECT_EQ(window->progress().SfvTotalBytes, 6442450944);
  Notice(CN_TIMER_ON);
  EXPECT_TRUE(window->ProgressTimerOn());
  Notice(CN_BUSY);
  EXPECT_TRUE(window->BusyCursorShown());
  EXPECT_TRUE(SendMessageA(hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window->ArchiveList().hwnd()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));

  Tick();  // nothing done yet: nothing changes
  EXPECT_EQ(Caption(), kBase);
  Notice(CN_BYTES_DONE, 0xC0000000u);  // 3 GiB of 6
  Tick();
  EXPECT_EQ(BarPosition(), 50);
  EXPECT_EQ(Caption(), std::string(kBase) + " - Checking 0 of 0 - 50% ");
  EXPECT_EQ(window->ApplicationTitle(), "Quor - 50%");

  Notice(CN_SFV_DONE);
  Notice(CN_IDLE);
  EXPECT_FALSE(window->ProgressTimerOn());
  EXPECT_FALSE(window->BusyCursorShown());
  EXPECT_EQ(BarPosition(), 100);
  EXPECT_EQ(Caption(), kBase);
  EXPECT_EQ(window->ApplicationTitle(), "Quor");
}

// As the program runs: the main window owned by its taskbar button.
class MainWindowWithTaskbarTest : public MainWindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(taskbar.Make("Quor"));
    settingsPath = dir / "ZERAravo.dat";
    window = std::make_unique<TZOZUvavada>(settingsPath, dir.path(), kBase);
    window->QuitOnDestroy = false;
    window->Taskbar = &taskbar;
    ASSERT_TRUE(window->CreateForm());
  }
  gui::TaskbarWindow taskbar;
};

TEST_F(MainWindowWithTaskbarTest, TheTaskbarButtonShowsTheApplicationTitle) {
  EXPECT_EQ(GetWindow(hwnd(), GW_OWNER), taskbar.hwnd());
  EXPECT_EQ(guitest::WindowText(taskbar.hwnd()), "Quor");
  Notice(CN_SFV_BEGIN);
  Notice(CN_TOTAL_LO, 200);
  Notice(CN_TIMER_ON);
  Notice(CN_BYTES_DONE, 50);
  Tick();
  EXPECT_EQ(guitest::WindowText(taskbar.hwnd()), "Quor - 25%");
  EXPECT_EQ(Caption(), std::string(kBase) + " - Checking 0 of 0 - 25% ");
  Notice(CN_SFV_DONE);
  EXPECT_EQ(guitest::WindowText(taskbar.hwnd()), "Quor");
}

TEST_F(MainWindowTest, ChoosingAFileWhileACheckRunsQueuesItAndRemembersItsFolder) {
  StartPaused(LargeSfv("big", "big"));
  const std::string chosen = SmallSfv("pick", "chosen");
  guitest::Helper helper([&] {
    HWND dialog = guitest::WaitForWindow(GetCurrentProcessId(), "#32770", nullptr, 20000);
    if (!dialog) return;
    SetDlgItemTextA(dialog, 0x47C, chosen.c_str());  // the file name box
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  Command(CmdCheckSfv);  // the open dialog runs its own loop until the helper confirms
  EXPECT_EQ(window->queue().PendingQueue(), std::vector<std::string>{"ALL$" + chosen});
  EXPECT_EQ(window->queue().QueuedSfvCount(), 2);
  EXPECT_EQ(window->settings().lastSfvPath, dir / "pick/");
  EXPECT_EQ(LoadSettings(settingsPath).lastSfvPath, dir / "pick/");
  Command(CmdHalt);
  ASSERT_TRUE(WaitIdle(20000));
}

TEST_F(MainWindowTest, TheEndOfARunRestsCaptionBarAndTitleWhenItsLastSfvCannotBeRead) {
  StartPaused(SmallSfv("run", "a"));
  window->SubmitCheck(dir / "gone.sfv", false, false);  // queued behind, and not there
  Notice(CN_TOTAL_LO, 100);
  Notice(CN_BYTES_DONE, 99);
  Tick();
  ASSERT_NE(Caption(), kBase);
  Command(CmdPause);  // resume
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Caption(), kBase);
  EXPECT_EQ(window->ApplicationTitle(), "Quor");
  EXPECT_EQ(BarPosition(), 100);
  EXPECT_FALSE(window->ProgressTimerOn());
}

TEST_F(MainWindowTest, ExitAndClosingSaveTheSettingsAndCloseAlsoDuringACheck) {
  StartPaused(LargeSfv("big", "big"));
  Command(CmdExit);
  EXPECT_TRUE(IsSet(&window->queue().HaltFlag));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(hwnd()); }));
  EXPECT_TRUE(IsSet(&window->queue().AbortFlag));
  EXPECT_EQ(ReadSettingInt(settingsPath, "WindowSizes", "WinSizeX", -1), 520);
  window.reset();  // returns: the stopped worker is not waited on for long
}

}  // namespace
