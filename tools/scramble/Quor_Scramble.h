// Makes stored texts for the program: the inverse of UnscrambleText, then
// Base64. Used by the quor-scramble tool and by the tests; the program
// itself holds only the unscrambling direction.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Standard Base64 with '=' padding.
std::string EncodeBase64(std::string_view bytes);

// The bytes that UnscrambleText turns into text under key, before Base64.
std::string ScrambleBytes(std::string_view text, std::int32_t key);

// The stored text for text under key: UnscrambleText(ScrambleText(t, k), k) == t.
std::string ScrambleText(std::string_view text, std::int32_t key);
