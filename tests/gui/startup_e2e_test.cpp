// Quor.exe started as separate processes, as Explorer starts it, from a
// private copy in a temporary folder (so its settings file and progress
// folder are the test's). What happened is read from disk (marker files,
// progress files, created SFV files), from the registry with Wine's own
// "reg query", and from what the running main window shows. Every start of
// a main window rewrites the Explorer associations; the user's and the
// machine's classes are put back as they were found after each test.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GuiTestUtil.h"
#include "QuorProcessTest.h"
#include "TestUtil.h"
#include "core/Quor_CRC32.h"
#include "core/Quor_Sfv.h"
#include "platform/fs.h"
#include "platform/registry.h"
#include "../shell/RegistryTestUtil.h"

namespace {

using guitest::ChildProcess;
using guitest::Quote;
using testutil::MakeFolder;
using testutil::ReadBytes;
using testutil::WriteBytes;

const char* const kOurKeys[] = {"Directory\\Shell\\SFVTest", "Directory\\Shell\\SFVTestSpe",
                                "Directory\\Shell\\SFVCreate", "Directory\\Shell\\SFVCreateSpe",
                                ".sfv", "SFV.File", "SystemFileAssociations\\.md5",
                                "SystemFileAssociations\\.sha1", "SystemFileAssociations\\.sha256",
                                "SystemFileAssociations\\.sha512"};

std::string Line(const std::string& name, const std::string& content) {
  return FormatSfvLine(name, Crc32Of(content.data(), content.size())) + "\r\n";
}

// The output of Wine's reg.exe for one query.
std::string RegQuery(const std::string& arguments) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &sa, 0)) return "";
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  std::string out;
  {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    ChildProcess reg(std::string(system) + "\\reg.exe", "query " + arguments, write);
    CloseHandle(write);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    reg.WaitExit(10000);
  }
  CloseHandle(read);
  return out;
}

// The line of a key's default value in reg.exe's output, or "" when the key
// is not there.
std::string RegDefault(const std::string& key) {
  const std::string out = RegQuery(Quote(key) + " /ve");
  const std::size_t at = out.find("REG_SZ");
  if (at == std::string::npos) return "";
  std::size_t begin = out.find_first_not_of(' ', at + 6);
  std::size_t end = out.find_first_of("\r\n", begin);
  return begin == std::string::npos ? "" : out.substr(begin, end - begin);
}

class StartupProcessTest : public guitest::QuorProcessTest {
 protected:
  void SetUp() override {
    saved_.Save();
    ASSERT_NO_FATAL_FAILURE(QuorProcessTest::SetUp());
    // Marker files show what a check found.
    WriteBytes(app_dir_ / "ZERAravo.dat", "[System]\r\nMakeDummyRAR=1\r\n");
    rel_ = data_ / "Rel";
    MakeFolder(rel_);
    WriteBytes(rel_ + "\\good.bin", "good");
    WriteBytes(rel_ + "\\bad.bin", "altered");
    WriteBytes(rel_ + "\\Rel.sfv", Line("good.bin", "good") + Line("bad.bin", "bad") + Line("gone.bin", "gone"));
  }
  void TearDown() override { saved_.Restore(); }

