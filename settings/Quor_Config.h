// The settings file "ZERAravo.dat" beside the executable: the six helpers
// through which every access goes, the settings model with every key's
// default, and the loads and saves of its three users (the main window, the
// creator process and the pick list). Nothing is cached: every helper call
// opens the file anew, so one process sees what another saved before.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "shell/Quor_Associations.h"  // ShellAssociations: the six Explorer command keys

inline constexpr char kSettingsFileName[] = "ZERAravo.dat";

// The executable's folder followed by "ZERAravo.dat".
std::string SettingsPath();

// Each helper takes the file's full path, the section and the key.
// ReadSettingString: the value (at most 2047 characters), or defaultValue
// when the key is missing; a key with an empty value gives "".
std::string ReadSettingString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue);
// Failures (a read-only file or folder) are ignored.
void WriteSettingString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);
// The value as a decimal 32-bit integer; defaultValue when the key is
// missing or its text is not one.
std::int32_t ReadSettingInt(const std::string& path, const std::string& section, const std::string& key,
                            std::int32_t defaultValue);
void WriteSettingInt(const std::string& path, const std::string& section, const std::string& key,
                     std::int32_t value);
// True exactly when the text is "1" ("yes", "true" and "" are false); the
// default stands in for a missing key.
bool ReadSettingBool(const std::string& path, const std::string& section, const std::string& key,
                     bool defaultValue);
void WriteSettingBool(const std::string& path, const std::string& section, const std::string& key,
                      bool value);

// Parses a decimal 32-bit integer: an optional sign and digits, nothing
// else. Nothing when the text is not one or is out of range.
std::optional<std::int32_t> ParseSettingInt(const std::string& text);

// The main window's five row colours, 0x00BBGGRR values, in this order.
struct ColourTable {
  std::uint32_t background = 0x000000;  // black; also the text of blank rows
  std::uint32_t ok = 0x00FF00;          // green
  std::uint32_t bad = 0x0000FF;         // red
  std::uint32_t missing = 0xC0C0C0;     // silver
  std::uint32_t knownGood = 0x00FFEE;   // yellow

  bool operator==(const ColourTable&) const = default;
};
// "Back to default" puts these back.
inline constexpr ColourTable kDefaultColours{};


// The main window's place and size. The file keeps the top edge under
// "WinPosX" and the left edge under "WinPosY".
struct MainWindowRect {
  std::int32_t top = -1;     // "WinPosX"
  std::int32_t left = -1;    // "WinPosY"
  std::int32_t width = -1;   // "WinSizeX"
  std::int32_t height = -1;  // "WinSizeY"

  bool operator==(const MainWindowRect&) const = default;
};

// The pick-list dialog's place and size ("ChkBoxPosX", "ChkBoxPosY",
// "ChkBoxSizeX", "ChkBoxSizeY"); -1 where nothing was saved.
struct PickListPlacement {
  std::int32_t left = -1;
  std::int32_t top = -1;
  std::int32_t width = -1;
  std::int32_t height = -1;

  bool operator==(const PickListPlacement&) const = default;
};

inline constexpr char kDefaultExcludeTypes[] = "#?.DIZ#?.NFO#?.JPG#?.TXT";

// The options of section "Create", which the creator process reads too.
struct CreateOptions {
  bool includeFileInfo = false;                    // "IncludeFileInfo"
  bool includeNfo = false;                         // "IncludeNFO"
  std::string includeFile;                         // "IncludeFile"
  std::string excludeTypes = kDefaultExcludeTypes;  // "ExcludeTypes"
  std::string defaultFileName;                     // "DefaultFileName"; read as "" unless a plain file name
  bool listFilesCreated = false;                   // "ListFilesCreated"

  bool operator==(const CreateOptions&) const = default;
};

inline constexpr int kArchiveColumnTags = 4;  // "TopColumn1".."TopColumn4"
inline constexpr int kStatusColumnTags = 5;   // "LowColumn1".."LowColumn5"
// Width saved for a column tag that no column has.
inline constexpr std::int32_t kMissingColumnWidth = 80;

// Every key of the settings file, with its default.
struct SettingsModel {
  // "System"
  std::string lastSfvPath;              // "LastSfvPath": folder with trailing separator
  bool autoColumnResize = true;         // "AutoColumnResize": "Auto" (true) or "Manual"
  bool showColumnFSize = false;         // "ShowColumnFSize": "Show File Size"
  std::string aColumnOrder = "1243";    // "AColumnOrder": ArchiveList column tags in display order
  std::string sColumnOrder = "12345";   // "SColumnOrder": StatusList column tags in display order
  bool showEtaSpeed = false;            // "ShowETASpeed"
  bool renameRar = false;               // "RenameRAR": "Rename Bad Rar(s)"
  bool makeDummyRar = false;            // "MakeDummyRAR": "Make Dummy of Bad Rar(s)"
  bool skipKnownGoodFiles = true;       // "SkipKnownGoodFiles"
  bool testSubFolders = true;           // "TestSubFolders": "Check Sub-folders"
  std::int32_t threadPriority = 2;      // "ThreadPriority": 0 Idle, 1 Above Idle, 2 Below Normal, 3 Normal
  ShellAssociations explorer;           // the six "RClickOn..." keys, one member per key

  // "Colors"
  ColourTable colours;

  // "WindowSizes"
  // Loading sets placeWindow when "WinPosX" is 0 or more; only then are the
  // other three read, and the window takes this place and size instead of
  // opening centred. Saving writes the rect as the window filled it in.
  MainWindowRect window;
  bool placeWindow = false;
  // Column widths by tag (index 0 is tag 1). Loading fills them only in
  // "Manual" mode (-1 for a missing key); an empty entry means nothing to
  // apply. For saving the window fills in the width of every tag it has a
  // column for; an empty entry is saved as kMissingColumnWidth.
  std::array<std::optional<std::int32_t>, kArchiveColumnTags> topColumnWidths;
  std::array<std::optional<std::int32_t>, kStatusColumnTags> lowColumnWidths;
  // The pick list's four keys; LoadSettings and SaveSettings leave them
  // alone (see LoadPickListPlacement).
  PickListPlacement pickList;

  // "Create"
  CreateOptions create;

  bool operator==(const SettingsModel&) const = default;
};

// The main window's load: every key but the pick list's, in the order the
// main window has always read them, starting from the defaults above.
// "ThreadPriority" other than 0, 1 or 3 is read as 2.
SettingsModel LoadSettings(const std::string& path);

// The main window's save: every key but the pick list's, always all of
// them, in the order that decides where keys land in a file that lacks
// them ("System", "Colors", "WindowSizes", "Create"). A thread priority
// outside 0..3 is saved as 2.
void SaveSettings(const std::string& path, const SettingsModel& settings);

// The pick list's keys, read when a process starts and written back, in the
// same order, when it ends.
PickListPlacement LoadPickListPlacement(const std::string& path);
void SavePickListPlacement(const std::string& path, const PickListPlacement& placement);

// What the creator process reads when its run starts: "DefaultFileName",
// "IncludeFileInfo", "IncludeNFO", "IncludeFile", "ExcludeTypes".
// listFilesCreated keeps its default; it is read at the run's end:
CreateOptions LoadCreateOptions(const std::string& path);
bool LoadListFilesCreated(const std::string& path);
