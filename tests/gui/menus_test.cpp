// The main window's menus as a user meets them: the menu bar as it is shown,
// every option item clicked by its caption path, the dialogs those items open
// (the real input box, file dialog, message box and text windows, answered
// from a helper thread; the colour dialog scripted through its seam), and the
// settings file read back right after each click.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GuiTestUtil.h"
#include "MenuTestUtil.h"
#include "TestUtil.h"
#include "about/Quor_About.h"
#include "mainwindow/Quor_Checker.h"
#include "platform/fs.h"
#include "platform/locale.h"
#include "settings/Quor_Config.h"

namespace {

using menutest::Checked;
using menutest::Click;
using menutest::PumpUntil;

const char kBase[] = "Quor menus under test";

const char kDefaultMenus[] =
    "File >\n"
    "  Check SFV\tCtrl+T\n"
    "  Check Specifik\n"
    "  ReCheck Last\tF5\n"
    "  Clear List\tCtrl+C\n"
    "  Save List\n"
    "  -\n"
    "  Pause\tCtrl+P\n"
    "  Skip SFV\tCtrl+S\n"
    "  Abort Test\tCtrl+A\n"
    "  !HALT!\tCtrl+H\n"
    "  -\n"
    "  Exit\tCtrl+Q\n"
    "Options >\n"
    "  Rename Bad Rar(s)\n"
    "  Make Dummy of Bad Rar(s)\n"
    "  [x] Check Sub-folders\n"
    "  [x] Skip Known Good Files\n"
    "  -\n"
    "  Resize Columns >\n"
    "    [x] Auto\n"
    "    Manual\n"
    "  Colors >\n"
    "    Back to default\n"
    "    -\n"
    "    Background\n"
    "    'OK' Files\n"
    "    'Bad' Files\n"
    "    'Missing' Files\n"
    "    'Known good' Files\n"
    "  Set Priority >\n"
    "    Idle\n"
    "    Above Idle\n"
    "    [x] Below Normal\n"
    "    Normal\n"
    "  Set Associations >\n"
    "    On Folders >\n"
    "      [x] SFV Check Folder\n"
    "      SFV Check Specifik in Folder\n"
    "      [x] Create SFV in Folder\n"
    "      Create Specifik SFV in Folder\n"
    "    On SFV Files >\n"
    "      [x] Check SFV File\n"
    "      Check Specifik Files\n"
    "  Misc >\n"
    "    Show ETA/Speed\n"
    "    Show File Size\n"
    "Create Options >\n"
    "  Include File Info In SFV\n"
    "  Include NFO In SFV\n"
    "  File Types To Exclude\n"
    "  Set Default SFV File Name\n"
    "  List Files Created\n"
    "About >\n"
    "  Disclaimer\n"
    "  About\n"
    "  -\n"
    "  Check for update\n";

const std::vector<std::string> kRename = {"Options", "Rename Bad Rar(s)"};
const std::vector<std::string> kDummy = {"Options", "Make Dummy of Bad Rar(s)"};
const std::vector<std::string> kIncludeNfo = {"Create Options", "Include NFO In SFV"};
const std::vector<std::string> kDefaultName = {"Create Options", "Set Default SFV File Name"};
const std::vector<std::string> kExclude = {"Create Options", "File Types To Exclude"};

class MenusTest : public windowtest::MainWindowFixture {
 protected:
  void SetUp() override {
    OpenWindow(kBase, [this](TZOZUvavada& w) {
      w.ChooseColour = [this]() -> std::optional<std::uint32_t> {
        ++colourDialogs;
        return nextColour;
      };
      w.ApplyAssociations = [this](const std::string&, const ShellAssociations& flags) {
        applied.push_back(flags);
        return associationError;
      };
      w.StartUpdate = [this](const std::string& version) { updateChecks.push_back(version); };
    });
  }