  // A first copy with no arguments; its main window, once shown. The window
  // exists before the start-up has written the Explorer commands and
  // cleaned the progress folder; it is shown after that.
  HWND StartFirstCopy(std::unique_ptr<ChildProcess>& first) {
    first = std::make_unique<ChildProcess>(app_, "");
    if (!first->started()) return nullptr;
    HWND main = guitest::WaitForWindow(first->pid(), "TZOZUvavada");
    if (main && !guitest::WaitUntil([&] { return IsWindowVisible(main) != FALSE; })) return nullptr;
    return main;
  }
  static void CloseWindow(HWND window, const ChildProcess& process) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(process.WaitExit());
    EXPECT_EQ(process.ExitCode(), 0u);
  }
  static int SfvRowCount(HWND main) {
    return static_cast<int>(SendMessageA(GetDlgItem(main, 2002), LVM_GETITEMCOUNT, 0, 0));
  }
  bool MarkersWritten() const {
    return platform::FileExists(rel_ + "\\bad.bin_BAD_OR_INCOMPLETE") &&
           platform::FileExists(rel_ + "\\gone.bin_MISSING");
  }
  bool AnyMarker() const {
    return platform::FileExists(rel_ + "\\bad.bin_BAD_OR_INCOMPLETE") ||
           platform::FileExists(rel_ + "\\gone.bin_MISSING");
  }
  int ProgressFiles() const { return static_cast<int>(testutil::FolderNames(app_dir_ / "Progress").size()); }
  // The running window's totals row for Rel.sfv.
  void ExpectRelChecked(HWND main) {
    ASSERT_TRUE(guitest::WaitUntil([&] { return SfvRowCount(main) == 1; }, 20000));
    const std::vector<std::vector<std::string>> rows = guitest::ListViewRows(GetDlgItem(main, 2002), 5);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{rel_ + "\\Rel.sfv", "3", "1", "1", "1"}));
    EXPECT_TRUE(guitest::WaitUntil([&] { return MarkersWritten(); }));
    EXPECT_TRUE(guitest::WaitUntil([&] { return ProgressFiles() == 1; }));  // good.bin is known good now
  }

  std::unique_ptr<platform::Registry> machine_ = platform::OpenMachineClasses();
  std::unique_ptr<platform::Registry> user_ = platform::OpenUserClasses();
  testutil::SavedKeys saved_{*machine_, *user_, {std::begin(kOurKeys), std::end(kOurKeys)}};
  std::string rel_;
};

TEST_F(StartupProcessTest, NoArgumentsWhileACopyRunsEndsAtOnceAndChangesNothing) {
  std::unique_ptr<ChildProcess> first;
  HWND main = StartFirstCopy(first);
  ASSERT_NE(main, nullptr);
  const std::string caption = guitest::WindowText(main);
  ChildProcess second(app_, "");
  ASSERT_TRUE(second.WaitExit(10000));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_EQ(guitest::WindowText(main), caption);
  EXPECT_EQ(SfvRowCount(main), 0);
  CloseWindow(main, *first);
}

