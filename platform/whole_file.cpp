// Whole-file reads and one-step replacements, the same in both builds.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/fs.h"
#include "platform/page_buffer.h"

namespace platform {

namespace {

// Pieces of whole-file reads and writes.
constexpr std::size_t kWholeFilePiece = 64 * 1024;

}  // namespace

bool WriteAllAligned(File& file, std::string_view bytes, std::string& errorText) {
  if (bytes.empty()) return true;
  const PageBuffer buffer = AllocatePageBuffer(std::min(bytes.size(), kWholeFilePiece));
  while (!bytes.empty()) {
    const std::size_t n = std::min(bytes.size(), kWholeFilePiece);
    std::memcpy(buffer.get(), bytes.data(), n);
    if (!file.Write(buffer.get(), n, errorText)) return false;
    bytes.remove_prefix(n);
  }
  return true;
}

bool ReadPiecesAligned(File& file, std::size_t pieceSize,
                       const std::function<void(const char* piece, std::size_t size)>& take, std::string& errorText) {
  const PageBuffer buffer = AllocatePageBuffer(pieceSize);
  for (;;) {
    std::size_t got = 0;
    if (!file.Read(buffer.get(), pieceSize, got, errorText)) return false;
    if (got == 0) return true;
    take(reinterpret_cast<const char*>(buffer.get()), got);
  }
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  File file = File::Open(path, Access::Read, Share::Read, Disposition::OpenExisting);
  if (!file.IsOpen()) return std::nullopt;
  std::string text, error;
  if (!ReadPiecesAligned(file, kWholeFilePiece, [&text](const char* piece, std::size_t size) { text.append(piece, size); },
                         error)) {
    return std::nullopt;
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
    bool written = WriteAllAligned(file, text, error) && file.Flush(error);
    file.Close();
    if (written) written = ReplaceFileAtomic(temp, path, error);
    if (!written) RemoveFile(temp);
    return written;
  }
  return false;
}

}  // namespace platform
