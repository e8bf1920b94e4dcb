#include "TestUtil.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include "platform/fs.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/text.h"
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace testutil {

namespace {

#ifdef _WIN32
// The Linux path of a path when running under Wine; "" on Windows.
std::string WineUnixPath(const std::string& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
  if (!found) return "";
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(found));
  char* unixPath = toUnix(platform::Widen(path).c_str());
  if (!unixPath) return "";
  std::string result = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

// Wine's CreateSymbolicLinkW makes nothing and its delete functions cannot
// remove a link to a folder, but Wine runs Linux programs. Starts the Linux
// command on the Linux spelling of the paths; false on Windows. Wine does
// not wait for a Linux program, so the caller waits for what it does.
bool StartUnderWine(const std::string& command, const std::vector<std::string>& paths) {
  std::string line = "Z:\\bin\\" + command;
  for (const std::string& path : paths) {
    const std::string unixPath = WineUnixPath(path);
    if (unixPath.empty()) return false;
    line += " \"" + unixPath + "\"";
  }
  std::wstring wide = platform::Widen(line);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// Waits (bounded) until something stands at the path, or nothing does.
bool SoonThere(const std::string& path, bool there) {
  for (int i = 0; i < 1000; ++i) {
    if (platform::FindEntry(path).has_value() == there) return true;
    Sleep(10);
  }
  return false;
}

void RemoveLink(const std::string& path) {
  if (platform::RemoveFolder(path) || platform::RemoveFile(path)) return;
  if (StartUnderWine("rm -f", {path})) SoonThere(path, false);
}
#else
void RemoveLink(const std::string& path) { platform::RemoveFile(path); }
#endif

}  // namespace

bool MakeFolderLink(const std::string& link, const std::string& target) {
#ifdef _WIN32
  const DWORD flags = SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  if (CreateSymbolicLinkW(platform::Widen(link).c_str(), platform::Widen(target).c_str(), flags) &&
      platform::FindEntry(link)) {
    return true;
  }
  return StartUnderWine("ln -s", {target, link}) && SoonThere(link, true);
#else
  return symlink(target.c_str(), link.c_str()) == 0;
#endif
}

#ifndef _WIN32
bool MakeFileLink(const std::string& link, const std::string& target) {
  return symlink(target.c_str(), link.c_str()) == 0;
}

std::vector<std::string> MakeSpecialFiles(const std::string& folder, const std::string& suffix) {
  const std::string base = !folder.empty() && platform::IsPathSep(folder.back()) ? folder : folder + '/';
  const std::vector<std::string> paths = {base + "zero" + suffix, base + "urandom" + suffix, base + "fifo" + suffix};
  const bool made = symlink("/dev/zero", paths[0].c_str()) == 0 && symlink("/dev/urandom", paths[1].c_str()) == 0 &&
                    mkfifo(paths[2].c_str(), 0600) == 0;
  return made ? paths : std::vector<std::string>();
}
#endif

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
    if (entry.isLink) {
      RemoveLink(base + entry.name);
    } else if (entry.isFolder) {
      RemoveTree(base + entry.name);
    } else {
      platform::ClearAttributes(base + entry.name);
      platform::RemoveFile(base + entry.name);
    }
  }
  base.pop_back();
  platform::RemoveFolder(base);
}

#ifdef _WIN32
UnopenableFile::UnopenableFile(const std::string& path) {
  WriteBytes(path, "locked");
  lock_ = platform::File::Open(path, platform::Access::Read, platform::Share::None, platform::Disposition::OpenExisting);
  ready_ = lock_.IsOpen();
}

UnopenableFile::~UnopenableFile() = default;
#else
UnopenableFile::UnopenableFile(const std::string& path) : socket_(socket(AF_UNIX, SOCK_STREAM, 0)) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socket_ < 0 || path.size() >= sizeof address.sun_path) return;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ready_ = bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

UnopenableFile::~UnopenableFile() {
  if (socket_ >= 0) close(socket_);
}
#endif

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  platform::ListFolder(folder, [&](const platform::DirEntry& entry) {
    if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
  });
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace testutil
