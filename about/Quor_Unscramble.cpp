#include "about/Quor_Unscramble.h"

#include <algorithm>

namespace {

// The value of a Base64 character, -1 for padding, -2 for anything else.
int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  if (c == '=') return -1;
  return -2;
}

}  // namespace

std::string DecodeBase64(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (std::size_t at = 0; at + 4 <= text.size(); at += 4) {
    int v[4];
    for (int k = 0; k < 4; ++k) v[k] = Base64Value(text[at + k]);
    // Valid groups: four characters, or two or three followed by padding.
    if (v[0] < 0 || v[1] < 0 || v[2] == -2 || v[3] == -2) break;
    if (v[2] == -1 && v[3] != -1) break;
    const std::uint32_t bits = (static_cast<std::uint32_t>(v[0]) << 18) | (static_cast<std::uint32_t>(v[1]) << 12) |
                               (static_cast<std::uint32_t>(std::max(v[2], 0)) << 6) |
                               static_cast<std::uint32_t>(std::max(v[3], 0));
    bytes += static_cast<char>(bits >> 16);
    if (v[2] >= 0) bytes += static_cast<char>((bits >> 8) & 0xFF);
    if (v[3] >= 0) bytes += static_cast<char>(bits & 0xFF);
    if (v[3] < 0) break;  // padding ends the text
  }
  return bytes;
}

namespace scramble {

std::string KeyStream(std::int32_t key, std::size_t length) {
  Generator generator(static_cast<std::uint32_t>(key) + static_cast<std::uint32_t>(length));
  std::string stream(length, '\0');
  for (char& p : stream) p = static_cast<char>(generator.Draw(255));
  return stream;
}

}  // namespace scramble

std::string UnscrambleText(std::string_view stored, std::int32_t key) {
  std::string data = DecodeBase64(stored);
  const std::size_t length = data.size();
  if (length == 0) return data;
  const std::string stream = scramble::KeyStream(key, length);
  const std::size_t shift = scramble::Shift(length);
  std::string out(length, '\0');
  for (int round = scramble::kRounds; round >= 1; --round) {
    auto chain = static_cast<unsigned char>(scramble::kInitialChain);
    for (std::size_t i = 0; i < length; ++i) {
      const auto position = static_cast<unsigned>(i + 1);
      chain = static_cast<unsigned char>(chain ^ static_cast<unsigned char>(stream[i]) ^
                                         static_cast<unsigned char>(data[i]) ^ ((position * round) & 0xFF));
      out[i] = static_cast<char>(chain);
    }
    if (round > 1) {
      // The next round works on the bytes turned round: the last shift bytes first.
      std::rotate_copy(out.begin(), out.end() - static_cast<std::ptrdiff_t>(shift), out.end(), data.begin());
    }
  }
  return out;
}