TEST_F(StartupProcessTest, AnAppBuilderWindowHidesTheRunningCopy) {
  std::unique_ptr<ChildProcess> first;
  HWND main = StartFirstCopy(first);
  ASSERT_NE(main, nullptr);
  WNDCLASSA cls{};
  cls.lpfnWndProc = DefWindowProcA;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "TAppBuilder";
  RegisterClassA(&cls);
  HWND builder = CreateWindowExA(0, "TAppBuilder", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(builder, nullptr);
  // As if no copy ran: a check switch opens a main window of its own,
  // which checks the path itself; nothing is handed over.
  ChildProcess second(app_, "-TestFolder " + Quote(rel_));
  HWND other = guitest::WaitForWindow(second.pid(), "TZOZUvavada");
  ASSERT_NE(other, nullptr);
  ExpectRelChecked(other);
  EXPECT_EQ(SfvRowCount(main), 0);
  DestroyWindow(builder);
  CloseWindow(other, second);
  CloseWindow(main, *first);
}

TEST_F(StartupProcessTest, TestFolderWhileACopyRunsIsCheckedByTheRunningCopy) {
  std::unique_ptr<ChildProcess> first;
  HWND main = StartFirstCopy(first);
  ASSERT_NE(main, nullptr);
  ChildProcess second(app_, "-TestFolder " + Quote(rel_));
  ASSERT_TRUE(second.WaitExit(10000));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_EQ(guitest::WaitForWindow(second.pid(), "TZOZUvavada", nullptr, 0), nullptr);
  ExpectRelChecked(main);
  CloseWindow(main, *first);
}

TEST_F(StartupProcessTest, TestFileWithNoCopyRunningOpensTheWindowAndChecksAtOnce) {
  ChildProcess quor(app_, "-TestFile " + Quote(rel_ + "\\Rel.sfv"));
  HWND main = guitest::WaitForWindow(quor.pid(), "TZOZUvavada");
  ASSERT_NE(main, nullptr);
  ExpectRelChecked(main);
  CloseWindow(main, quor);
}

TEST_F(StartupProcessTest, ALowerCaseSwitchWhileACopyRunsEndsWithoutSending) {
  std::unique_ptr<ChildProcess> first;
  HWND main = StartFirstCopy(first);
  ASSERT_NE(main, nullptr);
  for (const char* wrong : {"-testfolder", "-TESTFOLDER", "-TestFolderX"}) {
    ChildProcess second(app_, std::string(wrong) + " " + Quote(rel_));
    ASSERT_TRUE(second.WaitExit(10000)) << wrong;
    EXPECT_EQ(second.ExitCode(), 0u);
  }
  Sleep(1000);
  EXPECT_EQ(SfvRowCount(main), 0);
  EXPECT_FALSE(AnyMarker());
  CloseWindow(main, *first);
}

TEST_F(StartupProcessTest, CreateWhileACopyRunsOpensOnlyTheCreator) {
  std::unique_ptr<ChildProcess> first;
  HWND main = StartFirstCopy(first);
  ASSERT_NE(main, nullptr);
  const std::string fresh = data_ / "Fresh";
  MakeFolder(fresh);
  WriteBytes(fresh + "\\a.rar", "rar");
  ChildProcess creator(app_, "-CreateSFVFile " + Quote(fresh));
  bool mainWindowSeen = false;
  guitest::WaitUntil([&] {
    mainWindowSeen = mainWindowSeen || guitest::WaitForWindow(creator.pid(), "TZOZUvavada", nullptr, 0);
    return creator.WaitExit(0);
  }, 30000);
  ASSERT_TRUE(creator.WaitExit(0));
  EXPECT_EQ(creator.ExitCode(), 0u);
  EXPECT_FALSE(mainWindowSeen);
  EXPECT_NE(ReadBytes(fresh + "\\a.sfv").find(Line("a.rar", "rar")), std::string::npos);
  EXPECT_EQ(SfvRowCount(main), 0);  // the running copy got nothing
  CloseWindow(main, *first);
}

TEST_F(StartupProcessTest, ACreateSwitchInLowerCaseOrWithAThirdArgumentOpensTheMainWindowNotTheCreator) {
  const std::string fresh = data_ / "Fresh";
  MakeFolder(fresh);
  WriteBytes(fresh + "\\a.rar", "rar");
  for (const std::string& args : {"-createsfvfile " + Quote(fresh), "-CreateSFVFile " + Quote(fresh) + " extra"}) {
    ChildProcess quor(app_, args);
    HWND main = guitest::WaitForWindow(quor.pid(), "TZOZUvavada");
    ASSERT_NE(main, nullptr) << args;
    EXPECT_EQ(guitest::WaitForWindow(quor.pid(), "TSFVCreater", nullptr, 0), nullptr) << args;
    CloseWindow(main, quor);
  }
  EXPECT_EQ(testutil::FolderNames(fresh), std::vector<std::string>{"a.rar"});
}

TEST_F(StartupProcessTest, ThreeArgumentsWhileACopyRunsOpenASecondMainWindow) {
  std::unique_ptr<ChildProcess> first;
  HWND main = StartFirstCopy(first);
  ASSERT_NE(main, nullptr);
  ChildProcess second(app_, "-TestFolder " + Quote(rel_) + " extra");
  HWND other = guitest::WaitForWindow(second.pid(), "TZOZUvavada");
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, main);
  Sleep(1000);
  // No switch is looked at: nothing is checked in either window.
  EXPECT_EQ(SfvRowCount(other), 0);
  EXPECT_EQ(SfvRowCount(main), 0);
  EXPECT_FALSE(AnyMarker());
  CloseWindow(other, second);
  CloseWindow(main, *first);
}

