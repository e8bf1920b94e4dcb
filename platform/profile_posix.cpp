// POSIX implementation of platform/profile.h on the engine of profile_ini.h.
// A write replaces the whole file in one step (ReplaceWholeFile), so a crash
// or a full disk leaves the old file or the new one, never a cut one. The
// file is read like any text from outside (UTF-8, else Windows-1252) and
// written in UTF-8.
#include "platform/fs.h"
#include "platform/profile.h"
#include "platform/profile_ini.h"
#include "platform/text.h"

namespace platform {

std::string ReadProfileValue(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
  std::optional<std::string> value;
  if (std::optional<std::string> bytes = ReadWholeFile(path)) {
    value = IniFindValue(DecodeFileText(*bytes), section, key);
  }
  std::string result = value ? std::move(*value) : defaultValue;
  if (result.size() > kProfileValueMax) result.resize(kProfileValueMax);
  return result;
}

bool WriteProfileValue(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
  if (!IsStorableProfileText(section, key, value)) return false;
  std::string text;
  if (std::optional<DirEntry> entry = FindEntry(path)) {
    // A read-only settings file stays as it is, as it does on Windows.
    if (entry->isFolder || (entry->attributes & kAttrReadOnly)) return false;
    std::optional<std::string> old = ReadWholeFile(path);
    if (!old) return false;
    text = DecodeFileText(*old);
  }
  return ReplaceWholeFile(path, EncodeFileText(IniSetValue(text, section, key, value)));
}

}  // namespace platform
