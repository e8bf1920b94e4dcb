// Win32 implementation of platform/text.h: UTF-8 <-> UTF-16 for the wide
// system functions, the ANSI code page as the legacy one, and long paths.
#include <windows.h>
#include <shellapi.h>
#include <io.h>

#include "platform/text.h"

namespace platform {
namespace {

// CreateDirectoryW's limit (MAX_PATH less room for an 8.3 name); file calls
// allow a little more, but one threshold for all keeps the rule simple.
constexpr std::size_t kClassicPathLimit = MAX_PATH - 12;

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::wstring ToWide(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), n);
  return wide;
}

std::wstring FullPath(const std::wstring& path) {
  DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return std::wstring();
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  if (n == 0 || n >= full.size()) return std::wstring();
  full.resize(n);
  return full;
}

}  // namespace

std::wstring Widen(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), n, nullptr, nullptr);
  return text;
}

std::string LegacyToUtf8(std::string_view bytes) { return Narrow(ToWide(CP_ACP, bytes)); }

std::optional<std::string> Utf8ToLegacy(std::string_view text) {
  if (!IsValidUtf8(text)) return std::nullopt;
  const std::wstring wide = Widen(text);
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr,
                                    &usedDefault);
  if (n == 0 || usedDefault) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), n, nullptr, &usedDefault);
  if (usedDefault) return std::nullopt;
  return bytes;
}

std::wstring WidePath(std::string_view path) {
  std::wstring wide = Widen(path);
  if (wide.size() < kClassicPathLimit || StartsWith(wide, kLongPrefix)) return wide;
  const std::wstring full = FullPath(wide);
  if (StartsWith(full, L"\\\\.\\")) return full;  // a device path needs no prefix
  if (StartsWith(full, L"\\\\")) return std::wstring(kLongUncPrefix) + full.substr(2);
  if (full.size() >= 2 && full[1] == L':') return std::wstring(kLongPrefix) + full;
  return wide;
}

std::string PathFromSystem(std::wstring_view path) {
  if (StartsWith(path, kLongUncPrefix)) return "\\\\" + Narrow(path.substr(kLongUncPrefix.size()));
  if (StartsWith(path, kLongPrefix)) return Narrow(path.substr(kLongPrefix.size()));
  return Narrow(path);
}

std::vector<std::string> ProgramArguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 1; i < count; ++i) args.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

void WriteText(std::FILE* stream, std::string_view text) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    const std::wstring wide = Widen(text);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace platform
