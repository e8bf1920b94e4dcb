// The menu items that reach the real registry of the test's Wine prefix
// (the user's own classes): the association items, and a whole session as a user has it
// (first start, options changed through the menus, close, start again).
// Whatever the registry held of the program's keys is put back at the end.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GuiTestUtil.h"
#include "MenuTestUtil.h"
#include "TestUtil.h"
#include "mainwindow/Quor_Checker.h"
#include "platform/fs.h"
#include "platform/registry.h"
#include "settings/Quor_Config.h"
#include "shell/RegistryTestUtil.h"

namespace {

using menutest::Checked;
using menutest::Click;

const char kBase[] = "Quor menus and registry under test";
const char* const kOurKeys[] = {"Directory\\Shell\\SFVTest", "Directory\\Shell\\SFVTestSpe",
                                "Directory\\Shell\\SFVCreate", "Directory\\Shell\\SFVCreateSpe",
                                ".sfv", "SFV.File", "SystemFileAssociations\\.md5",
                                "SystemFileAssociations\\.sha1", "SystemFileAssociations\\.sha256",
                                "SystemFileAssociations\\.sha512"};

class MenusRegistryTest : public windowtest::MainWindowFixture {
 protected:
  void SetUp() override {
    saved.Save();
    for (const char* key : kOurKeys) {
      machine->DeleteTree(key);  // each test starts from a registry the program never touched
      user->DeleteTree(key);
    }
  }
  void TearDown() override {
    window.reset();
    saved.Restore();
  }

  void Open() {
    OpenWindow(kBase, [this](TZOZUvavada& w) { w.ChooseColour = [this] { return nextColour; }; });
  }
  bool KeyThere(const std::string& key) const { return user->KeyExists(key); }
  std::string Default(const std::string& key) const {
    std::string text;
    return user->ReadString(key, "", text) == platform::RegRead::String ? text : "<none>";
  }

