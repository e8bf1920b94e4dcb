// Win32 implementation of platform/fs.h, over the wide (...W) functions:
// paths are UTF-8 here and go through WidePath, which also makes long paths
// reachable.
#include "platform/fs.h"
#include "platform/page_buffer.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>

#include "platform/text.h"

namespace platform {
namespace {

std::uint64_t ToU64(const FILETIME& ft) {
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME ToFileTimeStruct(std::uint64_t value) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(value);
  ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return ft;
}

// A reparse point that stands for another file or folder: a symbolic link,
// a junction, a mount point (their tags are "name surrogates"). Other reparse
// points, such as cloud-storage placeholders, are the file or folder itself.
// Wine shows the Linux symbolic links as reparse points with tag 0, which no
// real reparse point has.
bool IsLink(const WIN32_FIND_DATAW& data) {
  if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  return data.dwReserved0 == 0 || IsReparseTagNameSurrogate(data.dwReserved0);
}

// The facts both WIN32_FIND_DATAW and WIN32_FILE_ATTRIBUTE_DATA carry, under
// the same field names.
template <class Data>
DirEntry EntryOf(const Data& data) {
  DirEntry entry;
  entry.attributes = data.dwFileAttributes;
  entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.sizeLow = data.nFileSizeLow;
  entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  entry.creationTime = ToU64(data.ftCreationTime);
  entry.lastWriteTime = ToU64(data.ftLastWriteTime);
  return entry;
}

DirEntry FromFindData(const WIN32_FIND_DATAW& data) {
  DirEntry entry = EntryOf(data);
  entry.name = Narrow(data.cFileName);
  entry.isLink = IsLink(data);
  return entry;
}

std::string ErrorText(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string result = n && text ? Narrow(std::wstring_view(text, n)) : "System error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!result.empty() && (result.back() == '\r' || result.back() == '\n' || result.back() == ' ')) {
    result.pop_back();
  }
  return result;
}

HANDLE AsHandle(void* h) { return static_cast<HANDLE>(h); }

// True when the path holds "*" or "?" (past a "\\?\" prefix), which
// FindFirstFileW would take as a pattern.
bool HasWildcard(std::string_view path) {
  if (path.substr(0, 4) == "\\\\?\\") path.remove_prefix(4);
  return path.find_first_of("*?") != std::string_view::npos;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(WidePath(path).c_str()); }

// A string filled by a system call that says how much room it needs.
template <typename Fill>
std::wstring GrowingBuffer(Fill fill) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::wstring();
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(n > buffer.size() ? n : buffer.size() * 2);
  }
}

}  // namespace

std::optional<DirEntry> FindEntry(const std::string& path) {
  if (path.empty() || HasWildcard(path)) return std::nullopt;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(WidePath(path).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(find);
  return FromFindData(data);
}

namespace {

// What NtQueryFullAttributesFile gives: the facts of GetFileAttributesExW
// and the change time, which no Win32 look-up by path returns.
struct NetworkOpenInfo {
  LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime, allocationSize, endOfFile;
  ULONG fileAttributes;
};

// The ntdll functions the look-ups and positioned reads call, found once;
// null where ntdll lacks them, and the Win32 calls stand in.
struct Ntdll {
  using Query = LONG(NTAPI*)(POBJECT_ATTRIBUTES, NetworkOpenInfo*);
  using ToNtPath = BOOLEAN(NTAPI*)(PCWSTR, PUNICODE_STRING, PWSTR*, void*);
  using FreeString = void(NTAPI*)(PUNICODE_STRING);
  using Read = LONG(NTAPI*)(HANDLE, HANDLE, void*, void*, PIO_STATUS_BLOCK, void*, ULONG, PLARGE_INTEGER, PULONG);
  using ToDosError = ULONG(NTAPI*)(LONG);
  Query query = nullptr;
  ToNtPath toNtPath = nullptr;
  FreeString freeString = nullptr;
  Read read = nullptr;
  ToDosError toDosError = nullptr;

  Ntdll() {
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
      query = Find<Query>(ntdll, "NtQueryFullAttributesFile");
      toNtPath = Find<ToNtPath>(ntdll, "RtlDosPathNameToNtPathName_U");
      freeString = Find<FreeString>(ntdll, "RtlFreeUnicodeString");
      read = Find<Read>(ntdll, "NtReadFile");
      toDosError = Find<ToDosError>(ntdll, "RtlNtStatusToDosError");
    }
  }
  // NtQueryFullAttributesFile looks a path up with its change time, which
  // GetFileAttributesExW does not give.
  bool CanLookUp() const { return query && toNtPath && freeString; }
  bool CanReadAt() const { return read && toDosError; }

 private:
  template <class Function>
  static Function Find(HMODULE ntdll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ntdll, name)));
  }
};

