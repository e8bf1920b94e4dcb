// The settings file as its three users see it: the main window's load and
// save, the pick list's four keys and the creator's options.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TestUtil.h"
#include "platform/fs.h"
#include "settings/Quor_Config.h"

namespace {

using testutil::ReadBytes;
using testutil::TempDir;
using testutil::WriteBytes;

// Sections in file order, each with its key names in file order.
using Layout = std::vector<std::pair<std::string, std::vector<std::string>>>;

Layout ReadLayout(const std::string& path) {
  Layout layout;
  const std::string text = ReadBytes(path);
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t lf = text.find('\n', at);
    std::string line = text.substr(at, lf == std::string::npos ? std::string::npos : lf - at);
    at = lf == std::string::npos ? text.size() : lf + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      layout.emplace_back(line.substr(1, line.size() - 2), std::vector<std::string>{});
    } else if (!layout.empty() && line.find('=') != std::string::npos) {
      layout.back().second.push_back(line.substr(0, line.find('=')));
    }
  }
  return layout;
}

// A model in which every field differs from its default.
SettingsModel ChangedModel() {
  SettingsModel s;
  s.lastSfvPath = "C:\\Downloads\\Some Folder\\";
  s.autoColumnResize = false;
  s.showColumnFSize = true;
  s.aColumnOrder = "4321";
  s.sColumnOrder = "54321";
  s.showEtaSpeed = true;
  s.renameRar = true;
  s.makeDummyRar = true;
  s.skipKnownGoodFiles = false;
  s.testSubFolders = false;
  s.threadPriority = 0;
  s.explorer = {false, true, false, true, false, true};  // every one flipped
  s.colours = {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xFFFFFFFF};
  s.window = {120, 300, 640, 480};
  s.placeWindow = true;
  s.topColumnWidths = {{10, 20, 30, 40}};
  s.lowColumnWidths = {{1, 2, 3, 4, 5}};
  s.create = {true, true, "C:\\nfo.txt", "#?.BAK", "index.sfv", true};
  return s;
}

TEST(Settings, NoFileGivesEveryDefault) {
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  const SettingsModel s = LoadSettings(path);
  EXPECT_EQ(s, SettingsModel());
  EXPECT_FALSE(s.placeWindow);  // opens centred
  EXPECT_TRUE(s.autoColumnResize);
  EXPECT_TRUE(s.skipKnownGoodFiles && s.testSubFolders);
  EXPECT_EQ(s.threadPriority, 2);
  EXPECT_TRUE(s.explorer.RClickOnFoldersCheck && s.explorer.RClickOnFoldersCreate && s.explorer.RClickOnFileCheck);
  EXPECT_FALSE(s.explorer.RClickOnFoldersCheckSpe || s.explorer.RClickOnFoldersCreateSpe ||
               s.explorer.RClickOnFileCheckSpe);
  EXPECT_EQ(s.colours, (ColourTable{0, 65280, 255, 12632256, 65518}));
  EXPECT_EQ(s.create.excludeTypes, "#?.DIZ#?.NFO#?.JPG#?.TXT");
  EXPECT_EQ(LoadPickListPlacement(path), (PickListPlacement{-1, -1, -1, -1}));
  EXPECT_EQ(LoadCreateOptions(path), CreateOptions());
  EXPECT_FALSE(LoadListFilesCreated(path));
  EXPECT_FALSE(testutil::FolderNames(dir.path()).size());  // reading creates nothing
}

