// Win32 implementation of platform/profile.h: the system's private-profile
// functions, with the same checks of names and values as the POSIX build.
#include <windows.h>

#include "platform/profile.h"
#include "platform/profile_ini.h"
#include "platform/text.h"

namespace platform {

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
  return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                    WidePath(path).c_str()) != 0;
}

}  // namespace platform