  std::unique_ptr<platform::Registry> machine = platform::OpenMachineClasses();
  std::unique_ptr<platform::Registry> user = platform::OpenUserClasses();
  testutil::SavedKeys saved{*machine, *user, {std::begin(kOurKeys), std::end(kOurKeys)}};
  std::optional<std::uint32_t> nextColour;
};

TEST_F(MenusRegistryTest, AssociationItemsRewriteTheRegistryAndAreSaved) {
  Open();
  const std::vector<std::string> folderSpe = {"Options", "Set Associations", "On Folders",
                                              "SFV Check Specifik in Folder"};
  const std::vector<std::string> fileCheck = {"Options", "Set Associations", "On SFV Files", "Check SFV File"};
  const std::vector<std::string> fileSpe = {"Options", "Set Associations", "On SFV Files", "Check Specifik Files"};
  Click(hwnd(), folderSpe);
  EXPECT_TRUE(Checked(hwnd(), folderSpe));
  EXPECT_EQ(Default("Directory\\Shell\\SFVTestSpe"), "SFV Check Specifik in Folder");
  const std::string command = Default("Directory\\Shell\\SFVTestSpe\\Command");
  EXPECT_NE(command.find(" -TestFolderS \"%1\""), std::string::npos) << command;
  EXPECT_NE(command.find("menu_registry_tests"), std::string::npos) << command;  // this program
  EXPECT_EQ(ReadSettingString(settingsPath, "System", "RClickOnFoldersCheckSpe", ""), "1");
  // The other five as they were: the defaults of a first start.
  EXPECT_TRUE(KeyThere("Directory\\Shell\\SFVTest"));
  EXPECT_TRUE(KeyThere("Directory\\Shell\\SFVCreate"));
  EXPECT_FALSE(KeyThere("Directory\\Shell\\SFVCreateSpe"));
  EXPECT_EQ(Default("SFV.File\\Shell"), "CheckFile");
  EXPECT_TRUE(KeyThere("SystemFileAssociations\\.sha256\\shell\\QuorCheckFile\\Command"));
  // For this user only.
  for (const char* key : kOurKeys) EXPECT_FALSE(machine->KeyExists(key)) << key;

  Click(hwnd(), fileSpe);
  Click(hwnd(), fileCheck);  // off: the specific verb becomes the default
  EXPECT_FALSE(KeyThere("SFV.File\\Shell\\CheckFile"));
  EXPECT_FALSE(KeyThere("SystemFileAssociations\\.sha256"));
  EXPECT_EQ(Default("SFV.File\\Shell"), "CheckSFile");
  EXPECT_EQ(Default(".sfv"), "SFV.File");
  EXPECT_EQ(ReadSettingString(settingsPath, "System", "RClickOnFileCheck", ""), "0");
  EXPECT_EQ(ReadSettingString(settingsPath, "System", "RClickOnFileCheckSpe", ""), "1");
  Click(hwnd(), fileSpe);  // both file commands off: the file type is given back
  EXPECT_FALSE(KeyThere("SFV.File"));
  EXPECT_EQ(ReadSettingString(settingsPath, "System", "RClickOnFileCheckSpe", ""), "0");
}

TEST_F(MenusRegistryTest, ASessionChangedThroughTheMenusIsFoundAsLeftAtTheNextStart) {
  ASSERT_FALSE(platform::FileExists(settingsPath));
  Open();
  const std::string nfo = dir / "group.nfo";
  testutil::WriteBytes(nfo, "greetings\r\n");
  for (const std::vector<std::string>& path : std::vector<std::vector<std::string>>{
           {"Options", "Rename Bad Rar(s)"},
           {"Options", "Check Sub-folders"},
           {"Options", "Skip Known Good Files"},
           {"Options", "Resize Columns", "Manual"},
           {"Options", "Set Priority", "Normal"},
           {"Options", "Set Associations", "On Folders", "Create Specifik SFV in Folder"},
           {"Options", "Set Associations", "On Folders", "SFV Check Folder"},
           {"Options", "Misc", "Show ETA/Speed"},
           {"Options", "Misc", "Show File Size"},
           {"Create Options", "Include File Info In SFV"},
           {"Create Options", "List Files Created"}}) {
    Click(hwnd(), path);
  }
  nextColour = RGB(0, 0, 96);
  Click(hwnd(), {"Options", "Colors", "Background"});
  nextColour = RGB(0, 0, 255);
  Click(hwnd(), {"Options", "Colors", "'Bad' Files"});
  {
    auto answer = menutest::AnswerFileDialog(nfo);
    Click(hwnd(), {"Create Options", "Include NFO In SFV"});
  }
  menutest::InputBoxAnswer seen;
  {
    auto answer = menutest::AnswerInputBox(seen, "#?.bak#?.tmp");
    Click(hwnd(), {"Create Options", "File Types To Exclude"});
  }
  {
    auto answer = menutest::AnswerInputBox(seen, "release");
    Click(hwnd(), {"Create Options", "Set Default SFV File Name"});
  }
  const std::string menus = menutest::MenuListing(hwnd());
  const SettingsModel left = window->settings();
  EXPECT_TRUE(left.renameRar && !left.testSubFolders && !left.skipKnownGoodFiles && !left.autoColumnResize);
  EXPECT_TRUE(left.create.includeNfo && left.create.includeFileInfo && left.create.listFilesCreated);
  EXPECT_EQ(left.create.defaultFileName, "release.sfv");
  EXPECT_EQ(left.threadPriority, 3);
  SendMessageA(hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd()));
  window.reset();

  Open();
  EXPECT_TRUE(menutest::OptionsOf(window->settings()) == menutest::OptionsOf(left));
  EXPECT_EQ(menutest::MenuListing(hwnd()), menus);
  EXPECT_EQ(ListView_GetBkColor(window->ArchiveList().hwnd()), RGB(0, 0, 96));
  EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(window->ArchiveList().hwnd())), 4);  // File Size shown
  EXPECT_TRUE(KeyThere("Directory\\Shell\\SFVCreateSpe"));
  EXPECT_FALSE(KeyThere("Directory\\Shell\\SFVTest"));
  // What the creator process will read.
  const CreateOptions create = LoadCreateOptions(settingsPath);
  EXPECT_TRUE(create.includeNfo);
  EXPECT_EQ(create.excludeTypes, "#?.bak#?.tmp");
  EXPECT_EQ(create.defaultFileName, "release.sfv");
  EXPECT_TRUE(LoadListFilesCreated(settingsPath));
}

}  // namespace
