// Turns the program's stored texts back into text. A stored text is Base64;
// its bytes are unmixed by eleven rounds of a chained XOR with a key stream
// from a generator of the routine's own, seeded from the text's key and
// length. The program holds only this direction; the stored texts are made
// beforehand by tools/scramble.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Standard Base64 (A-Z, a-z, 0-9, '+', '/', '=' padding), four characters
// at a time; a remainder of fewer than four characters is ignored. Decoding
// stops before a group that is not valid Base64 and after a group with
// padding, so the result is what the valid groups up to there give.
std::string DecodeBase64(std::string_view text);

// The text that the stored Base64 text and its key stand for.
std::string UnscrambleText(std::string_view stored, std::int32_t key);

namespace scramble {

// The chaining byte every round starts with.
inline constexpr std::uint8_t kInitialChain = 0x9D;
inline constexpr int kRounds = 11;

// The routine's own generator: seed := seed * 134775813 + 1 (mod 2^32); a
// draw in the range n advances the seed and gives the upper 32 bits of
// seed * n, 0 to n - 1.
class Generator {
 public:
  explicit Generator(std::uint32_t seed) : seed_(seed) {}
  std::uint32_t Draw(std::uint32_t range) {
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(seed_) * range) >> 32);
  }

 private:
  std::uint32_t seed_;
};

// The key stream for a text of length bytes: one draw in the range 255 per byte.
std::string KeyStream(std::int32_t key, std::size_t length);

// How far each round moves the bytes round: the last Shift(L) bytes go to
// the front.
inline std::size_t Shift(std::size_t length) { return length / 3 * 2 + 1; }

}  // namespace scramble