const Ntdll& Nt() {
  static const Ntdll nt;
  return nt;
}

// The look-up as GetFileAttributesExW makes it (the same name rules: the
// path is turned into the system's own form as every Win32 call turns it),
// with the change time too. Nullopt when the path cannot be turned into
// that form or names nothing.
std::optional<DirEntry> LookUpWithChangeTime(const std::wstring& widePath) {
  const Ntdll& nt = Nt();
  UNICODE_STRING ntPath{};
  if (!nt.toNtPath(widePath.c_str(), &ntPath, nullptr, nullptr)) return std::nullopt;
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &ntPath, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
  NetworkOpenInfo info{};
  const LONG status = nt.query(&object, &info);
  nt.freeString(&ntPath);
  if (status < 0) return std::nullopt;
  DirEntry entry;
  entry.attributes = info.fileAttributes;
  entry.isFolder = (info.fileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.size = static_cast<std::uint64_t>(info.endOfFile.QuadPart);
  entry.sizeLow = static_cast<std::uint32_t>(entry.size);
  entry.creationTime = static_cast<std::uint64_t>(info.creationTime.QuadPart);
  entry.lastWriteTime = static_cast<std::uint64_t>(info.lastWriteTime.QuadPart);
  entry.changeTime = static_cast<std::uint64_t>(info.changeTime.QuadPart);
  return entry;
}

}  // namespace

std::optional<DirEntry> LookUpPath(const std::string& path) {
  if (path.empty() || HasWildcard(path)) return std::nullopt;
  const std::wstring widePath = WidePath(path);
  std::optional<DirEntry> entry;
  if (Nt().CanLookUp()) {
    // A folder's size is not its own: GetFileAttributesExW gives 0 for it.
    entry = LookUpWithChangeTime(widePath);
    if (entry && entry->isFolder) entry->size = entry->sizeLow = 0;
  } else {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(widePath.c_str(), GetFileExInfoStandard, &data)) entry = EntryOf(data);
  }
  if (!entry) return std::nullopt;
  std::size_t slash = path.find_last_of("\\/");
  entry->name = slash == std::string::npos ? path : path.substr(slash + 1);
  return entry;
}

std::string VolumeId(const std::string& path) {
  if (path.empty()) return std::string();
  wchar_t root[MAX_PATH + 1];
  if (!GetVolumePathNameW(WidePath(path).c_str(), root, MAX_PATH + 1)) return std::string();
  DWORD serial = 0;
  if (!GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return std::string();
  char text[12];
  std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(serial));
  return text;
}

std::string FileNameKey(const std::string& name) {
  std::wstring wide = Widen(name);
  if (wide.empty()) return name;
  std::wstring upper(wide.size(), L'\0');
  const int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.c_str(), static_cast<int>(wide.size()),
                              upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
  return n == static_cast<int>(upper.size()) ? Narrow(upper) : name;
}