TEST(Settings, TheFirstRunWrites45KeysInTheirSectionOrder) {
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  SettingsModel s = LoadSettings(path);
  PickListPlacement pick = LoadPickListPlacement(path);
  SaveSettings(path, s);
  SavePickListPlacement(path, pick);
  const Layout expected = {
      {"System",
       {"RenameRAR", "MakeDummyRAR", "TestSubFolders", "SkipKnownGoodFiles", "ThreadPriority", "LastSfvPath",
        "AutoColumnResize", "ShowColumnFSize", "AColumnOrder", "SColumnOrder", "ShowETASpeed",
        "RClickOnFoldersCheck", "RClickOnFoldersCheckSpe", "RClickOnFoldersCreate", "RClickOnFoldersCreateSpe",
        "RClickOnFileCheck", "RClickOnFileCheckSpe"}},
      {"Colors", {"ColorBagground", "ColorOK", "ColorBad", "ColorMissing", "ColorKnownGood"}},
      {"WindowSizes",
       {"WinPosX", "WinPosY", "WinSizeX", "WinSizeY", "TopColumn1", "TopColumn2", "TopColumn3", "TopColumn4",
        "LowColumn1", "LowColumn2", "LowColumn3", "LowColumn4", "LowColumn5", "ChkBoxPosX", "ChkBoxPosY",
        "ChkBoxSizeX", "ChkBoxSizeY"}},
      {"Create", {"IncludeFileInfo", "IncludeNFO", "IncludeFile", "ExcludeTypes", "DefaultFileName",
                  "ListFilesCreated"}},
  };
  EXPECT_EQ(ReadLayout(path), expected);
  // Widths of tags without a column are saved as 80; reading them back needs "Manual".
  EXPECT_EQ(ReadSettingInt(path, "WindowSizes", "TopColumn4", 0), 80);
  EXPECT_EQ(ReadSettingString(path, "System", "AutoColumnResize", ""), "1");
  EXPECT_EQ(LoadSettings(path), s);
  EXPECT_EQ(LoadPickListPlacement(path), pick);
}

TEST(Settings, ASavedModelLoadsBackAndASecondSaveAddsNothing) {
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  const SettingsModel s = ChangedModel();
  SaveSettings(path, s);
  EXPECT_EQ(LoadSettings(path), s);
  EXPECT_EQ(ReadSettingInt(path, "WindowSizes", "WinPosX", 0), 120);  // the top edge
  EXPECT_EQ(ReadSettingInt(path, "WindowSizes", "WinPosY", 0), 300);  // the left edge
  EXPECT_EQ(ReadSettingInt(path, "Colors", "ColorKnownGood", 0), -1);
  const std::string once = ReadBytes(path);
  SaveSettings(path, s);
  EXPECT_EQ(ReadBytes(path), once);

  CreateOptions creator = s.create;
  creator.listFilesCreated = false;  // read at the end of a run, not at its start
  EXPECT_EQ(LoadCreateOptions(path), creator);
  EXPECT_TRUE(LoadListFilesCreated(path));
}

TEST(Settings, ThePickListKeepsItsOwnKeys) {
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  SavePickListPlacement(path, {10, 20, 300, 400});
  SaveSettings(path, ChangedModel());
  EXPECT_EQ(LoadPickListPlacement(path), (PickListPlacement{10, 20, 300, 400}));
  EXPECT_EQ(LoadSettings(path).pickList, PickListPlacement());  // not the main window's to read
}

TEST(Settings, HandEditedValuesReadAsTheOldProgramReadThem) {
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  WriteBytes(path,
             "[System]\r\nTestSubFolders=yes\r\nSkipKnownGoodFiles=true\r\nRenameRAR=1\r\nShowETASpeed=\r\n"
             "ThreadPriority=7\r\nAColumnOrder=\r\n[Colors]\r\nColorOK=abc\r\nColorBad=12abc\r\n"
             "ColorMissing= 42 \r\n[Create]\r\nExcludeTypes=\r\n");
  SettingsModel s = LoadSettings(path);
  EXPECT_FALSE(s.testSubFolders);
  EXPECT_FALSE(s.skipKnownGoodFiles);
  EXPECT_TRUE(s.renameRar);
  EXPECT_FALSE(s.showEtaSpeed);
  EXPECT_EQ(s.threadPriority, 2);
  EXPECT_EQ(s.aColumnOrder, "");  // present but empty: not the default
  EXPECT_EQ(s.colours.ok, 65280u);
  EXPECT_EQ(s.colours.bad, 255u);
  EXPECT_EQ(s.colours.missing, 42u);
  EXPECT_EQ(s.create.excludeTypes, "");
  EXPECT_EQ(LoadCreateOptions(path).excludeTypes, "");

  SaveSettings(path, s);
  EXPECT_EQ(ReadSettingString(path, "System", "ThreadPriority", ""), "2");
  EXPECT_EQ(ReadSettingString(path, "System", "TestSubFolders", ""), "0");
}

