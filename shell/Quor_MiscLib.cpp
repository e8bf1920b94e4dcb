#include "shell/Quor_MiscLib.h"

#include "core/Quor_Text.h"
#include "platform/fs.h"
#include "platform/locale.h"

std::string FormatThousands(std::uint64_t value) {
  const std::string digits = std::to_string(value);
  const std::string separator = platform::ThousandsSeparator();
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

std::string ProgressFileName(const std::string& sfvPath) {
  std::string path = AsciiLower(sfvPath);
  std::size_t lastSep = std::string::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (platform::IsPathSep(path[i])) lastSep = i;
  }
  if (lastSep == std::string::npos) return std::string();
  path[lastSep] = '_';
  return ExtractFileName(path);
}
