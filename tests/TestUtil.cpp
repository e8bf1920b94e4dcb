#include "TestUtil.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>

#include "platform/fs.h"

namespace testutil {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = platform::TempFolder() + "quor-test-" + std::to_string(stamp) + "-" +
                            std::to_string(counter++);
    if (platform::CreateFolder(candidate)) {
      path_ = candidate + platform::kPathSep;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::operator/(const std::string& relative) const {
  std::string path = path_ + relative;
  for (char& c : path) {
    if (c == '/') c = platform::kPathSep;
  }
  return path;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  platform::File file = platform::File::Open(path, platform::Access::Write, platform::Share::Read,
                                             platform::Disposition::CreateAlways);
  std::string error;
  if (!file.IsOpen() || !file.Write(bytes.data(), bytes.size(), error)) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::string ReadBytes(const std::string& path) {
  platform::File file = platform::File::Open(path, platform::Access::Read, platform::Share::ReadWrite,
                                             platform::Disposition::OpenExisting);
  if (!file.IsOpen()) throw std::runtime_error("cannot read " + path);
  std::string bytes;
  char buffer[65536];
  std::string error;
  std::size_t got = 0;
  while (file.Read(buffer, sizeof buffer, got, error) && got > 0) bytes.append(buffer, got);
  return bytes;
}

void MakeFolder(const std::string& path) {
  if (!platform::FolderExists(path) && !platform::CreateFolder(path)) {
    throw std::runtime_error("cannot create " + path);
  }
}

void RemoveTree(const std::string& path) {
  std::string base = path;
  if (base.empty()) return;
  if (!platform::IsPathSep(base.back())) base += platform::kPathSep;
  std::vector<platform::DirEntry> entries;
  platform::ListFolder(base, [&](const platform::DirEntry& entry) { entries.push_back(entry); });
  for (const platform::DirEntry& entry : entries) {
    if (entry.name == "." || entry.name == "..") continue;
    if (entry.isFolder) {
      RemoveTree(base + entry.name);
    } else {
      platform::ClearAttributes(base + entry.name);
      platform::RemoveFile(base + entry.name);
    }
  }
  base.pop_back();
  platform::RemoveFolder(base);
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  platform::ListFolder(folder, [&](const platform::DirEntry& entry) {
    if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
  });
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace testutil