TEST(Settings, ADefaultFileNameThatLeavesItsFolderIsNotTaken) {
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  // The stored value, and what both the main window and the creator take.
  for (auto [stored, taken] : std::vector<std::pair<const char*, const char*>>{
           {"..\\evil.sfv", ""}, {"sub/evil.sfv", ""}, {"C:evil.sfv", ""}, {"..", ""}, {"a?.sfv", ""},
           {"check.sfv", "check.sfv"}, {"..check.sfv", "..check.sfv"}}) {
    WriteSettingString(path, "Create", "DefaultFileName", stored);
    EXPECT_EQ(LoadSettings(path).create.defaultFileName, taken) << stored;
    EXPECT_EQ(LoadCreateOptions(path).defaultFileName, taken) << stored;
  }
}

TEST(Settings, OnlyThreadPriorities0To3AreKept) {
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  for (auto [stored, read] : std::vector<std::pair<const char*, int>>{
           {"0", 0}, {"1", 1}, {"2", 2}, {"3", 3}, {"4", 2}, {"-1", 2}, {"x", 2}}) {
    WriteSettingString(path, "System", "ThreadPriority", stored);
    EXPECT_EQ(LoadSettings(path).threadPriority, read) << stored;
  }
  SettingsModel s;
  s.threadPriority = 9;
  SaveSettings(path, s);
  EXPECT_EQ(ReadSettingInt(path, "System", "ThreadPriority", 0), 2);
}

TEST(Settings, TheWindowIsPlacedOnlyWhenItsTopEdgeWasSaved) {
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  WriteBytes(path, "[WindowSizes]\r\nWinPosX=120\r\nWinPosY=300\r\nWinSizeY=500\r\n");
  SettingsModel s = LoadSettings(path);
  EXPECT_TRUE(s.placeWindow);
  EXPECT_EQ(s.window, (MainWindowRect{120, 300, -1, 500}));

  WriteBytes(path, "[WindowSizes]\r\nWinPosX=-1\r\nWinPosY=300\r\nWinSizeX=700\r\nWinSizeY=500\r\n");
  s = LoadSettings(path);
  EXPECT_FALSE(s.placeWindow);
  EXPECT_EQ(s.window, MainWindowRect());

  WriteBytes(path, "[WindowSizes]\r\nWinPosX=0\r\n");
  EXPECT_TRUE(LoadSettings(path).placeWindow);
}

TEST(Settings, ColumnWidthsAreReadOnlyInManualMode) {
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  WriteBytes(path, "[System]\r\nAutoColumnResize=1\r\n[WindowSizes]\r\nTopColumn1=150\r\nLowColumn5=60\r\n");
  SettingsModel s = LoadSettings(path);
  for (const auto& width : s.topColumnWidths) EXPECT_FALSE(width.has_value());
  for (const auto& width : s.lowColumnWidths) EXPECT_FALSE(width.has_value());

  WriteSettingBool(path, "System", "AutoColumnResize", false);
  s = LoadSettings(path);
  EXPECT_EQ(s.topColumnWidths[0], 150);
  EXPECT_EQ(s.topColumnWidths[3], -1);  // missing: -1 goes to the column as it is
  EXPECT_EQ(s.lowColumnWidths[4], 60);

  // The window saves in "Auto" mode too; a tag without a column gets 80.
  s.autoColumnResize = true;
  s.topColumnWidths = {{100, 200, 300, std::nullopt}};
  SaveSettings(path, s);
  EXPECT_EQ(ReadSettingInt(path, "WindowSizes", "TopColumn3", 0), 300);
  EXPECT_EQ(ReadSettingInt(path, "WindowSizes", "TopColumn4", 0), 80);
}

