// Feeds arbitrary bytes to the INI engine as a whole file: look-ups must not
// fail, and a write must read back while every other key keeps its value.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/fs.h"
#include "platform/profile.h"
#include "platform/profile_ini.h"

namespace {

std::string ScratchFile() {
  static const std::string path = platform::TempFolder() + "quor-fuzz-ini-" + std::to_string(getpid()) + ".dat";
  return path;
}

// Names taken from the text itself, so that the look-ups hit real lines.
std::string Pick(const std::string& text, std::size_t at, std::size_t length) {
  if (text.empty()) return "S";
  at %= text.size();
  return text.substr(at, length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string section = size > 2 ? Pick(text, data[0], 1 + data[1] % 8) : "S";
  const std::string key = size > 4 ? Pick(text, data[2], 1 + data[3] % 8) : "K";
  const std::string other = size > 6 ? Pick(text, data[4], 1 + data[5] % 8) : "O";

  const std::optional<std::string> before = platform::IniFindValue(text, section, key);
  const std::optional<std::string> otherBefore = platform::IniFindValue(text, section, other);
  const std::optional<std::string> elsewhere = platform::IniFindValue(text, other, key);

  if (platform::IsStorableProfileText(section, key, "value 1")) {
    const std::string changed = platform::IniSetValue(text, section, key, "value 1");
    if (platform::IniFindValue(changed, section, key) != "value 1") std::abort();
    if (platform::IsStorableProfileText(section, other, "") && platform::IsStorableProfileText(other, key, "")) {
      // Names compare as the engine compares them: trimmed, without regard to case.
      auto same = [](std::string a, std::string b) {
        auto trim = [](std::string& s) {
          while (!s.empty() && std::strchr(" \t\r\v\f", s.front())) s.erase(0, 1);
          while (!s.empty() && std::strchr(" \t\r\v\f", s.back())) s.pop_back();
          for (char& c : s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        trim(a);
        trim(b);
        return a == b;
      };
      if (!same(other, key) && platform::IniFindValue(changed, section, other) != otherBefore) std::abort();
      if (!same(other, section) && platform::IniFindValue(changed, other, key) != elsewhere) std::abort();
    }
  }

  // The same text through the file functions.
  {
    platform::File file = platform::File::Open(ScratchFile(), platform::Access::Write, platform::Share::Read,
                                               platform::Disposition::CreateAlways);
    std::string error;
    file.Write(text.data(), text.size(), error);
  }
  std::string read = platform::ReadProfileValue(ScratchFile(), section, key, "default");
  if (read.size() > platform::kProfileValueMax) std::abort();
  if (before && read != before->substr(0, platform::kProfileValueMax)) std::abort();
  if (!before && read != "default") std::abort();
  return 0;
}
