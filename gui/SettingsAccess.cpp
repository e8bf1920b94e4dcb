#include "gui/SettingsAccess.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>

#include "platform/fs.h"

namespace gui {

namespace {

constexpr char kMissing[] = "\x01missing\x01";

// The value of the key, or nothing when the key is not in the file.
bool ReadRaw(const std::string& path, const char* section, const char* key, std::string& value) {
  char buffer[2048];
  GetPrivateProfileStringA(section, key, kMissing, buffer, sizeof buffer, path.c_str());
  value = buffer;
  return value != kMissing;
}

}  // namespace

std::string ReadSettingsText(const std::string& path, const char* section, const char* key,
                             const std::string& fallback) {
  std::string value;
  return ReadRaw(path, section, key, value) ? value : fallback;
}

bool ReadSettingsBool(const std::string& path, const char* section, const char* key, bool fallback) {
  return ReadSettingsText(path, section, key, fallback ? "1" : "0") == "1";
}

int ReadSettingsInt(const std::string& path, const char* section, const char* key, int fallback) {
  std::string value;
  if (!ReadRaw(path, section, key, value) || value.empty()) return fallback;
  errno = 0;
  char* end = nullptr;
  const long long number = std::strtoll(value.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || number < INT32_MIN || number > INT32_MAX) return fallback;
  return static_cast<int>(number);
}

void WriteSettingsInt(const std::string& path, const char* section, const char* key, int value) {
  WritePrivateProfileStringA(section, key, std::to_string(value).c_str(), path.c_str());
}

std::string SettingsFilePath() { return platform::ExecutableFolder() + "ZERAravo.dat"; }

}  // namespace gui