bool ListFolder(const std::string& folder, const std::function<void(const DirEntry&)>& visit) {
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += "*.*";
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(WidePath(pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    visit(FromFindData(data));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return true;
}

bool FileExists(const std::string& path) {
  DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

File::~File() { Close(); }

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = INVALID_HANDLE_VALUE;
  }
  return *this;
}

File File::Open(const std::string& path, Access access, Share share, Disposition disposition,
                bool sequential) {
  DWORD desired = access == Access::Read ? GENERIC_READ : GENERIC_WRITE;
  DWORD shareMode = share == Share::None   ? 0
                    : share == Share::Read ? FILE_SHARE_READ
                                           : FILE_SHARE_READ | FILE_SHARE_WRITE;
  DWORD create = OPEN_EXISTING;
  switch (disposition) {
    case Disposition::OpenExisting: create = OPEN_EXISTING; break;
    case Disposition::OpenAlways: create = OPEN_ALWAYS; break;
    case Disposition::CreateAlways: create = CREATE_ALWAYS; break;
    case Disposition::CreateNew: create = CREATE_NEW; break;
  }
  DWORD flags = FILE_ATTRIBUTE_NORMAL | (sequential ? FILE_FLAG_SEQUENTIAL_SCAN : 0);
  File file;
  if (path.empty()) return file;
  file.handle_ = CreateFileW(WidePath(path).c_str(), desired, shareMode, nullptr, create, flags, nullptr);
  return file;
}

bool File::IsOpen() const { return AsHandle(handle_) != INVALID_HANDLE_VALUE; }

namespace {

// Fills the buffer up to size bytes, short only at the end: readSome(out,
// count, done, n) reads up to count bytes after the done ones into out,
// setting n, and fails as ReadFile does (the reason in GetLastError).
template <class ReadSome>
bool FillBuffer(ReadSome readSome, void* buffer, std::size_t size, std::size_t& got, std::string& errorText) {
  got = 0;
  auto* out = static_cast<char*>(buffer);
  while (got < size) {
    DWORD chunk = static_cast<DWORD>(size - got > 0x40000000 ? 0x40000000 : size - got);
    DWORD n = 0;
    if (!readSome(out + got, chunk, got, n)) {
      errorText = ErrorText(GetLastError());
      return false;
    }
    if (n == 0) break;
    got += n;
  }
  return true;
}

}  // namespace

bool File::Read(void* buffer, std::size_t size, std::size_t& got, std::string& errorText) {
  NoteTransferBuffer(buffer);
  return FillBuffer(
      [this](char* out, DWORD count, std::size_t, DWORD& n) {
        return ReadFile(AsHandle(handle_), out, count, &n, nullptr) != 0;
      },
      buffer, size, got, errorText);
}

namespace {

constexpr LONG kStatusEndOfFile = static_cast<LONG>(0xC0000011);

// ReadFile with an OVERLAPPED position queues a completion for every read,
// which under Wine is a round trip to its server: 1 GiB from the page cache
// took 0.22 s in 1 MiB reads that way against 0.14 s from the file position.
// NtReadFile given the position and no completion context reads as fast as
// the plain ReadFile (0.14 s; a probe timing the three ways, best of 15).
//
// One positioned read of up to count bytes, failing as ReadFile does.
bool ReadFileAt(HANDLE handle, std::uint64_t from, char* out, DWORD count, DWORD& n) {
  const Ntdll& nt = Nt();
  n = 0;
  if (!nt.CanReadAt()) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(from);
    at.OffsetHigh = static_cast<DWORD>(from >> 32);
    if (ReadFile(handle, out, count, &n, &at)) return true;
    return GetLastError() == ERROR_HANDLE_EOF;  // a read from the end on: nothing more
  }
  IO_STATUS_BLOCK io = {};
  LARGE_INTEGER offset;
  offset.QuadPart = static_cast<LONGLONG>(from);
  const LONG status = nt.read(handle, nullptr, nullptr, nullptr, &io, out, count, &offset, nullptr);
  if (status == kStatusEndOfFile) return true;
  if (status < 0) {
    SetLastError(nt.toDosError(status));
    return false;
  }
  n = static_cast<DWORD>(io.Information);
  return true;
}

// Windows cannot be asked whether a file's bytes are in memory, so a read
// that came at the speed of memory counts as one that found them there.
// From the page cache 1 MiB comes in about 0.14 ms under Wine (7-9 GB/s);
// a hard disk or a SATA SSD needs 2 ms and more. A read slower than 1 GB/s
// (but never held to less than 0.1 ms, which a call alone may take) counts
// as one from the disk, and so does one the thread lost its processor
// during: either way the caller is better off reading on alone.
constexpr std::int64_t kMemoryReadNanosecondsPerByte = 1;
constexpr std::int64_t kShortestReadMicroseconds = 100;

}  // namespace

bool File::ReadAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got, std::string& errorText) {
  NoteTransferBuffer(buffer);
  return FillBuffer(
      [this, offset](char* out, DWORD count, std::size_t done, DWORD& n) {
        return ReadFileAt(AsHandle(handle_), offset + done, out, count, n);
      },
      buffer, size, got, errorText);
}

bool File::ReadCachedAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got) {
  const auto start = std::chrono::steady_clock::now();
  std::string errorText;
  if (!ReadAt(offset, buffer, size, got, errorText)) {
    got = 0;
    return false;
  }
  const auto allowed = std::max(std::chrono::nanoseconds(kMemoryReadNanosecondsPerByte * static_cast<std::int64_t>(size)),
                                std::chrono::nanoseconds(std::chrono::microseconds(kShortestReadMicroseconds)));
  if (std::chrono::steady_clock::now() - start > allowed) {
    got = 0;
    return false;
  }
  return true;
}

// Windows has no call that says how much of a file is in its cache, and
// reads without it (FILE_FLAG_NO_BUFFERING) need a handle opened so.
std::optional<File::CacheState> File::CachedBytes() { return std::nullopt; }

bool File::ReadDirectAt(std::uint64_t, void*, std::size_t, std::size_t& got) {
  got = 0;
  return false;
}

