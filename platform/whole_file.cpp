// Whole-file reads and one-step replacements, the same in both builds.
#include <unistd.h>

#include <atomic>

#include "platform/fs.h"

namespace platform {

std::optional<std::string> ReadWholeFile(const std::string& path) {
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

bool ReplaceWholeFile(const std::string& path, const std::string& text) {
  static std::atomic<unsigned> counter{0};
  std::string error;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string temp = path + kWholeFileTemporaryMarker + std::to_string(getpid()) + "-" + std::to_string(counter++);
    File file = File::Open(temp, Access::Write, Share::None, Disposition::CreateNew);
    if (!file.IsOpen()) {
      if (LookUpPath(temp)) continue;  // a leftover of another process: try the next name
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

}  // namespace platform
