// POSIX implementation of platform/profile.h on the engine of profile_ini.h.
// A write puts the whole new text into a temporary file beside the target,
// flushes it and renames it over the target, so a crash or a full disk
// leaves the old file or the new one, never a cut one.
#include <unistd.h>

#include <atomic>

#include "platform/fs.h"
#include "platform/profile.h"
#include "platform/profile_ini.h"

namespace platform {
namespace {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWhole(const std::string& path) {
  File file = File::Open(path, Access::Read, Share::Read, Disposition::OpenExisting);
  if (!file.IsOpen()) return std::nullopt;
  std::string text;
  char buffer[16384];
  std::string error;
  for (;;) {
    std::size_t got = 0;
    if (!file.Read(buffer, sizeof buffer, got, error)) return std::nullopt;
    if (got == 0) break;
    text.append(buffer, got);
  }
  return text;
}

bool ReplaceWhole(const std::string& path, const std::string& text) {
  static std::atomic<unsigned> counter{0};
  std::string error;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string temp = path + ".~" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    File file = File::Open(temp, Access::Write, Share::None, Disposition::CreateNew);
    if (!file.IsOpen()) {
      if (FindEntry(temp)) continue;  // a leftover of another process: try the next name
      return false;
    }
    bool written = file.Write(text.data(), text.size(), error) && file.Flush(error);
    file.Close();
    if (written) written = ReplaceFileAtomic(temp, path, error);
    if (!written) RemoveFile(temp);
    return written;
  }
  return false;
}

}  // namespace

std::string ReadProfileValue(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
  std::optional<std::string> value;
  if (std::optional<std::string> text = ReadWhole(path)) value = IniFindValue(*text, section, key);
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
    std::optional<std::string> old = ReadWhole(path);
    if (!old) return false;
    text = std::move(*old);
  }
  return ReplaceWhole(path, IniSetValue(text, section, key, value));
}

}  // namespace platform
