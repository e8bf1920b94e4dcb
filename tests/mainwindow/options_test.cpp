// The option items' rules without a window: which setting each item changes
// (read back from the settings file it is saved to), the exclusive Rename /
// Dummy pair, and the three items that ask for a file or a text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestUtil.h"
#include "core/Quor_Text.h"
#include "mainwindow/Quor_Commands.h"
#include "mainwindow/Quor_Options.h"
#include "settings/Quor_Config.h"

namespace {

struct KeyOf {
  int command;
  const char* section;
  const char* key;
};

// Every plain check-mark item and the key its mark is saved under.
const std::vector<KeyOf> kToggles = {
    {CmdRenameBadRars, "System", "RenameRAR"},
    {CmdMakeDummyRars, "System", "MakeDummyRAR"},
    {CmdCheckSubFolders, "System", "TestSubFolders"},
    {CmdSkipKnownGood, "System", "SkipKnownGoodFiles"},
    {CmdShowEtaSpeed, "System", "ShowETASpeed"},
    {CmdShowFileSize, "System", "ShowColumnFSize"},
    {CmdAssFolderCheck, "System", "RClickOnFoldersCheck"},
    {CmdAssFolderCheckSpe, "System", "RClickOnFoldersCheckSpe"},
    {CmdAssFolderCreate, "System", "RClickOnFoldersCreate"},
    {CmdAssFolderCreateSpe, "System", "RClickOnFoldersCreateSpe"},
    {CmdAssFileCheck, "System", "RClickOnFileCheck"},
    {CmdAssFileCheckSpe, "System", "RClickOnFileCheckSpe"},
    {CmdIncludeFileInfo, "Create", "IncludeFileInfo"},
    {CmdListFilesCreated, "Create", "ListFilesCreated"},
};

// Every key the main window saves, as the file holds it.
std::vector<std::string> FileValues(const std::string& path) {
  std::vector<std::string> out;
  for (const KeyOf& k : kToggles) out.push_back(ReadSettingString(path, k.section, k.key, "?"));
  for (const char* key : {"ColorBagground", "ColorOK", "ColorBad", "ColorMissing", "ColorKnownGood"}) {
    out.push_back(ReadSettingString(path, "Colors", key, "?"));
  }
  return out;
}

TEST(OptionItems, EachToggleFlipsExactlyItsOwnKey) {
  testutil::TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  for (std::size_t i = 0; i < kToggles.size(); ++i) {
    SettingsModel s;
    SaveSettings(path, s);
    const std::vector<std::string> before = FileValues(path);
    ASSERT_TRUE(ToggleOptionItem(s, kToggles[i].command)) << kToggles[i].key;
    SaveSettings(path, s);
    const std::vector<std::string> after = FileValues(path);
    for (std::size_t j = 0; j < before.size(); ++j) {
      if (j == i) {
        EXPECT_NE(before[j], after[j]) << kToggles[i].key;
        EXPECT_TRUE(after[j] == "0" || after[j] == "1") << after[j];
      } else if (!(i <= 1 && j <= 1)) {  // the Rename / Dummy pair is below
        EXPECT_EQ(before[j], after[j]) << kToggles[i].key << " changed " << j;
      }
    }
    ASSERT_TRUE(ToggleOptionItem(s, kToggles[i].command));
    EXPECT_EQ(s, SettingsModel{}) << kToggles[i].key;  // twice: as before
  }
}

TEST(OptionItems, CheckingOneOfTheBadRarPairUnchecksTheOtherUncheckingLeavesIt) {
  SettingsModel s;
  ToggleOptionItem(s, CmdMakeDummyRars);
  EXPECT_TRUE(s.makeDummyRar);
  ToggleOptionItem(s, CmdRenameBadRars);  // checked: the other goes
  EXPECT_TRUE(s.renameRar);
  EXPECT_FALSE(s.makeDummyRar);
  ToggleOptionItem(s, CmdRenameBadRars);  // unchecked: the other stays off
  EXPECT_FALSE(s.renameRar);
  EXPECT_FALSE(s.makeDummyRar);
  ToggleOptionItem(s, CmdRenameBadRars);
  ToggleOptionItem(s, CmdMakeDummyRars);
  EXPECT_TRUE(s.makeDummyRar);
  EXPECT_FALSE(s.renameRar);
  // A file that has both on (written by hand): unchecking one leaves the other.
  s.renameRar = true;
  ToggleOptionItem(s, CmdMakeDummyRars);
  EXPECT_FALSE(s.makeDummyRar);
  EXPECT_TRUE(s.renameRar);
}

TEST(OptionItems, ColourItemsSaveUnderTheirKeys) {
  testutil::TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  const std::vector<std::pair<int, const char*>> items = {{CmdColorBackground, "ColorBagground"},
                                                          {CmdColorOk, "ColorOK"},
                                                          {CmdColorBad, "ColorBad"},
                                                          {CmdColorMissing, "ColorMissing"},
                                                          {CmdColorKnownGood, "ColorKnownGood"}};
  SettingsModel s;
  std::uint32_t value = 0x010203;
  for (const auto& [command, key] : items) {
    std::uint32_t* colour = ColourOfItem(s.colours, command);
    ASSERT_NE(colour, nullptr) << key;
    *colour = ++value;
  }
  EXPECT_EQ(ColourOfItem(s.colours, CmdColorsDefault), nullptr);
  EXPECT_EQ(AssociationFlag(s.explorer, CmdColorBad), nullptr);
  SaveSettings(path, s);
  value = 0x010203;
  for (const auto& [command, key] : items) {
    EXPECT_EQ(ReadSettingInt(path, "Colors", key, -1), static_cast<std::int32_t>(++value)) << key;
  }
}

// An input box or file dialog that answers as told and records what it was asked.
struct Scripted {
  std::optional<std::string> answer;
  std::vector<InputRequest> asked;
  int calls = 0;
  AskTextFn Ask() {
    return [this](const InputRequest& r) {
      asked.push_back(r);
      return answer;
    };
  }
  ChooseFileFn File() {
    return [this] {
      ++calls;
      return answer;
    };
  }
};

TEST(OptionItems, IncludeNfoCancelledEndsUncheckedWithNoFileAndUncheckingKeepsTheFile) {
  CreateOptions o;
  Scripted dialog;
  dialog.answer = "C:\\info\\group.nfo";
  IncludeNfoClick(o, dialog.File());
  EXPECT_TRUE(o.includeNfo);
  EXPECT_EQ(o.includeFile, "C:\\info\\group.nfo");
  IncludeNfoClick(o, dialog.File());  // unchecking asks nothing, keeps the file
  EXPECT_EQ(dialog.calls, 1);
  EXPECT_FALSE(o.includeNfo);
  EXPECT_EQ(o.includeFile, "C:\\info\\group.nfo");
  dialog.answer.reset();
  IncludeNfoClick(o, dialog.File());  // checked, then cancelled
  EXPECT_EQ(dialog.calls, 2);
  EXPECT_FALSE(o.includeNfo);
  EXPECT_EQ(o.includeFile, "");
}

TEST(OptionItems, ExcludeTypesAreTakenAsTypedAndACancelKeepsThem) {
  testutil::TempDir dir;
  const std::string path = dir / "ZERAravo.dat";
  SettingsModel s;
  Scripted box;
  EXPECT_FALSE(FileTypesToExcludeClick(s.create, box.Ask()));
  EXPECT_EQ(s.create.excludeTypes, kDefaultExcludeTypes);
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].caption, "File Types To Exclude");
  EXPECT_EQ(box.asked[0].prompt, "Enter The File Types To Exclude From SFV Files\r\nMust be like this : #?.txt");
  EXPECT_EQ(box.asked[0].preset, kDefaultExcludeTypes);
  for (const char* typed : {"#?.txt#?.Nfo", "not a pattern", ""}) {
    box.answer = typed;
    EXPECT_TRUE(FileTypesToExcludeClick(s.create, box.Ask()));
    SaveSettings(path, s);
    // Read back as the creator reads it: an empty value is no default.
    EXPECT_EQ(LoadCreateOptions(path).excludeTypes, typed);
  }
  EXPECT_EQ(box.asked.back().preset, "not a pattern");
}

