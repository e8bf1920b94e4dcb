#include "settings/Quor_Config.h"

#include <charconv>

#include "core/Quor_Text.h"
#include "platform/fs.h"
#include "platform/profile.h"

namespace {

constexpr char kSystem[] = "System";
constexpr char kColors[] = "Colors";
constexpr char kWindowSizes[] = "WindowSizes";
constexpr char kCreate[] = "Create";

std::int32_t NormalPriority(std::int32_t priority) {
  return (priority == 0 || priority == 1 || priority == 3) ? priority : 2;
}

std::string TagKey(const char* prefix, int tag) { return prefix + std::to_string(tag); }

// Reads the six Explorer command keys, in their order in the file.
ShellAssociations ReadExplorerCommands(const std::string& path) {
  const ShellAssociations d;
  ShellAssociations c;
  c.RClickOnFoldersCheck = ReadSettingBool(path, kSystem, "RClickOnFoldersCheck", d.RClickOnFoldersCheck);
  c.RClickOnFoldersCheckSpe = ReadSettingBool(path, kSystem, "RClickOnFoldersCheckSpe", d.RClickOnFoldersCheckSpe);
  c.RClickOnFoldersCreate = ReadSettingBool(path, kSystem, "RClickOnFoldersCreate", d.RClickOnFoldersCreate);
  c.RClickOnFoldersCreateSpe =
      ReadSettingBool(path, kSystem, "RClickOnFoldersCreateSpe", d.RClickOnFoldersCreateSpe);
  c.RClickOnFileCheck = ReadSettingBool(path, kSystem, "RClickOnFileCheck", d.RClickOnFileCheck);
  c.RClickOnFileCheckSpe = ReadSettingBool(path, kSystem, "RClickOnFileCheckSpe", d.RClickOnFileCheckSpe);
  return c;
}

}  // namespace

std::string SettingsPath() { return platform::ExecutableFolder() + kSettingsFileName; }

std::string ReadSettingString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& defaultValue) {
  return platform::ReadProfileValue(path, section, key, defaultValue);
}

void WriteSettingString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
  platform::WriteProfileValue(path, section, key, value);
}

std::optional<std::int32_t> ParseSettingInt(const std::string& text) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;  // from_chars takes '-' only
  if (begin == end || (*begin == '-' && begin != text.data())) return std::nullopt;  // "+-5"
  std::int32_t value = 0;
  auto [stop, error] = std::from_chars(begin, end, value, 10);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::int32_t ReadSettingInt(const std::string& path, const std::string& section, const std::string& key,
                            std::int32_t defaultValue) {
  return ParseSettingInt(ReadSettingString(path, section, key, std::string())).value_or(defaultValue);
}

void WriteSettingInt(const std::string& path, const std::string& section, const std::string& key,
                     std::int32_t value) {
  WriteSettingString(path, section, key, std::to_string(value));
}

bool ReadSettingBool(const std::string& path, const std::string& section, const std::string& key,
                     bool defaultValue) {
  return ReadSettingString(path, section, key, defaultValue ? "1" : "0") == "1";
}

void WriteSettingBool(const std::string& path, const std::string& section, const std::string& key,
                      bool value) {
  WriteSettingString(path, section, key, value ? "1" : "0");
}

namespace {

// "DefaultFileName", when it is a plain file name. Anything else (a folder
// part such as "..\\x.sfv", a character Windows refuses) would send new SFV
// files out of their folders: such a value is not taken, and each folder's
// file is named by Quor, as with no name set.
std::string ReadDefaultFileName(const std::string& path) {
  std::string name = ReadSettingString(path, kCreate, "DefaultFileName", CreateOptions().defaultFileName);
  return IsPlainFileName(name) ? name : std::string();
}

}  // namespace

