#include "tools/scramble/Quor_Scramble.h"

#include <algorithm>

#include "about/Quor_Unscramble.h"

std::string EncodeBase64(std::string_view bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - at);
    std::uint32_t bits = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      bits = (bits << 8) | (k < n ? static_cast<unsigned char>(bytes[at + k]) : 0u);
    }
    text += kAlphabet[(bits >> 18) & 63];
    text += kAlphabet[(bits >> 12) & 63];
    text += n > 1 ? kAlphabet[(bits >> 6) & 63] : '=';
    text += n > 2 ? kAlphabet[bits & 63] : '=';
  }
  return text;
}

std::string ScrambleBytes(std::string_view text, std::int32_t key) {
  const std::size_t length = text.size();
  std::string out(text);  // the rounds' output, from the last round (1) backwards
  if (length == 0) return out;
  const std::string stream = scramble::KeyStream(key, length);
  const std::size_t shift = scramble::Shift(length);
  std::string data(length, '\0');
  for (int round = 1; round <= scramble::kRounds; ++round) {
    // Undo the chained XOR: each input byte from its output and the one before.
    auto previous = static_cast<unsigned char>(scramble::kInitialChain);
    for (std::size_t i = 0; i < length; ++i) {
      const auto position = static_cast<unsigned>(i + 1);
      const auto current = static_cast<unsigned char>(out[i]);
      data[i] = static_cast<char>(current ^ previous ^ static_cast<unsigned char>(stream[i]) ^
                                  ((position * round) & 0xFF));
      previous = current;
    }
    if (round < scramble::kRounds) {
      // This round's input is the previous round's output turned round: turn it back.
      std::rotate_copy(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(shift), data.end(), out.begin());
    }
  }
  return data;
}

std::string ScrambleText(std::string_view text, std::int32_t key) {
  return EncodeBase64(ScrambleBytes(text, key));
}