TEST(OptionItems, DefaultSfvFileNameGetsSfvUnlessItHasItInAnyCase) {
  EXPECT_EQ(WithSfvExtension("check"), "check.sfv");
  EXPECT_EQ(WithSfvExtension("x.txt"), "x.txt.sfv");
  EXPECT_EQ(WithSfvExtension("a.SFV"), "a.SFV");
  EXPECT_EQ(WithSfvExtension("b.sfv"), "b.sfv");
  EXPECT_EQ(WithSfvExtension(""), "");
  EXPECT_EQ(WithSfvExtension("my.release.v2"), "my.release.v2.sfv");
  EXPECT_EQ(WithSfvExtension("x.sfvx"), "x.sfvx.sfv");

  CreateOptions o;
  Scripted box;
  for (const auto& [typed, stored] : std::vector<std::pair<std::string, std::string>>{
           {"check", "check.sfv"}, {"x.txt", "x.txt.sfv"}, {"a.SFV", "a.SFV"}, {"", ""}}) {
    box.answer = typed;
    EXPECT_EQ(SetDefaultSfvFileNameClick(o, box.Ask()), DefaultNameOutcome::Stored) << typed;
    EXPECT_EQ(o.defaultFileName, stored);
  }
  EXPECT_EQ(box.asked[0].caption, "Default File Name");
  EXPECT_EQ(box.asked[0].prompt,
            "Enter The Default File Name For SFV Files\r\nif empty .. the name will be choosen by the program");
  EXPECT_EQ(box.asked[1].preset, "check.sfv");
  o.defaultFileName = "kept.sfv";
  box.answer.reset();
  EXPECT_EQ(SetDefaultSfvFileNameClick(o, box.Ask()), DefaultNameOutcome::Cancelled);
  EXPECT_EQ(o.defaultFileName, "kept.sfv");
}

TEST(OptionItems, ADefaultNameThatLeavesItsFolderIsRefused) {
  CreateOptions o;
  o.defaultFileName = "kept.sfv";
  Scripted box;
  for (const std::string& typed : std::vector<std::string>{"..\\up.sfv", "sub/x", "C:other", "C:\\Windows\\x.sfv", "a?b", "a*", "a|b",
                                  "a<b>", "\"q\"", "tab\there", "..", "."}) {
    box.answer = typed;
    EXPECT_EQ(SetDefaultSfvFileNameClick(o, box.Ask()), DefaultNameOutcome::Refused) << typed;
    EXPECT_EQ(o.defaultFileName, "kept.sfv");
  }
  EXPECT_TRUE(IsPlainFileName("release name (1).sfv"));
  EXPECT_TRUE(IsPlainFileName("..x"));
  EXPECT_TRUE(IsPlainFileName("\xC4rger"));  // ANSI letters are fine
}

}  // namespace