SettingsModel LoadSettings(const std::string& path) {
  const SettingsModel d;
  SettingsModel s;
  s.lastSfvPath = ReadSettingString(path, kSystem, "LastSfvPath", d.lastSfvPath);
  s.autoColumnResize = ReadSettingBool(path, kSystem, "AutoColumnResize", d.autoColumnResize);
  s.showColumnFSize = ReadSettingBool(path, kSystem, "ShowColumnFSize", d.showColumnFSize);
  s.aColumnOrder = ReadSettingString(path, kSystem, "AColumnOrder", d.aColumnOrder);
  s.sColumnOrder = ReadSettingString(path, kSystem, "SColumnOrder", d.sColumnOrder);
  s.showEtaSpeed = ReadSettingBool(path, kSystem, "ShowETASpeed", d.showEtaSpeed);
  s.renameRar = ReadSettingBool(path, kSystem, "RenameRAR", d.renameRar);
  s.makeDummyRar = ReadSettingBool(path, kSystem, "MakeDummyRAR", d.makeDummyRar);
  s.skipKnownGoodFiles = ReadSettingBool(path, kSystem, "SkipKnownGoodFiles", d.skipKnownGoodFiles);
  s.testSubFolders = ReadSettingBool(path, kSystem, "TestSubFolders", d.testSubFolders);

  const ColourTable& dc = kDefaultColours;
  auto colour = [&](const char* key, std::uint32_t fallback) {
    return static_cast<std::uint32_t>(ReadSettingInt(path, kColors, key, static_cast<std::int32_t>(fallback)));
  };
  s.colours.background = colour("ColorBagground", dc.background);
  s.colours.ok = colour("ColorOK", dc.ok);
  s.colours.bad = colour("ColorBad", dc.bad);
  s.colours.missing = colour("ColorMissing", dc.missing);
  s.colours.knownGood = colour("ColorKnownGood", dc.knownGood);

  s.threadPriority = NormalPriority(ReadSettingInt(path, kSystem, "ThreadPriority", d.threadPriority));
  s.explorer = ReadExplorerCommands(path);

  // The window keeps its design place (centred) unless a top edge was saved.
  const std::int32_t top = ReadSettingInt(path, kWindowSizes, "WinPosX", -1);
  if (top >= 0) {
    s.placeWindow = true;
    s.window.top = top;
    s.window.left = ReadSettingInt(path, kWindowSizes, "WinPosY", -1);
    s.window.width = ReadSettingInt(path, kWindowSizes, "WinSizeX", -1);
    s.window.height = ReadSettingInt(path, kWindowSizes, "WinSizeY", -1);
  }

  if (!s.autoColumnResize) {
    for (int tag = 1; tag <= kArchiveColumnTags; ++tag) {
      s.topColumnWidths[tag - 1] = ReadSettingInt(path, kWindowSizes, TagKey("TopColumn", tag), -1);
    }
    for (int tag = 1; tag <= kStatusColumnTags; ++tag) {
      s.lowColumnWidths[tag - 1] = ReadSettingInt(path, kWindowSizes, TagKey("LowColumn", tag), -1);
    }
  }

  s.create.includeFileInfo = ReadSettingBool(path, kCreate, "IncludeFileInfo", d.create.includeFileInfo);
  s.create.includeNfo = ReadSettingBool(path, kCreate, "IncludeNFO", d.create.includeNfo);
  s.create.includeFile = ReadSettingString(path, kCreate, "IncludeFile", d.create.includeFile);
  s.create.excludeTypes = ReadSettingString(path, kCreate, "ExcludeTypes", d.create.excludeTypes);
  s.create.defaultFileName = ReadDefaultFileName(path);
  s.create.listFilesCreated = ReadSettingBool(path, kCreate, "ListFilesCreated", d.create.listFilesCreated);
  return s;
}

