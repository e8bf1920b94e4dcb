// The main window's start-up steps and the requests it takes from outside,
// in-process: the rest of its creation (associations, dropped files, old
// progress files), the first activation with the check of the command line,
// WM_COPYDATA records and WM_DROPFILES drops as Explorer and a later copy
// send them.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "GuiTestUtil.h"
#include "TestUtil.h"
#include "core/Quor_CRC32.h"
#include "core/Quor_ChecksumList.h"
#include "platform/digest.h"
#include "gui/Window.h"
#include "MainWindowTestUtil.h"
#include "mainwindow/Quor_Checker.h"
#include "platform/fs.h"
#include "settings/Quor_Config.h"

namespace {

using windowtest::Hex;
using windowtest::PumpUntil;

const char kBase[] = "Quor start-up under test";
const char kProgram[] = "C:\\Quor Tools\\Quor.exe";
constexpr std::uint64_t kDay = 24ULL * 60 * 60 * 10000000;  // FILETIME ticks

// A drop handle as Explorer makes it: a DROPFILES block with the ANSI
// paths, each zero-terminated, and one more zero at the end.
HDROP MakeDrop(const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& p : paths) list += p + '\0';
  list += '\0';
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

class StartupWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { settingsPath = dir / "ZERAravo.dat"; }
  // Closing the window stops a worker that is still running (also a paused one).
  void TearDown() override { window.reset(); }

  // Creates the window as the program does: creation, the rest of its
  // steps (with the associations recorded, or failing with assocError),
  // shown, first activation pending.
  void Open(std::vector<std::string> args = {}, std::string assocError = "") {
    window = std::make_unique<TZOZUvavada>(settingsPath, dir.path(), kBase);
    window->QuitOnDestroy = false;
    window->CommandLineArgs = std::move(args);
    window->ApplyAssociations = [this, assocError](const std::string& program, const ShellAssociations& flags) {
      ++assocCalls;
      assocProgram = program;
      assocFlags = flags;
      return assocError;
    };
    ASSERT_TRUE(window->CreateForm());
    window->FinishFormCreate(kProgram);
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
    window->StartWhenShown();
  }
  HWND hwnd() const { return window->hwnd(); }
  bool WaitIdle(int timeoutMs = 30000) { return PumpUntil([&] { return !window->WorkerRunning(); }, timeoutMs); }
  std::vector<std::string> SfvRows() { return guitest::ListViewTexts(window->StatusList().hwnd()); }

