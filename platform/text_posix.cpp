// POSIX implementation of platform/text.h: the legacy code page is
// Windows-1252, the code page old SFV files from Windows were written in.
#include <array>
#include <cstdint>

#include "platform/text.h"

namespace platform {
namespace {

// Windows-1252 bytes 0x80..0x9F; the five bytes the code page leaves free
// map to the C1 control of the same value, as Windows maps them.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t FromLegacy(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
}

// The next character of valid UTF-8 text; p moves past it.
char32_t NextUtf8(const unsigned char*& p) {
  const unsigned char lead = *p++;
  if (lead < 0x80) return lead;
  const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  char32_t c = lead & (0x3F >> more);
  for (int i = 0; i < more; ++i) c = (c << 6) | (*p++ & 0x3F);
  return c;
}

std::optional<unsigned char> ToLegacy(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

}  // namespace

std::string LegacyToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (char byte : bytes) AppendUtf8(out, FromLegacy(static_cast<unsigned char>(byte)));
  return out;
}

std::optional<std::string> Utf8ToLegacy(std::string_view text) {
  if (!IsValidUtf8(text)) return std::nullopt;
  std::string out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const std::optional<unsigned char> byte = ToLegacy(NextUtf8(p));
    if (!byte) return std::nullopt;
    out += static_cast<char>(*byte);
  }
  return out;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void WriteText(std::FILE* stream, std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream); }

}  // namespace platform
