// The parts of platform/text.h that are the same in both builds.
#include "platform/text.h"

namespace platform {

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const unsigned char lead = *p;
    if (lead < 0x80) {
      ++p;
      continue;
    }
    // The lead byte says how many continuation bytes follow, and the first
    // of them has a narrower range where overlong forms, surrogates or
    // values above U+10FFFF would start.
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
      return false;
    }
    if (end - p <= more) return false;
    if (p[1] < low || p[1] > high) return false;
    for (int i = 2; i <= more; ++i) {
      if (p[i] < 0x80 || p[i] > 0xBF) return false;
    }
    p += more + 1;
  }
  return true;
}

}  // namespace platform
