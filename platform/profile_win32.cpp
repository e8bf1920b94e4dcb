// Win32 implementation of platform/profile.h: the system's private-profile
// functions, with the same checks of names and values as the POSIX build.
#include <windows.h>

#include "platform/profile.h"
#include "platform/profile_ini.h"

namespace platform {

std::string ReadProfileValue(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
  std::string buffer(kProfileValueMax + 1, '\0');
  DWORD got = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                       static_cast<DWORD>(buffer.size()), path.c_str());
  buffer.resize(got);
  return buffer;
}

bool WriteProfileValue(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
  if (!IsStorableProfileText(section, key, value)) return false;
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

}  // namespace platform
