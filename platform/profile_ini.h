// The INI text engine behind the POSIX profile functions. Pure functions on
// the whole text of a file, so they can be tested and fuzzed without files.
//
// Reading: a line is split at LF (a CR before it belongs to the line end).
// A line whose first non-blank character is '[' and that holds a ']' names a
// section: the text between '[' and the last ']', without surrounding
// blanks. A line starting with ';' is a comment. Any other line with an '='
// is a key: the name before the first '=' and the value after it, both
// without surrounding blanks; a value enclosed in a pair of the same quote
// character (' or ") loses the pair. Everything else (lines before the first
// section, lines without '=') is kept but never matched. When a section or
// a key occurs twice, the first one counts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Most characters a profile read returns; longer values are cut.
inline constexpr std::size_t kProfileValueMax = 2047;

// True when a section name, a key name or a value can be stored so that it
// reads back: no line break in any of them, and for names no '=' in a key,
// no ']' in a section, no leading '[' or ';' in a key, and not empty.
bool IsStorableProfileText(std::string_view section, std::string_view key, std::string_view value);

// The value of key in section, or nothing when either is missing.
std::optional<std::string> IniFindValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// The text with key in section set to value. An existing key's line is
// rewritten as "name=value" (the name as spelled in the file) and keeps its
// line end; a new key goes after the last non-blank line of its section; a
// new section goes at the end, after a blank line when the text is not
// empty. New lines end in CR LF. All other bytes stay as they are.
std::string IniSetValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace platform
