// Checksum lists: SFV files and the lists of other hashes that come with
// downloads (.md5, .sha1, .sha256, .sha512, MD5SUMS .. SHA512SUMS). A list's
// file name chooses its reader: SFV files go through Quor_Sfv as ever; the
// others are read line by line in the GNU form ("HEX  name", "HEX *name",
// a leading backslash for an escaped name) or the BSD form
// ("ALG (name) = HEX"). Either way the check worker gets the same entries:
// a name, the value it must hash to, and the hash that makes it.
// Parsing is pure; only LoadChecksumList touches the disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Quor_FileHash.h"

struct ListEntry {
  std::string name;      // relative to the list's folder
  std::string expected;  // the listed value's bytes, most significant first
  HashKind hash = HashKind::Crc32;
  // The line the pick list shows without its last nine characters, and
  // gives back when it is left checked: an SFV file's own line; for other
  // lists the name, a blank and the entry's position in 8 hex digits.
  std::string line;
};

// The hash a list's file name says it holds: CRC-32 for ".sfv"; MD5, SHA-1,
// SHA-256, SHA-512 for ".md5", ".sha1", ".sha256", ".sha512" and for names
// that start with MD5SUMS, SHA1SUMS, SHA256SUMS, SHA512SUMS (then nothing or
// an extension, such as ".txt"; a signature such as SHA256SUMS.gpg is not a
// list). Letter case does not matter. Nothing for any other name.
std::optional<HashKind> ListHashOfName(std::string_view fileName);

// The file-name patterns of every list ListHashOfName takes, for an open
// dialog: "*.sfv;*.md5;...;SHA512SUMS*".
std::string ChecksumListPatterns();

// The extension of a list of the hash, as the program writes it: ".sfv",
// ".md5", ".sha1", ".sha256", ".sha512".
const char* ListExtension(HashKind hash);
// The hash's name as users write it: "crc32", "md5", "sha1", "sha256",
// "sha512"; and back (any letter case, "sha-256" too).
const char* HashName(HashKind hash);
std::optional<HashKind> HashOfName(std::string_view name);

// One line of a list of digests in the GNU form. listHash is the hash the
// list's name gives; without one the number of digits decides (32 MD5,
// 40 SHA-1, 64 SHA-256, 128 SHA-512). Nothing for any other line. The
// entry's line is left empty.
std::optional<ListEntry> ReadGnuLine(std::string_view line, std::optional<HashKind> listHash);
// One line in the BSD form; the tag (MD5, SHA1, SHA256, SHA512, any letter
// case) names the hash, and the digits must be as many as it makes.
std::optional<ListEntry> ReadBsdLine(std::string_view line);

struct ChecksumList {
  HashKind hash = HashKind::Crc32;  // the hash the list's name gives, else that of its first entry
  std::vector<ListEntry> entries;   // in file order
  std::uint64_t totalSize = 0;      // the sizes of the listed files that exist
  std::string errorText;            // set only when reading the file failed
  // The names of the entries of the list's folder, when the total came from
  // one listing of it.
  std::optional<std::vector<std::string>> folderNames;
};

// Reads a list: an SFV file by LoadSfvFile; a list of digests line by line
// (comments start with '#' or ';'; a UTF-8 or UTF-16 byte-order mark and
// every kind of line end are taken as LoadSfvFile takes them). A file whose
// name names no hash is read as an SFV file and, when that finds no file
// line, as a list of digests.
ChecksumList LoadChecksumList(const std::string& path);

// The entries the pick list gave back, by their lines, in the order given;
// a line that is no entry's is left out.
std::vector<ListEntry> PickedEntries(const std::vector<ListEntry>& entries, const std::vector<std::string>& lines);

// The bytes as hexadecimal digits, upper-case or lower-case.
std::string HexText(std::string_view bytes, bool upperCase = true);

// A line of a list of digests as the program writes it, the GNU form that
// sha256sum and its siblings read back: lower-case digits, two blanks, the
// name; a name holding a backslash, CR or LF is escaped and the line starts
// with a backslash.
std::string FormatGnuLine(const std::string& name, const std::string& digest);
