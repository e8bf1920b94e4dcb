// The few settings-file reads and writes the windows of this layer need,
// with the file's rules: a missing key gives the default, a bool is true
// exactly when its text is "1", an integer that does not parse gives the
// default. One narrow seam, so the windows do not depend on how the
// settings file is read.
#pragma once

#include <string>

namespace gui {

std::string ReadSettingsText(const std::string& path, const char* section, const char* key,
                             const std::string& fallback);
bool ReadSettingsBool(const std::string& path, const char* section, const char* key, bool fallback);
int ReadSettingsInt(const std::string& path, const char* section, const char* key, int fallback);
void WriteSettingsInt(const std::string& path, const char* section, const char* key, int value);

// The settings file of this program: the executable's folder + "ZERAravo.dat".
std::string SettingsFilePath();

}  // namespace gui