TEST(Settings, ASaveKeepsCommentsAndUnknownKeys) {
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  WriteBytes(path,
             "; my settings, edited by hand\r\n[System]\r\nMyOwnKey=keep me\r\nRenameRAR=1\r\n"
             "[Extra]\r\nStuff=here\r\n");
  SaveSettings(path, ChangedModel());
  const std::string text = ReadBytes(path);
  EXPECT_EQ(text.rfind("; my settings, edited by hand\r\n", 0), 0u);
  EXPECT_EQ(ReadSettingString(path, "System", "MyOwnKey", ""), "keep me");
  EXPECT_EQ(ReadSettingString(path, "Extra", "Stuff", ""), "here");
  Layout layout = ReadLayout(path);
  ASSERT_EQ(layout.size(), 5u);
  EXPECT_EQ(layout[0].first, "System");
  EXPECT_EQ(layout[0].second[0], "MyOwnKey");
  EXPECT_EQ(layout[0].second[1], "RenameRAR");  // replaced where it stood
  EXPECT_EQ(layout[1].first, "Extra");
  EXPECT_EQ(LoadSettings(path), ChangedModel());
}

TEST(SettingHelpers, IntegersAreDecimal32BitNumbersOrTheDefault) {
  EXPECT_EQ(ParseSettingInt("0"), 0);
  EXPECT_EQ(ParseSettingInt("-5"), -5);
  EXPECT_EQ(ParseSettingInt("+7"), 7);
  EXPECT_EQ(ParseSettingInt("2147483647"), 2147483647);
  EXPECT_EQ(ParseSettingInt("-2147483648"), INT32_MIN);
  for (const char* bad : {"", "-", "+", "+-5", "--5", "12abc", "1 2", "0x10", "$10", "2147483648", "1e3"}) {
    EXPECT_EQ(ParseSettingInt(bad), std::nullopt) << bad;
  }
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  WriteSettingInt(path, "S", "Neg", -123);
  EXPECT_EQ(ReadSettingString(path, "S", "Neg", ""), "-123");
  EXPECT_EQ(ReadSettingInt(path, "S", "Neg", 0), -123);
  EXPECT_EQ(ReadSettingInt(path, "S", "Missing", 77), 77);
}

TEST(SettingHelpers, BoolsAreTrueOnlyFor1) {
  TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  EXPECT_TRUE(ReadSettingBool(path, "S", "Missing", true));
  EXPECT_FALSE(ReadSettingBool(path, "S", "Missing", false));
  WriteSettingBool(path, "S", "On", true);
  WriteSettingBool(path, "S", "Off", false);
  EXPECT_EQ(ReadSettingString(path, "S", "On", ""), "1");
  EXPECT_EQ(ReadSettingString(path, "S", "Off", ""), "0");
  for (const char* text : {"yes", "true", "", "01", "2"}) {
    WriteSettingString(path, "S", "Text", text);
    EXPECT_FALSE(ReadSettingBool(path, "S", "Text", true)) << text;
  }
}

TEST(SettingHelpers, TheSettingsFileLivesBesideTheProgram) {
  const std::string path = SettingsPath();
  ASSERT_GT(path.size(), 12u);
  EXPECT_EQ(path.substr(path.size() - 12), "ZERAravo.dat");
  EXPECT_EQ(path.substr(0, path.size() - 12), platform::ExecutableFolder());
}

}  // namespace
