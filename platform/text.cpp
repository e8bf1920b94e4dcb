// The parts of platform/text.h that are the same in both builds.
#include "platform/text.h"

namespace platform {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The length of the well-formed UTF-8 character at p (1 to 4), or 0 when
// the bytes there are not one.
int CharacterLength(const unsigned char* p, const unsigned char* end) {
  const unsigned char lead = *p;
  if (lead < 0x80) return 1;
  // The lead byte says how many continuation bytes follow, and the first of
  // them has a narrower range where overlong forms, surrogates or values
  // above U+10FFFF would start.
  int more = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (end - p <= more) return 0;
  if (p[1] < low || p[1] > high) return 0;
  for (int i = 2; i <= more; ++i) {
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  }
  return more + 1;
}

// The text with every byte that is not part of a well-formed character
// replaced by U+FFFD.
std::string WithReplacementCharacters(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const int length = CharacterLength(p, end);
    if (length == 0) {
      text += "\xEF\xBF\xBD";
      ++p;
    } else {
      text.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
      p += length;
    }
  }
  return text;
}

// UTF-16 bytes (without their byte-order mark) as UTF-8. A lone surrogate
// and an odd last byte become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string text;
  text.reserve(bytes.size());
  const auto unit = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(text, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(text, (c >= 0xD800 && c <= 0xDFFF) ? 0xFFFD : c);
  }
  if (i < bytes.size()) AppendUtf8(text, 0xFFFD);
  return text;
}

}  // namespace

void AppendUtf8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (c >> 18));
    text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool StartsWithUtf16Mark(std::string_view bytes) {
  return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const int length = CharacterLength(p, end);
    if (length == 0) return false;
    p += length;
  }
  return true;
}

std::string DecodeFileText(std::string_view bytes) {
  // Windows PowerShell writes UTF-16 with a byte-order mark by default.
  if (StartsWithUtf16Mark(bytes)) return Utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE');
  // A file that says it is UTF-8 is taken as UTF-8; bytes it holds that are
  // not (a damaged file) become U+FFFD, so no ill-formed text gets inside.
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    return WithReplacementCharacters(bytes.substr(kUtf8Mark.size()));
  }
  if (IsAscii(bytes) || IsValidUtf8(bytes)) return std::string(bytes);
  return LegacyToUtf8(bytes);
}

std::string EncodeFileText(std::string_view text) {
  if (kWritesLegacyText && !IsAscii(text)) {
    // Legacy bytes that happen to be valid UTF-8 ("Ã©") would read back as
    // other characters: such a text is written in UTF-8.
    std::optional<std::string> legacy = Utf8ToLegacy(text);
    if (legacy && !IsValidUtf8(*legacy)) return *legacy;
  }
  return std::string(text);
}

}  // namespace platform