  void CopyData(std::uint32_t code, const void* data, DWORD size, bool takeAtOnce = true) {
    COPYDATASTRUCT record{code, size, const_cast<void*>(data)};
    EXPECT_EQ(SendMessageA(hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record)), 0);
    if (takeAtOnce) TakePostedHandOvers();
  }
  // Lets the window submit the hand-over records it took.
  void TakePostedHandOvers() {
    MSG msg;
    while (PeekMessageW(&msg, hwnd(), WM_QUOR_HANDOVER, WM_QUOR_HANDOVER, PM_REMOVE)) DispatchMessageW(&msg);
  }
  void CopyPath(std::uint32_t code, const std::string& path) {
    CopyData(code, path.c_str(), static_cast<DWORD>(path.size() + 1));
  }

  // An SFV file listing one good file and one that is not there.
  std::string SmallSfv(const std::string& sub, const std::string& name) {
    testutil::MakeFolder(dir / sub);
    testutil::WriteBytes(dir / (sub + "/" + name + ".bin"), name);
    testutil::WriteBytes(dir / (sub + "/" + name + ".sfv"),
                         name + ".bin " + Hex(Crc32Of(name.data(), name.size())) + "\r\nabsent.bin 00000000\r\n");
    return dir / (sub + "/" + name + ".sfv");
  }
  // Starts a check that takes long (a large file of zeros) and holds it, so
  // that every further request waits in PendingQueue.
  void StartHeldRun() {
    testutil::MakeFolder(dir / "large");
    const std::string big = dir / "large/big.bin";
    HANDLE file = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 1LL << 30;
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    testutil::WriteBytes(dir / "large/big.sfv", "big.bin 12345678\r\n");
    window->SubmitCheck(dir / "large/big.sfv", false, false);
    SendMessageA(hwnd(), WM_COMMAND, CmdPause, 0);
    ASSERT_TRUE(window->queue().Paused());
  }
  void MakeProgressFile(const std::string& name, int ageDays) {
    testutil::MakeFolder(dir / "Progress");
    testutil::WriteBytes(dir / ("Progress/" + name), "a.bin\r\n");
    ASSERT_TRUE(platform::SetLastWriteTime(dir / ("Progress/" + name),
                                           platform::NowFileTime() - static_cast<std::uint64_t>(ageDays) * kDay));
  }
  bool AcceptsDrops() const { return (GetWindowLongA(hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

  testutil::TempDir dir;
  std::string settingsPath;
  std::unique_ptr<TZOZUvavada> window;
  int assocCalls = 0;
  std::string assocProgram;
  ShellAssociations assocFlags;
};

TEST_F(StartupWindowTest, CreationWritesTheAssociationsAcceptsDropsAndClearsOldProgressFiles) {
  MakeProgressFile("old.sfv", 8);
  MakeProgressFile("young.sfv", 6);
  MakeProgressFile("old.txt", 30);  // not a progress file
  MakeProgressFile("young.sfv.quor~0", 1);  // left by a crash
  MakeProgressFile("young.sfv.quor~1", 0);  // being written
  WriteSettingBool(settingsPath, "System", "RClickOnFileCheckSpe", true);
  WriteSettingBool(settingsPath, "System", "RClickOnFoldersCreate", false);
  Open();
  EXPECT_EQ(assocCalls, 1);
  EXPECT_EQ(assocProgram, kProgram);
  ShellAssociations expected;
  expected.RClickOnFileCheckSpe = true;
  expected.RClickOnFoldersCreate = false;
  EXPECT_EQ(assocFlags, expected);
  EXPECT_TRUE(AcceptsDrops());
  EXPECT_FALSE(platform::FileExists(dir / "Progress/old.sfv"));
  EXPECT_TRUE(platform::FileExists(dir / "Progress/young.sfv"));
  EXPECT_TRUE(platform::FileExists(dir / "Progress/old.txt"));
  EXPECT_FALSE(platform::FileExists(dir / "Progress/young.sfv.quor~0"));
  EXPECT_TRUE(platform::FileExists(dir / "Progress/young.sfv.quor~1"));
  EXPECT_EQ(guitest::WindowText(hwnd()), kBase);
  EXPECT_EQ(window->ApplicationTitle(), "Quor");
}

// A place saved on a monitor that is no longer there: the window comes back
// on the screen, with its saved size.
TEST_F(StartupWindowTest, AWindowSavedOffTheScreenIsRestoredOnIt) {
  WriteSettingInt(settingsPath, "WindowSizes", "WinPosX", 5000);   // the top edge
  WriteSettingInt(settingsPath, "WindowSizes", "WinPosY", -5000);  // the left edge
  WriteSettingInt(settingsPath, "WindowSizes", "WinSizeX", 600);
  WriteSettingInt(settingsPath, "WindowSizes", "WinSizeY", 400);
  Open();
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  RECT outer{};
  ASSERT_TRUE(GetWindowRect(hwnd(), &outer));
  EXPECT_EQ(outer.right - outer.left, 600);
  EXPECT_EQ(outer.bottom - outer.top, 400);
  EXPECT_EQ(outer.left, work.left);
  EXPECT_EQ(outer.bottom, work.bottom);
}

TEST_F(StartupWindowTest, AnAssociationErrorIsShownAndTheWindowOpensAllTheSame) {
  MakeProgressFile("old.sfv", 8);
  std::string shown;
  guitest::Helper answer([&] {
    HWND box = guitest::WaitForWindow(GetCurrentProcessId(), "#32770", "Error");
    if (!box) return;
    for (const std::string& text : guitest::ChildTexts(box, "Static")) shown += text;
    guitest::ClickButton(box, "OK");
  });
  Open({}, "Failed to set data for ''");
  EXPECT_EQ(shown, "Failed to set data for ''");
  EXPECT_TRUE(IsWindowVisible(hwnd()));
  // The steps after the failing one are left out.
  EXPECT_FALSE(AcceptsDrops());
  EXPECT_TRUE(platform::FileExists(dir / "Progress/old.sfv"));
  // The window works: a hand-over is checked.
  const std::string sfv = SmallSfv("a", "a");
  PumpUntil([&] { return window->FirstActivationDone(); });
  CopyPath(64, sfv);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(SfvRows(), std::vector<std::string>{sfv});
}

TEST_F(StartupWindowTest, FirstActivationAppliesTheColumnsAndChecksTheCommandLine) {
  WriteSettingBool(settingsPath, "System", "ShowColumnFSize", true);
  WriteSettingString(settingsPath, "System", "AColumnOrder", "4123");
  const std::string sfv = SmallSfv("r", "r");
  Open({"-TestFile", sfv});
  ASSERT_TRUE(PumpUntil([&] { return window->FirstActivationDone(); }));
  EXPECT_TRUE(window->ArchiveList().HasColumn(4));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(SfvRows(), std::vector<std::string>{sfv});
  EXPECT_EQ(window->ArchiveList().RowCount(), 3);  // the separator, a.bin, absent.bin
  // Later activations do nothing more.
  SendMessageA(hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
  PumpUntil([] { return false; }, 300);
  EXPECT_FALSE(window->WorkerRunning());
  EXPECT_EQ(SfvRows().size(), 1u);
}

TEST_F(StartupWindowTest, FirstActivationChecksAFolderAndIgnoresOtherCommandLines) {
  testutil::MakeFolder(dir / "tree");
  const std::string sfv = SmallSfv("tree/sub", "s");
  const std::vector<std::vector<std::string>> nothing = {
      {"-testfile", sfv}, {"-TestFile", sfv, "x"}, {"-TestFile"}, {"-CreateSFVFile", dir / "tree"}, {}};
  for (const std::vector<std::string>& args : nothing) {
    Open(args);
    ASSERT_TRUE(PumpUntil([&] { return window->FirstActivationDone(); }));
    EXPECT_FALSE(window->WorkerRunning()) << args.size();
    EXPECT_TRUE(SfvRows().empty()) << args.size();
    window.reset();
  }
  Open({"-TestFolder", dir / "tree"});
  ASSERT_TRUE(PumpUntil([&] { return window->FirstActivationDone(); }));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(SfvRows(), std::vector<std::string>{sfv});
}

TEST_F(StartupWindowTest, CopyDataCodes64To71AreQueuedAndOthersIgnored) {
  Open();
  const std::string file = SmallSfv("one", "one");
  const std::string inFolder = SmallSfv("folder", "f");
  StartHeldRun();
  CopyPath(63, file);
  CopyPath(72, file);
  CopyPath(0, file);
  EXPECT_TRUE(window->queue().PendingQueue().empty());
  CopyPath(64, file);
  CopyPath(65, file);
  CopyPath(66, dir / "folder");
  CopyPath(67, dir / "folder");
  EXPECT_EQ(window->queue().PendingQueue(),
            (std::vector<std::string>{"ALL$" + file, "SPE$" + file, "ALL$" + inFolder, "SPE$" + inFolder}));
}

TEST_F(StartupWindowTest, AHandOverIsAnsweredBeforeItsRequestIsScanned) {
  Open();
  const std::string inFolder = SmallSfv("folder", "f");
  StartHeldRun();
  const std::string folder = dir / "folder";
  CopyData(HO_TEST_FOLDER, folder.c_str(), static_cast<DWORD>(folder.size() + 1), false);
  EXPECT_TRUE(window->queue().PendingQueue().empty());  // the sender was let go first
  TakePostedHandOvers();
  EXPECT_EQ(window->queue().PendingQueue(), std::vector<std::string>{"ALL$" + inFolder});
}

TEST_F(StartupWindowTest, ACopyDataRecordIsNeverReadPastItsBytes) {
  Open();
  const std::string file = SmallSfv("one", "one");
  StartHeldRun();
  // The path's bytes without their zero, followed in memory by more text.
  const std::string bytes = file + "GARBAGE.sfv";
  CopyData(64, bytes.data(), static_cast<DWORD>(file.size()));
  // Stops at the first zero within the record.
  const std::string twoPaths = file + '\0' + "C:\\other.sfv";
  CopyData(64, twoPaths.data(), static_cast<DWORD>(twoPaths.size() + 1));
  EXPECT_EQ(window->queue().PendingQueue(), (std::vector<std::string>{"ALL$" + file, "ALL$" + file}));
}

TEST_F(StartupWindowTest, DroppingTwoFoldersAndATextFileChecksBothFoldersInOneRun) {
  Open();
  const std::string first = SmallSfv("d1", "a");
  const std::string second = SmallSfv("d2", "b");
  testutil::WriteBytes(dir / "note.txt", "text");
  ASSERT_TRUE(PumpUntil([&] { return window->FirstActivationDone(); }));
  SendMessageA(hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({dir / "d1", dir / "note.txt", dir / "d2"})),
               0);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(SfvRows(), (std::vector<std::string>{first, second}));
  // A dropped SFV file is checked by itself; its extension in any case.
  const std::string upper = dir / "UP.SFV";
  testutil::WriteBytes(upper, "note.txt 00000000\r\n");
  SendMessageA(hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({upper})), 0);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(SfvRows(), (std::vector<std::string>{first, second, upper}));
}

// A dropped folder holding a list of SHA-256 digests (and a SUMS file in a
// sub-folder) is checked as one holding SFV files is: file rows and a
// totals row per list, the list's path shown as an SFV file's.
TEST_F(StartupWindowTest, ADroppedFolderWithASha256ListIsChecked) {
  Open();
  testutil::MakeFolder(dir / "rel");
  testutil::MakeFolder(dir / "rel/sub");
  std::string list, sums;
  for (const char* name : {"good.iso", "bad.iso"}) {
    testutil::WriteBytes(dir / ("rel/" + std::string(name)), name);
    platform::Digest digest(platform::DigestAlgorithm::Sha256);
    digest.Update(name, std::strlen(name));
    list += FormatGnuLine(name, digest.Finish()) + "\n";
  }
  testutil::WriteBytes(dir / "rel/bad.iso", "altered");
  testutil::WriteBytes(dir / "rel/rel.sha256", list + std::string(64, '0') + " *absent.iso\n");
  testutil::WriteBytes(dir / "rel/sub/in.bin", "");
  testutil::WriteBytes(dir / "rel/sub/SHA256SUMS",
                       "SHA256 (in.bin) = e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n");
  ASSERT_TRUE(PumpUntil([&] { return window->FirstActivationDone(); }));
  SendMessageA(hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({dir / "rel"})), 0);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(guitest::ListViewRows(window->StatusList().hwnd(), 5),
            (std::vector<std::vector<std::string>>{{dir / "rel/rel.sha256", "3", "1", "1", "1"},
                                                   {dir / "rel/sub/SHA256SUMS", "1", "1", "0", "0"}}));
  std::vector<std::string> statuses;
  for (const std::vector<std::string>& row : guitest::ListViewRows(window->ArchiveList().hwnd(), 3)) {
    statuses.push_back(row[0] + "|" + row[2]);
  }
  EXPECT_EQ(statuses, (std::vector<std::string>{"good.iso|- OK -", "bad.iso|- !BAD! -", "absent.iso|MISSING", "|",
                                                "in.bin|- OK -", "|"}));
}

TEST_F(StartupWindowTest, ALongDroppedPathIsFetchedWhole) {
  Open();
  StartHeldRun();
  // Longer than 500 characters, so a fixed buffer of 501 would cut it short.
  const std::string longSfv = dir.path() + std::string(300, 'd') + "\\" + std::string(300, 'e') + "\\x.sfv";
  const std::string longFolder = dir.path() + std::string(520, 'f');
  SendMessageA(hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({longSfv, longFolder})), 0);
  // The SFV file is queued by its whole path (its check reports it missing);
  // the folder does not exist and yields nothing.
  EXPECT_EQ(window->queue().PendingQueue(), std::vector<std::string>{"ALL$" + longSfv});
}

}  // namespace