  std::string Key(const char* section, const char* key) const {
    return ReadSettingString(settingsPath, section, key, "<missing>");
  }
  // The options in the file are those of the window.
  void ExpectFileMatchesWindow(const std::string& what) {
    EXPECT_TRUE(platform::FileExists(settingsPath)) << what;
    EXPECT_TRUE(menutest::OptionsOf(LoadSettings(settingsPath)) == menutest::OptionsOf(window->settings())) << what;
  }
  std::optional<std::uint32_t> nextColour;
  int colourDialogs = 0;
  std::vector<ShellAssociations> applied;
  std::string associationError;
  std::vector<std::string> updateChecks;
};

TEST_F(MenusTest, TheMenuBarAsShownWithTheMarksOfAFirstStart) {
  EXPECT_EQ(menutest::MenuListing(hwnd()), kDefaultMenus);
}

TEST_F(MenusTest, RenameAndDummyAreExclusiveWhenCheckedAndIndependentWhenUnchecked) {
  Click(hwnd(), kDummy);
  EXPECT_EQ(Key("System", "MakeDummyRAR"), "1");
  Click(hwnd(), kRename);
  EXPECT_TRUE(Checked(hwnd(), kRename));
  EXPECT_FALSE(Checked(hwnd(), kDummy));
  EXPECT_EQ(Key("System", "RenameRAR"), "1");
  EXPECT_EQ(Key("System", "MakeDummyRAR"), "0");
  Click(hwnd(), kRename);
  EXPECT_FALSE(Checked(hwnd(), kRename));
  EXPECT_FALSE(Checked(hwnd(), kDummy));
  EXPECT_EQ(Key("System", "RenameRAR"), "0");
  Click(hwnd(), kDummy);
  Click(hwnd(), kDummy);
  EXPECT_FALSE(Checked(hwnd(), kRename));
  EXPECT_FALSE(Checked(hwnd(), kDummy));
}

// Each item is clicked with the settings file deleted before, so the file
// that is there afterwards was written by that click.
TEST_F(MenusTest, EveryOptionChangeIsInTheSettingsFileRightAfterTheClick) {
  const std::vector<std::vector<std::string>> toggles = {
      kRename, kDummy, {"Options", "Check Sub-folders"}, {"Options", "Skip Known Good Files"},
      {"Options", "Resize Columns", "Manual"}, {"Options", "Resize Columns", "Auto"},
      {"Options", "Set Priority", "Idle"}, {"Options", "Set Priority", "Above Idle"},
      {"Options", "Set Priority", "Normal"}, {"Options", "Set Priority", "Below Normal"},
      {"Options", "Set Associations", "On Folders", "SFV Check Specifik in Folder"},
      {"Options", "Set Associations", "On Folders", "Create SFV in Folder"},
      {"Options", "Set Associations", "On SFV Files", "Check Specifik Files"},
      {"Options", "Misc", "Show ETA/Speed"}, {"Options", "Misc", "Show File Size"},
      {"Create Options", "Include File Info In SFV"}, {"Create Options", "List Files Created"},
      {"Options", "Colors", "Background"}, {"Options", "Colors", "'OK' Files"},
      {"Options", "Colors", "'Missing' Files"}, {"Options", "Colors", "'Known good' Files"},
      {"Options", "Colors", "Back to default"}};
  std::uint32_t colour = 0x102030;
  for (const std::vector<std::string>& path : toggles) {
    DeleteFileA(settingsPath.c_str());
    const SettingsModel before = window->settings();
    nextColour = colour += 0x010101;
    Click(hwnd(), path);
    EXPECT_FALSE(window->settings() == before) << path.back();
    ExpectFileMatchesWindow(path.back());
  }
  EXPECT_EQ(applied.size(), 3u);  // each association item asked the registry once
  EXPECT_EQ(applied.back(), window->settings().explorer);
  EXPECT_TRUE(applied.back().RClickOnFileCheckSpe);
  EXPECT_FALSE(applied.back().RClickOnFoldersCreate);
  EXPECT_EQ(Key("System", "RClickOnFileCheckSpe"), "1");
  EXPECT_EQ(Key("System", "ThreadPriority"), "2");
  EXPECT_TRUE(Checked(hwnd(), {"Options", "Set Priority", "Below Normal"}));
  EXPECT_FALSE(Checked(hwnd(), {"Options", "Set Priority", "Normal"}));

  // The three items with a dialog of their own.
  menutest::InputBoxAnswer seen;
  DeleteFileA(settingsPath.c_str());
  {
    auto answer = menutest::AnswerInputBox(seen, "#?.rar");
    Click(hwnd(), kExclude);
  }
  EXPECT_EQ(Key("Create", "ExcludeTypes"), "#?.rar");
  ExpectFileMatchesWindow("exclude");
  DeleteFileA(settingsPath.c_str());
  {
    auto answer = menutest::AnswerInputBox(seen, "name");
    Click(hwnd(), kDefaultName);
  }
  EXPECT_EQ(Key("Create", "DefaultFileName"), "name.sfv");
  ExpectFileMatchesWindow("default name");
  DeleteFileA(settingsPath.c_str());
  {
    auto answer = menutest::AnswerFileDialog("");
    Click(hwnd(), kIncludeNfo);
  }
  EXPECT_EQ(Key("Create", "IncludeNFO"), "0");  // saved after the cancel too
  ExpectFileMatchesWindow("include nfo");
}

TEST_F(MenusTest, IncludeNfoWithTheFileDialogCancelledEndsUncheckedWithNoFile) {
  const std::string nfo = dir / "group.nfo";
  testutil::WriteBytes(nfo, "hello\r\n");
  {
    auto answer = menutest::AnswerFileDialog(nfo);
    Click(hwnd(), kIncludeNfo);
  }
  EXPECT_TRUE(Checked(hwnd(), kIncludeNfo));
  EXPECT_EQ(Key("Create", "IncludeNFO"), "1");
  EXPECT_TRUE(platform::CompareTextNoCase(Key("Create", "IncludeFile"), nfo) == 0) << Key("Create", "IncludeFile");
  Click(hwnd(), kIncludeNfo);  // unchecking asks nothing and keeps the file
  EXPECT_FALSE(Checked(hwnd(), kIncludeNfo));
  EXPECT_EQ(Key("Create", "IncludeNFO"), "0");
  EXPECT_TRUE(platform::CompareTextNoCase(Key("Create", "IncludeFile"), nfo) == 0);
  {
    auto answer = menutest::AnswerFileDialog("");
    Click(hwnd(), kIncludeNfo);
  }
  EXPECT_FALSE(Checked(hwnd(), kIncludeNfo));
  EXPECT_EQ(Key("Create", "IncludeNFO"), "0");
  EXPECT_EQ(Key("Create", "IncludeFile"), "");
}

TEST_F(MenusTest, BadFilesMadeBlueColoursNewRowsBlueAndLeavesOldRowsRed) {
  auto bad = [&](const std::string& name) {
    window->AddFileRow(FileRow{name, "D:\\p\\", StatusText(FileRowKind::Bad), "", FileRowKind::Bad});
  };
  bad("old.bin");
  window->AddSfvRow(SfvRow::Totals("D:\\old.sfv", 2, 1, 1, 0));
  nextColour.reset();  // cancelled: nothing changes, nothing is written
  Click(hwnd(), {"Options", "Colors", "'Bad' Files"});
  EXPECT_FALSE(platform::FileExists(settingsPath));
  EXPECT_EQ(window->settings().colours.bad, 0x0000FFu);
  nextColour = 0xFF0000;  // blue
  Click(hwnd(), {"Options", "Colors", "'Bad' Files"});
  EXPECT_EQ(colourDialogs, 2);
  bad("new.bin");
  window->AddSfvRow(SfvRow::Totals("D:\\new.sfv", 2, 1, 1, 0));
  EXPECT_EQ(window->ArchiveList().RowColour(0), RGB(255, 0, 0));
  EXPECT_EQ(window->ArchiveList().RowColour(1), RGB(0, 0, 255));
  EXPECT_EQ(window->StatusList().RowColour(0), RGB(255, 0, 0));
  EXPECT_EQ(window->StatusList().RowColour(1), RGB(0, 0, 255));
  EXPECT_EQ(ReadSettingInt(settingsPath, "Colors", "ColorBad", -1), 16711680);
  EXPECT_EQ(ListView_GetBkColor(files()), RGB(0, 0, 0));  // the background stays
}

TEST_F(MenusTest, BackToDefaultTurnsBothListsBlackAtOnce) {
  nextColour = RGB(0, 0, 128);
  Click(hwnd(), {"Options", "Colors", "Background"});
  EXPECT_EQ(ListView_GetBkColor(files()), RGB(0, 0, 128));
  EXPECT_EQ(ListView_GetBkColor(sfvs()), RGB(0, 0, 128));
  nextColour = RGB(1, 2, 3);
  Click(hwnd(), {"Options", "Colors", "'OK' Files"});
  EXPECT_EQ(Key("Colors", "ColorOK"), std::to_string(RGB(1, 2, 3)));
  Click(hwnd(), {"Options", "Colors", "Back to default"});
  EXPECT_EQ(colourDialogs, 2);  // no dialog for the defaults
  EXPECT_EQ(ListView_GetBkColor(files()), RGB(0, 0, 0));
  EXPECT_EQ(ListView_GetBkColor(sfvs()), RGB(0, 0, 0));
  UpdateWindow(files());
  HDC dc = GetDC(files());
  RECT client;
  GetClientRect(files(), &client);
  EXPECT_EQ(GetPixel(dc, client.right / 2, client.bottom - 5), RGB(0, 0, 0));  // drawn black already
  ReleaseDC(files(), dc);
  EXPECT_EQ(Key("Colors", "ColorBagground"), "0");
  EXPECT_EQ(Key("Colors", "ColorOK"), "65280");
  EXPECT_EQ(Key("Colors", "ColorBad"), "255");
  EXPECT_EQ(Key("Colors", "ColorMissing"), "12632256");
  EXPECT_EQ(Key("Colors", "ColorKnownGood"), "65518");
}

TEST_F(MenusTest, ManualToAutoChangesNoWidthUntilAResize) {
  SetClientWidth(600);
  Click(hwnd(), {"Options", "Resize Columns", "Manual"});
  window->ArchiveList().SetColumnWidth(1, 111);
  window->StatusList().SetColumnWidth(2, 33);
  Click(hwnd(), {"Options", "Resize Columns", "Auto"});
  EXPECT_TRUE(Checked(hwnd(), {"Options", "Resize Columns", "Auto"}));
  EXPECT_FALSE(Checked(hwnd(), {"Options", "Resize Columns", "Manual"}));
  EXPECT_EQ(Key("System", "AutoColumnResize"), "1");
  EXPECT_EQ(ListView_GetColumnWidth(files(), 0), 111);
  EXPECT_EQ(ListView_GetColumnWidth(sfvs(), 1), 33);
  SetClientWidth(640);
  EXPECT_EQ(ListView_GetColumnWidth(files(), 0), 170);  // 640 / 4 + 10
  EXPECT_NE(ListView_GetColumnWidth(sfvs(), 1), 33);
}

TEST_F(MenusTest, DefaultSfvFileNameThroughTheInputBox) {
  struct Case {
    const char* typed;
    const char* stored;
  };
  std::string preset = "";
  for (const Case& c : {Case{"check", "check.sfv"}, Case{"x.txt", "x.txt.sfv"}, Case{"a.SFV", "a.SFV"},
                        Case{"", ""}}) {
    menutest::InputBoxAnswer seen;
    {
      auto answer = menutest::AnswerInputBox(seen, c.typed);
      Click(hwnd(), kDefaultName);
    }
    EXPECT_EQ(seen.caption, "Default File Name");
    EXPECT_EQ(seen.prompt,
              "Enter The Default File Name For SFV Files\r\nif empty .. the name will be choosen by the program");
    EXPECT_EQ(seen.preset, preset);
    EXPECT_EQ(Key("Create", "DefaultFileName"), c.stored) << c.typed;
    EXPECT_EQ(LoadCreateOptions(settingsPath).defaultFileName, c.stored);
    preset = c.stored;
  }
  // Cancel: nothing written.
  DeleteFileA(settingsPath.c_str());
  menutest::InputBoxAnswer seen;
  {
    auto answer = menutest::AnswerInputBox(seen, nullptr);
    Click(hwnd(), kDefaultName);
  }
  EXPECT_FALSE(platform::FileExists(settingsPath));
  // A name that would land outside the folder is refused with an error.
  std::string error;
  {
    auto box = menutest::AnswerErrorBox(error);
    auto answer = menutest::AnswerInputBox(seen, "..\\elsewhere.sfv");
    Click(hwnd(), kDefaultName);
  }
  EXPECT_EQ(error, kBadDefaultNameMessage);
  EXPECT_EQ(window->settings().create.defaultFileName, "");
  EXPECT_FALSE(platform::FileExists(settingsPath));
}

TEST_F(MenusTest, FileTypesToExcludeThroughTheInputBox) {
  menutest::InputBoxAnswer seen;
  {
    auto answer = menutest::AnswerInputBox(seen, "#?.txt#?.log");
    Click(hwnd(), kExclude);
  }
  EXPECT_EQ(seen.caption, "File Types To Exclude");
  EXPECT_EQ(seen.prompt, "Enter The File Types To Exclude From SFV Files\r\nMust be like this : #?.txt");
  EXPECT_EQ(seen.preset, "#?.DIZ#?.NFO#?.JPG#?.TXT");
  EXPECT_EQ(Key("Create", "ExcludeTypes"), "#?.txt#?.log");
  {
    auto answer = menutest::AnswerInputBox(seen, nullptr);
    Click(hwnd(), kExclude);
  }
  EXPECT_EQ(seen.preset, "#?.txt#?.log");
  EXPECT_EQ(Key("Create", "ExcludeTypes"), "#?.txt#?.log");
  {
    auto answer = menutest::AnswerInputBox(seen, "");
    Click(hwnd(), kExclude);
  }
  EXPECT_EQ(Key("Create", "ExcludeTypes"), "");  // empty stays empty, no default
}

TEST_F(MenusTest, AnAssociationFailureIsShownTheMarkStaysAndNothingIsSaved) {
  associationError = "Failed to set data for ''";
  const std::vector<std::string> item = {"Options", "Set Associations", "On SFV Files", "Check Specifik Files"};
  std::string error;
  {
    auto box = menutest::AnswerErrorBox(error);
    Click(hwnd(), item);
  }
  EXPECT_EQ(error, "Failed to set data for ''");
  EXPECT_TRUE(Checked(hwnd(), item));
  EXPECT_FALSE(platform::FileExists(settingsPath));
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_TRUE(applied[0].RClickOnFileCheckSpe);
  associationError.clear();
  Click(hwnd(), item);  // back off, now it works and is saved
  EXPECT_FALSE(Checked(hwnd(), item));
  EXPECT_EQ(Key("System", "RClickOnFileCheckSpe"), "0");
}

TEST_F(MenusTest, AboutItemsOpenTheirWindowsAndTheUpdateCheckGetsTheVersion) {
  for (const auto& [caption, title] : std::vector<std::pair<std::string, const char*>>{
           {"Disclaimer", about::kDisclaimerCaption}, {"About", about::kAboutCaption}}) {
    bool seen = false;
    bool ownerDisabled = false;
    {
      guitest::Helper answer([&, title = title] {
        HWND text = guitest::WaitForWindow(GetCurrentProcessId(), about::kTextWindowClassName, title, 20000);
        if (!text) return;
        seen = true;
        ownerDisabled = !IsWindowEnabled(hwnd());
        guitest::ClickButton(text, "OK");
      });
      Click(hwnd(), {"About", caption});
    }
    EXPECT_TRUE(seen) << caption;
    EXPECT_TRUE(ownerDisabled) << caption;
    EXPECT_TRUE(IsWindowEnabled(hwnd()));
  }
  Click(hwnd(), {"About", "Check for update"});
  EXPECT_EQ(updateChecks, std::vector<std::string>{"1.39"});
  EXPECT_FALSE(platform::FileExists(settingsPath));  // no option changed
}

}  // namespace