TEST_F(StartupProcessTest, TheFirstStartWithoutSettingsRegistersTheThreeDefaultCommands) {
  DeleteFileA((app_dir_ / "ZERAravo.dat").c_str());
  for (const char* key : kOurKeys) {
    machine_->DeleteTree(key);
    user_->DeleteTree(key);
  }
  // Left over, and off by default: in the user's classes, and machine-wide
  // from an earlier version that wrote there.
  user_->CreateKey("Directory\\Shell\\SFVTestSpe");
  machine_->CreateKey("Directory\\Shell\\SFVTestSpe\\Command");
  machine_->WriteString("Directory\\Shell\\SFVTestSpe\\Command", "", Quote(app_) + " -TestFolderS \"%1\"");
  std::unique_ptr<ChildProcess> first;
  HWND main = StartFirstCopy(first);
  ASSERT_NE(main, nullptr);
  const std::string program = Quote(app_);
  // The user's own classes (Wine does not show them through HKCR).
  const std::string user = "HKCU\\Software\\Classes\\";
  EXPECT_EQ(RegDefault(user + "Directory\\Shell\\SFVTest"), "SFV Check Folder");
  EXPECT_EQ(RegDefault(user + "Directory\\Shell\\SFVTest\\Command"), program + " -TestFolder \"%1\"");
  EXPECT_EQ(RegDefault(user + "Directory\\Shell\\SFVCreate\\Command"), program + " -CreateSFVFile \"%1\"");
  EXPECT_EQ(RegDefault(user + ".sfv"), "SFV.File");
  EXPECT_EQ(RegDefault(user + "SFV.File"), "SFV File");
  EXPECT_EQ(RegDefault(user + "SFV.File\\Shell"), "CheckFile");
  EXPECT_EQ(RegDefault(user + "SFV.File\\Shell\\CheckFile\\Command"), program + " -TestFile \"%1\"");
  const std::string spe = RegQuery(Quote(user + "Directory\\Shell\\SFVTestSpe"));
  EXPECT_EQ(spe.find("SFVTestSpe"), std::string::npos) << spe;
  EXPECT_EQ(RegQuery(Quote(user + "SFV.File\\Shell\\CheckSFile")).find("CheckSFile"), std::string::npos);
  // Nothing machine-wide, and the leftover there is gone too.
  const std::string machine = RegQuery("HKLM\\Software\\Classes\\Directory\\Shell");
  EXPECT_EQ(machine.find("SFVTest"), std::string::npos) << machine;
  EXPECT_EQ(RegQuery("HKLM\\Software\\Classes\\.sfv").find(".sfv"), std::string::npos);
  CloseWindow(main, *first);
  // Closing saved the settings file with the defaults.
  EXPECT_NE(ReadBytes(app_dir_ / "ZERAravo.dat").find("RClickOnFoldersCheck=1"), std::string::npos);
}

TEST_F(StartupProcessTest, ClosingDuringACheckStopsTheWorkerAndSavesWhatEveryProcessSaves) {
  const std::string big = data_ / "Big";
  MakeFolder(big);
  {
    platform::File file = platform::File::Open(big + "\\big.bin", platform::Access::Write, platform::Share::Read,
                                               platform::Disposition::CreateAlways);
    std::string error;
    ASSERT_TRUE(file.SetSize(8LL << 30, error)) << error;  // longer than the test runs
  }
  WriteBytes(big + "\\big.sfv", "big.bin 12345678\r\n");
  ChildProcess quor(app_, "-TestFile " + Quote(big + "\\big.sfv"));
  HWND main = guitest::WaitForWindow(quor.pid(), "TZOZUvavada");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(guitest::WaitUntil([&] { return guitest::WindowText(main).find("Checking") != std::string::npos; }));
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(quor.WaitExit(15000));
  EXPECT_EQ(quor.ExitCode(), 0u);
  // The pick list's place is written at the end of every process.
  EXPECT_NE(ReadBytes(app_dir_ / "ZERAravo.dat").find("ChkBoxPosX="), std::string::npos);
}

