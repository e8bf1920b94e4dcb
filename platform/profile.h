// INI-format profile files: one value per section and key. The Win32 build
// uses the system's private-profile functions; the POSIX build uses the
// engine of profile_ini.h with the same behaviour. Section and key names
// compare without regard to letter case; values are read without
// surrounding blanks. Every call is one complete access to the file. (The
// names stay clear of the Win32 macros WriteProfileString and friends.)
#pragma once

#include <string>

namespace platform {

// The value of key in section of the file at path, at most
// kProfileValueMax characters; defaultValue when the file, the section or
// the key is missing. A key present with an empty value gives "".
std::string ReadProfileValue(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue);

// Sets key in section to value: the value is replaced where the key stands,
// or the key is added at the end of its section, or the section with the key
// at the end of the file; a missing file is created. Nothing else in the
// file changes. False when the file cannot be written (a read-only file, a
// missing folder) or a name or the value cannot be stored (see
// IsStorableProfileText).
bool WriteProfileValue(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value);

}  // namespace platform