namespace {

// The real colour dialog: it opens at black, and the colour typed into its
// red, green and blue boxes becomes the item's colour.
TEST(MenusColourDialog, TheChosenColourOfTheSystemDialogBecomesTheSetting) {
  testutil::TempDir dir;
  const std::string settingsPath = dir / "ZERAravo.dat";
  TZOZUvavada window(settingsPath, dir.path(), kBase);
  window.QuitOnDestroy = false;
  ASSERT_TRUE(window.CreateForm());
  ShowWindow(window.hwnd(), SW_SHOW);
  std::string startRed = "?";
  {
    guitest::Helper answer([&] {
      HWND dialog = guitest::WaitForWindow(GetCurrentProcessId(), "#32770", nullptr, 20000);
      if (!dialog) return;
      Sleep(200);
      startRed = guitest::WindowText(GetDlgItem(dialog, 706));
      SetDlgItemTextA(dialog, 706, "10");   // red
      SetDlgItemTextA(dialog, 707, "20");   // green
      SetDlgItemTextA(dialog, 708, "200");  // blue
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Click(window.hwnd(), {"Options", "Colors", "'Missing' Files"});
  }
  EXPECT_EQ(startRed, "0");
  EXPECT_EQ(window.settings().colours.missing, RGB(10, 20, 200));
  EXPECT_EQ(ReadSettingInt(settingsPath, "Colors", "ColorMissing", -1), static_cast<int>(RGB(10, 20, 200)));
}

}  // namespace