TEST_F(StartupProcessTest, StartsAtTheSameMomentEndInOneWindowWithEveryRequest) {
  std::vector<std::unique_ptr<ChildProcess>> starts;
  for (int i = 0; i < 3; ++i) starts.push_back(std::make_unique<ChildProcess>(app_, "-TestFolder " + Quote(rel_)));
  HWND main = nullptr;
  ASSERT_TRUE(guitest::WaitUntil([&] {
    int windows = 0;
    for (const auto& start : starts) {
      if (HWND found = guitest::WaitForWindow(start->pid(), "TZOZUvavada", nullptr, 0)) {
        main = found;
        ++windows;
      }
    }
    return windows == 1 && SfvRowCount(main) == 3;
  }, 30000));
  // The two that handed over have ended; the one with the window runs.
  std::vector<ChildProcess*> running;
  for (const auto& start : starts) {
    if (!start->WaitExit(5000)) running.push_back(start.get());
  }
  ASSERT_EQ(running.size(), 1u);
  CloseWindow(main, *running[0]);
}

// Names outside the ANSI code page, as Explorer passes them: the window
// checks such a folder given on its command line and shows the names, a
// second copy hands such a folder over, and the creator writes its SFV file.
TEST_F(StartupProcessTest, UnicodeFoldersAreCheckedHandedOverAndCreated) {
  const std::string folder = data_ / "Релиз 歩き";
  MakeFolder(folder);
  WriteBytes(folder + "\\歩き出す.mp3", "good");
  WriteBytes(folder + "\\Ж.rar", "altered");
  WriteBytes(folder + "\\list.sfv", Line("歩き出す.mp3", "good") + Line("Ж.rar", "bad") + Line("café 🎵.flac", "gone"));
  ChildProcess quor(app_, "-TestFolder " + Quote(folder));
  HWND main = guitest::WaitForWindow(quor.pid(), "TZOZUvavada");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(guitest::WaitUntil([&] { return SfvRowCount(main) == 1; }, 20000));
  EXPECT_EQ(guitest::ListViewRows(GetDlgItem(main, 2002), 5)[0],
            (std::vector<std::string>{folder + "\\list.sfv", "3", "1", "1", "1"}));
  std::string shown;
  for (const auto& row : guitest::ListViewRows(GetDlgItem(main, 2001), 2)) shown += row[0] + "|" + row[1] + "\n";
  for (const char* name : {"歩き出す.mp3", "Ж.rar", "café 🎵.flac"}) {
    EXPECT_NE(shown.find(name), std::string::npos) << name << " in\n" << shown;
  }
  EXPECT_TRUE(guitest::WaitUntil([&] {
    return platform::FileExists(folder + "\\Ж.rar_BAD_OR_INCOMPLETE") &&
           platform::FileExists(folder + "\\café 🎵.flac_MISSING");
  }));

  ChildProcess second(app_, "-TestFolder " + Quote(folder));
  ASSERT_TRUE(second.WaitExit(10000));
  EXPECT_TRUE(guitest::WaitUntil([&] { return SfvRowCount(main) == 2; }, 20000));

  const std::string fresh = data_ / "Новый 新しい";
  MakeFolder(fresh);
  WriteBytes(fresh + "\\曲.rar", "rar");
  ChildProcess creator(app_, "-CreateSFVFile " + Quote(fresh));
  ASSERT_TRUE(creator.WaitExit(30000));
  EXPECT_NE(ReadBytes(fresh + "\\曲.sfv").find(Line("曲.rar", "rar")), std::string::npos);
  CloseWindow(main, quor);
}

}  // namespace