bool File::Write(const void* data, std::size_t size, std::string& errorText) {
  NoteTransferBuffer(data);
  const auto* in = static_cast<const char*>(data);
  while (size > 0) {
    DWORD chunk = static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size);
    DWORD n = 0;
    if (!WriteFile(AsHandle(handle_), in, chunk, &n, nullptr) || n == 0) {
      errorText = ErrorText(GetLastError());
      return false;
    }
    in += n;
    size -= n;
  }
  return true;
}

bool File::Truncate(std::string& errorText) {
  if (!SetEndOfFile(AsHandle(handle_))) {
    errorText = ErrorText(GetLastError());
    return false;
  }
  return true;
}

bool File::SetSize(std::uint64_t size, std::string& errorText) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(AsHandle(handle_), at, nullptr, FILE_BEGIN) || !SetEndOfFile(AsHandle(handle_))) {
    errorText = ErrorText(GetLastError());
    return false;
  }
  return true;
}

bool File::Flush(std::string& errorText) {
  if (!FlushFileBuffers(AsHandle(handle_))) {
    errorText = ErrorText(GetLastError());
    return false;
  }
  return true;
}

void File::Close() {
  if (IsOpen()) CloseHandle(AsHandle(handle_));
  handle_ = INVALID_HANDLE_VALUE;
}

bool ClearAttributes(const std::string& path) {
  return SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

bool SetReadOnly(const std::string& path) {
  return SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_READONLY) != 0;
}

bool CreateFolder(const std::string& path) { return CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0; }

bool RemoveFile(const std::string& path) { return DeleteFileW(WidePath(path).c_str()) != 0; }

bool RemoveFolder(const std::string& path) { return RemoveDirectoryW(WidePath(path).c_str()) != 0; }

bool RenameNoReplace(const std::string& from, const std::string& to) {
  return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), 0) != 0;
}

bool ReplaceFileAtomic(const std::string& source, const std::string& target, std::string& errorText) {
  const std::wstring from = WidePath(source);
  const std::wstring to = WidePath(target);
  // ReplaceFileW gives the new file the old one's attributes and security.
  // Without a backup name, a failed ReplaceFileW leaves both files under
  // their own names, so the plain move can still be tried. It is given
  // files only: Wine's moves a folder aside.
  const DWORD targetAttributes = GetFileAttributesW(to.c_str());
  const bool targetIsFile =
      targetAttributes != INVALID_FILE_ATTRIBUTES && !(targetAttributes & FILE_ATTRIBUTE_DIRECTORY);
  if (targetIsFile &&
      ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    return true;
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    errorText = ErrorText(GetLastError());
    return false;
  }
  return true;
}

std::uint64_t NowFileTime() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return ToU64(ft);
}

bool SetLastWriteTime(const std::string& path, std::uint64_t fileTime) {
  HANDLE h = CreateFileW(WidePath(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME ft = ToFileTimeStruct(fileTime);
  BOOL ok = SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
  return ok != 0;
}

std::string ExecutablePath() {
  // GetModuleFileNameW cuts a path that does not fit and returns the size.
  return PathFromSystem(
      GrowingBuffer([](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); }));
}

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  return path.substr(0, path.rfind('\\') + 1);
}

std::string TempFolder() {
  std::string path =
      PathFromSystem(GrowingBuffer([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); }));
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

std::string UserStateFolder() {
  std::string folder = Narrow(GrowingBuffer(
      [](wchar_t* buffer, DWORD size) { return GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, size); }));
  if (folder.empty()) return "";
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder + "Quor\\";
}

std::string FullPathName(const std::string& path) {
  const std::wstring wide = Widen(path);
  const std::wstring full = GrowingBuffer(
      [&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(wide.c_str(), size, buffer, nullptr); });
  return full.empty() ? path : PathFromSystem(full);
}

std::string RealPath(const std::string& path) {
  if (path.empty()) return std::string();
  // Opening for no more than the attributes works for folders too (backup
  // semantics) and follows links and junctions to what they point at.
  HANDLE h = CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  const std::wstring final = GrowingBuffer([h](wchar_t* buffer, DWORD size) {
    return GetFinalPathNameByHandleW(h, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  });
  CloseHandle(h);
  if (final.empty()) return std::string();
  std::string result = PathFromSystem(final);
  while (result.size() > 3 && (result.back() == '\\' || result.back() == '/')) result.pop_back();
  return result;
}

bool StderrIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::string ShortPathName(const std::string& path) {
  const std::wstring wide = WidePath(path);
  const std::wstring shortPath = GrowingBuffer(
      [&](wchar_t* buffer, DWORD size) { return GetShortPathNameW(wide.c_str(), buffer, size); });
  return shortPath.empty() ? path : PathFromSystem(shortPath);
}

std::string LastErrorText() { return ErrorText(GetLastError()); }

}  // namespace platform
