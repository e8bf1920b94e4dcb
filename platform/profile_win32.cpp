// Win32 implementation of platform/profile.h: the system's private-profile
// functions, with the same checks of names and values as the POSIX build.
// The functions keep a file in the ANSI code page as long as it is one, and
// in UTF-16 once it starts with the UTF-16 mark; a value the code page
// cannot hold turns the file into UTF-16 first.
#include <windows.h>

#include "platform/fs.h"
#include "platform/profile.h"
#include "platform/profile_ini.h"
#include "platform/text.h"

namespace platform {
namespace {

constexpr char kUtf16Mark[] = "\xFF\xFE";

// Rewrites the file (when there is one) in UTF-16 with its mark, its text
// read as the ANSI code page; true when it is a UTF-16 file now.
bool MakeUnicodeFile(const std::string& path) {
  std::string bytes;
  if (FindEntry(path)) {
    std::optional<std::string> old = ReadWholeFile(path);
    if (!old) return false;
    if (old->compare(0, 2, kUtf16Mark) == 0) return true;
    bytes = std::move(*old);
  }
  const std::wstring text = Widen(LegacyToUtf8(bytes));
  std::string unicode(kUtf16Mark);
  unicode.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  return ReplaceWholeFile(path, unicode);
}

}  // namespace

std::string ReadProfileValue(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
  std::wstring buffer(kProfileValueMax + 1, L'\0');
  DWORD got = GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(defaultValue).c_str(),
                                       buffer.data(), static_cast<DWORD>(buffer.size()), WidePath(path).c_str());
  buffer.resize(got);
  return Narrow(buffer);
}

bool WriteProfileValue(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
  if (!IsStorableProfileText(section, key, value)) return false;
  if (!Utf8ToLegacy(value) && !MakeUnicodeFile(path)) return false;
  return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                    WidePath(path).c_str()) != 0;
}

}  // namespace platform