void SaveSettings(const std::string& path, const SettingsModel& s) {
  WriteSettingBool(path, kSystem, "RenameRAR", s.renameRar);
  WriteSettingBool(path, kSystem, "MakeDummyRAR", s.makeDummyRar);
  WriteSettingBool(path, kSystem, "TestSubFolders", s.testSubFolders);
  WriteSettingBool(path, kSystem, "SkipKnownGoodFiles", s.skipKnownGoodFiles);
  WriteSettingInt(path, kSystem, "ThreadPriority", NormalPriority(s.threadPriority));
  WriteSettingString(path, kSystem, "LastSfvPath", s.lastSfvPath);
  WriteSettingBool(path, kSystem, "AutoColumnResize", s.autoColumnResize);
  WriteSettingBool(path, kSystem, "ShowColumnFSize", s.showColumnFSize);
  WriteSettingString(path, kSystem, "AColumnOrder", s.aColumnOrder);
  WriteSettingString(path, kSystem, "SColumnOrder", s.sColumnOrder);
  WriteSettingBool(path, kSystem, "ShowETASpeed", s.showEtaSpeed);

  auto colour = [&](const char* key, std::uint32_t value) {
    WriteSettingInt(path, kColors, key, static_cast<std::int32_t>(value));
  };
  colour("ColorBagground", s.colours.background);
  colour("ColorOK", s.colours.ok);
  colour("ColorBad", s.colours.bad);
  colour("ColorMissing", s.colours.missing);
  colour("ColorKnownGood", s.colours.knownGood);

  WriteSettingBool(path, kSystem, "RClickOnFoldersCheck", s.explorer.RClickOnFoldersCheck);
  WriteSettingBool(path, kSystem, "RClickOnFoldersCheckSpe", s.explorer.RClickOnFoldersCheckSpe);
  WriteSettingBool(path, kSystem, "RClickOnFoldersCreate", s.explorer.RClickOnFoldersCreate);
  WriteSettingBool(path, kSystem, "RClickOnFoldersCreateSpe", s.explorer.RClickOnFoldersCreateSpe);
  WriteSettingBool(path, kSystem, "RClickOnFileCheck", s.explorer.RClickOnFileCheck);
  WriteSettingBool(path, kSystem, "RClickOnFileCheckSpe", s.explorer.RClickOnFileCheckSpe);

  WriteSettingInt(path, kWindowSizes, "WinPosX", s.window.top);
  WriteSettingInt(path, kWindowSizes, "WinPosY", s.window.left);
  WriteSettingInt(path, kWindowSizes, "WinSizeX", s.window.width);
  WriteSettingInt(path, kWindowSizes, "WinSizeY", s.window.height);
  for (int tag = 1; tag <= kArchiveColumnTags; ++tag) {
    WriteSettingInt(path, kWindowSizes, TagKey("TopColumn", tag),
                    s.topColumnWidths[tag - 1].value_or(kMissingColumnWidth));
  }
  for (int tag = 1; tag <= kStatusColumnTags; ++tag) {
    WriteSettingInt(path, kWindowSizes, TagKey("LowColumn", tag),
                    s.lowColumnWidths[tag - 1].value_or(kMissingColumnWidth));
  }

  WriteSettingBool(path, kCreate, "IncludeFileInfo", s.create.includeFileInfo);
  WriteSettingBool(path, kCreate, "IncludeNFO", s.create.includeNfo);
  WriteSettingString(path, kCreate, "IncludeFile", s.create.includeFile);
  WriteSettingString(path, kCreate, "ExcludeTypes", s.create.excludeTypes);
  WriteSettingString(path, kCreate, "DefaultFileName", s.create.defaultFileName);
  WriteSettingBool(path, kCreate, "ListFilesCreated", s.create.listFilesCreated);
}

PickListPlacement LoadPickListPlacement(const std::string& path) {
  PickListPlacement p;
  p.left = ReadSettingInt(path, kWindowSizes, "ChkBoxPosX", -1);
  p.top = ReadSettingInt(path, kWindowSizes, "ChkBoxPosY", -1);
  p.width = ReadSettingInt(path, kWindowSizes, "ChkBoxSizeX", -1);
  p.height = ReadSettingInt(path, kWindowSizes, "ChkBoxSizeY", -1);
  return p;
}

void SavePickListPlacement(const std::string& path, const PickListPlacement& p) {
  WriteSettingInt(path, kWindowSizes, "ChkBoxPosX", p.left);
  WriteSettingInt(path, kWindowSizes, "ChkBoxPosY", p.top);
  WriteSettingInt(path, kWindowSizes, "ChkBoxSizeX", p.width);
  WriteSettingInt(path, kWindowSizes, "ChkBoxSizeY", p.height);
}

CreateOptions LoadCreateOptions(const std::string& path) {
  const CreateOptions d;
  CreateOptions c;
  c.defaultFileName = ReadDefaultFileName(path);
  c.includeFileInfo = ReadSettingBool(path, kCreate, "IncludeFileInfo", d.includeFileInfo);
  c.includeNfo = ReadSettingBool(path, kCreate, "IncludeNFO", d.includeNfo);
  c.includeFile = ReadSettingString(path, kCreate, "IncludeFile", d.includeFile);
  c.excludeTypes = ReadSettingString(path, kCreate, "ExcludeTypes", d.excludeTypes);
  return c;
}

bool LoadListFilesCreated(const std::string& path) {
  return ReadSettingBool(path, kCreate, "ListFilesCreated", CreateOptions().listFilesCreated);
}
