// Small text and path helpers shared by the portable units.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr char kCrLf[] = "\r\n";

std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
// The value of a hexadecimal digit (either letter case); -1 for any other
// character.
int HexDigitValue(char c);

// Splits a list text into its items. Items end at CR LF, CR or LF; a final
// line end adds no empty item. Empty items between two line ends are kept.
std::vector<std::string> SplitListText(std::string_view text);
// Joins items into a list text: every item, the last included, followed by CR LF.
std::string JoinListText(const std::vector<std::string>& items);

// Trims blanks and control characters (anything up to 0x20) at both ends.
std::string TrimText(std::string_view text);

// Path parts. A separator is the platform's; on POSIX a backslash counts too,
// and ':' ends a drive on both (as Windows paths read).
std::string ExtractFilePath(std::string_view path);  // up to and including the last separator
std::string ExtractFileName(std::string_view path);  // after the last separator
std::string ExtractFileExt(std::string_view path);   // from the last '.' of the name, with the dot
std::string IncludeTrailingSeparator(std::string_view folder);
std::string ExcludeTrailingSeparator(std::string_view folder);

// True when the name is a plain file name that stays in the folder it is
// written to: no drive, no folder part, none of the characters Windows
// refuses in a name (control characters and \ / : * ? " < > |). The empty
// name counts as plain; "." and ".." name folders, not files, and do not.
// So every build keeps the names Windows would keep.
bool IsPlainFileName(std::string_view name);
