// Text at the program's edge. Inside, every path, name and text is UTF-8 in
// both builds. Bytes from outside that are not UTF-8 are in the legacy code
// page: the system's ANSI code page on Windows, Windows-1252 elsewhere (what
// old SFV files were written in). The Windows build turns UTF-8 into UTF-16
// here, and only here, for the wide (...W) system functions.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// True when the bytes are well-formed UTF-8: no stray continuation bytes,
// no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// Appends the character (at most U+10FFFF, no surrogate) to text as UTF-8.
void AppendUtf8(std::string& text, char32_t c);

// True when the bytes start with a UTF-16 byte-order mark (FF FE little
// endian, FE FF big endian).
bool StartsWithUtf16Mark(std::string_view bytes);

// Bytes in the legacy code page as UTF-8.
std::string LegacyToUtf8(std::string_view bytes);
// UTF-8 text as legacy bytes; nothing when a character has no exact place
// in the code page (no "best fit" stand-ins).
std::optional<std::string> Utf8ToLegacy(std::string_view text);

// True where the files the program writes use the legacy code page whenever
// their text fits it (Windows, for other programs and older copies); the
// other build writes UTF-8.
#ifdef _WIN32
inline constexpr bool kWritesLegacyText = true;
#else
inline constexpr bool kWritesLegacyText = false;
#endif

// Text from a file another program (or an older copy of this one) wrote, as
// UTF-8. The encoding is decided once for the whole text: a UTF-16 byte-order
// mark (little or big endian) means UTF-16; a UTF-8 byte-order mark, or
// bytes that are valid UTF-8 and hold at least one non-ASCII byte, mean
// UTF-8; the mark is dropped. Anything else is the legacy code page.
std::string DecodeFileText(std::string_view bytes);
// The bytes of a text file the program writes: the legacy code page where
// the platform writes it and every character of the text fits it (so such a
// file is what older copies wrote), else UTF-8 without a byte-order mark.
std::string EncodeFileText(std::string_view text);

// The program's arguments, without the program itself, as UTF-8. Windows
// reads the wide command line (argc and argv are then not used).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Writes text to a standard stream: on a Windows console as UTF-16, so that
// every name shows as it is; elsewhere (and when redirected) as UTF-8 bytes.
void WriteText(std::FILE* stream, std::string_view text);

#ifdef _WIN32
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
// The path for a wide file-system call: an absolute path too long for the
// classic limit gets the "\\?\" prefix ("\\?\UNC\" for a network path),
// after "." and ".." steps and "/" separators are resolved as the system
// would. Texts shown to the user never carry the prefix.
std::wstring WidePath(std::string_view path);
// A path from the system without a "\\?\" or "\\?\UNC\" prefix, as UTF-8.
std::string PathFromSystem(std::wstring_view path);
#endif

}  // namespace platform
