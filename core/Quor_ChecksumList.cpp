#include "core/Quor_ChecksumList.h"

#include <array>
#include <cstdio>
#include <unordered_map>

#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Sfv.h"
#include "core/Quor_Text.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

struct HashNames {
  HashKind hash;
  const char* name;       // as users write it
  const char* extension;  // of its lists
  const char* sums;       // the upper-case start of a "SUMS" file's name; "" for none
  const char* bsdTag;     // the upper-case tag of its BSD lines; "" for none
};

constexpr std::array<HashNames, 5> kHashes{{
    {HashKind::Crc32, "crc32", ".sfv", "", ""},
    {HashKind::Md5, "md5", ".md5", "MD5SUMS", "MD5"},
    {HashKind::Sha1, "sha1", ".sha1", "SHA1SUMS", "SHA1"},
    {HashKind::Sha256, "sha256", ".sha256", "SHA256SUMS", "SHA256"},
    {HashKind::Sha512, "sha512", ".sha512", "SHA512SUMS", "SHA512"},
}};

// Extensions of the signatures that come beside a SUMS file.
constexpr std::array<const char*, 4> kSignatureExtensions{".GPG", ".ASC", ".SIG", ".SIGN"};

const HashNames& NamesOf(HashKind hash) {
  for (const HashNames& names : kHashes) {
    if (names.hash == hash) return names;
  }
  return kHashes[0];
}

// The bytes of an even number of hex digits; nothing when one is not a digit.
std::optional<std::string> HexBytes(std::string_view digits) {
  if (digits.size() % 2 != 0) return std::nullopt;
  std::string bytes(digits.size() / 2, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const int high = HexDigitValue(digits[2 * i]);
    const int low = HexDigitValue(digits[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes[i] = static_cast<char>(high * 16 + low);
  }
  return bytes;
}

// The digest hash of so many hex digits.
std::optional<HashKind> HashOfDigits(std::size_t digits, std::optional<HashKind> listHash) {
  if (listHash) {
    if (*listHash != HashKind::Crc32 && digits == 2 * HashLength(*listHash)) return listHash;
    return std::nullopt;
  }
  for (const HashNames& names : kHashes) {
    if (names.hash != HashKind::Crc32 && digits == 2 * HashLength(names.hash)) return names.hash;
  }
  return std::nullopt;
}

// sha256sum's escapes: "\\" for a backslash, "\n" for LF, "\r" for CR.
// Nothing for any other backslash.
std::optional<std::string> Unescape(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] != '\\') {
      out += name[i];
      continue;
    }
    if (++i == name.size()) return std::nullopt;
    switch (name[i]) {
      case '\\': out += '\\'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      default: return std::nullopt;
    }
  }
  return out;
}

// A listed name as the check uses it: a leading "./" is dropped, and both
// '/' and '\' separate folders (both become the platform's separator).
// Nothing for an empty name.
std::optional<std::string> ListedName(std::string name) {
  while (name.size() > 2 && name[0] == '.' && platform::IsPathSep(name[1])) name.erase(0, 2);
  if (name.empty()) return std::nullopt;
  for (char& c : name) {
    if (platform::IsPathSep(c)) c = platform::kPathSep;
  }
  return name;
}

std::optional<ListEntry> MakeEntry(std::string_view name, bool escaped, std::string_view digits, HashKind hash) {
  std::optional<std::string> bytes = HexBytes(digits);
  if (!bytes) return std::nullopt;
  std::optional<std::string> plain = escaped ? Unescape(name) : std::string(name);
  if (!plain) return std::nullopt;
  std::optional<std::string> listed = ListedName(std::move(*plain));
  if (!listed) return std::nullopt;
  return ListEntry{std::move(*listed), std::move(*bytes), hash, {}};
}

// The line without the blanks and tabs in front of it, and whether it is
// escaped (starts with a backslash, which is then cut off too).
std::string_view LineBody(std::string_view line, bool& escaped) {
  while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) line.remove_prefix(1);
  escaped = !line.empty() && line[0] == '\\';
  if (escaped) line.remove_prefix(1);
  return line;
}

std::string PositionTag(std::size_t position) {
  char tag[16];
  std::snprintf(tag, sizeof tag, "%08zX", position & 0xFFFFFFFFu);
  return tag;
}

// The names of the entries, for the sizes of the files they list.
std::vector<std::string> NamesOf(const std::vector<ListEntry>& entries) {
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (const ListEntry& entry : entries) names.push_back(entry.name);
  return names;
}

void ReadDigestLines(const std::string& text, std::optional<HashKind> listHash, ChecksumList& list) {
  std::string_view rest(text);
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    std::optional<ListEntry> entry = ReadBsdLine(line);
    if (!entry) entry = ReadGnuLine(line, listHash);
    if (!entry) continue;
    entry->line = entry->name + " " + PositionTag(list.entries.size());
    list.entries.push_back(std::move(*entry));
  }
}

}  // namespace

std::optional<HashKind> ListHashOfName(std::string_view fileName) {
  const std::string upper = AsciiUpper(fileName);
  const std::string extension = ExtractFileExt(upper);
  for (const HashNames& names : kHashes) {
    if (extension == AsciiUpper(names.extension)) return names.hash;
  }
  for (const HashNames& names : kHashes) {
    const std::string_view sums = names.sums;
    if (sums.empty() || upper.compare(0, sums.size(), sums) != 0) continue;
    const std::string_view after = std::string_view(upper).substr(sums.size());
    if (after.empty()) return names.hash;
    if (after[0] != '.' || after.find('.', 1) != std::string_view::npos) continue;
    for (const char* signature : kSignatureExtensions) {
      if (after == signature) return std::nullopt;
    }
    return names.hash;
  }
  return std::nullopt;
}

std::string ChecksumListPatterns() {
  std::string patterns;
  for (const HashNames& names : kHashes) patterns += std::string(patterns.empty() ? "" : ";") + "*" + names.extension;
  for (const HashNames& names : kHashes) {
    if (*names.sums != '\0') patterns += std::string(";") + names.sums + "*";
  }
  return patterns;
}

const char* ListExtension(HashKind hash) { return NamesOf(hash).extension; }

const char* HashName(HashKind hash) { return NamesOf(hash).name; }

std::optional<HashKind> HashOfName(std::string_view name) {
  std::string plain;
  for (char c : AsciiLower(name)) {
    if (c != '-') plain += c;
  }
  for (const HashNames& names : kHashes) {
    if (plain == names.name) return names.hash;
  }
  return std::nullopt;
}

std::optional<ListEntry> ReadGnuLine(std::string_view line, std::optional<HashKind> listHash) {
  bool escaped = false;
  const std::string_view body = LineBody(line, escaped);
  if (body.empty() || body[0] == '#' || body[0] == ';') return std::nullopt;
  std::size_t digits = 0;
  while (digits < body.size() && HexDigitValue(body[digits]) >= 0) ++digits;
  const std::optional<HashKind> hash = HashOfDigits(digits, listHash);
  if (!hash || digits + 1 >= body.size() || body[digits] != ' ') return std::nullopt;
  // Two blanks or a blank and '*' (text or binary: the same file); md5 -r
  // and some Windows tools write a single blank.
  std::size_t nameAt = digits + 1;
  if (body[nameAt] == ' ' || body[nameAt] == '*') ++nameAt;
  return MakeEntry(body.substr(nameAt), escaped, body.substr(0, digits), *hash);
}

std::optional<ListEntry> ReadBsdLine(std::string_view line) {
  bool escaped = false;
  const std::string_view body = LineBody(line, escaped);
  const std::size_t open = body.find(" (");
  const std::size_t close = body.rfind(") = ");
  if (open == std::string_view::npos || close == std::string_view::npos || close < open + 2) return std::nullopt;
  const std::string tag = AsciiUpper(body.substr(0, open));
  for (const HashNames& names : kHashes) {
    if (*names.bsdTag == '\0' || tag != names.bsdTag) continue;
    const std::string_view digits = body.substr(close + 4);
    if (digits.size() != 2 * HashLength(names.hash)) return std::nullopt;
    return MakeEntry(body.substr(open + 2, close - open - 2), escaped, digits, names.hash);
  }
  return std::nullopt;
}

ChecksumList LoadChecksumList(const std::string& path) {
  ChecksumList list;
  const std::optional<HashKind> named = ListHashOfName(ExtractFileName(path));
  if (!named || *named == HashKind::Crc32) {
    SfvContent sfv = LoadSfvFile(path);
    list.errorText = std::move(sfv.errorText);
    list.totalSize = sfv.totalSize;
    list.folderNames = std::move(sfv.folderNames);
    list.entries.reserve(sfv.lines.size());
    for (std::string& line : sfv.lines) {
      std::string name;
      std::uint32_t crc = 0;
      if (!SplitSfvLine(line, name, crc)) continue;
      list.entries.push_back(ListEntry{std::move(name), Crc32Bytes(crc), HashKind::Crc32, std::move(line)});
    }
    if (named || !list.entries.empty() || !list.errorText.empty()) return list;
  }
  const std::string text = platform::DecodeFileText(ReadFileText(path, list.errorText));
  if (!list.errorText.empty()) return list;
  ReadDigestLines(text, named, list);
  list.hash = named ? *named : list.entries.empty() ? HashKind::Crc32 : list.entries[0].hash;
  list.totalSize = ListedFilesSize(ExtractFilePath(path), NamesOf(list.entries), &list.folderNames);
  return list;
}

std::vector<ListEntry> PickedEntries(const std::vector<ListEntry>& entries, const std::vector<std::string>& lines) {
  std::unordered_map<std::string, std::size_t> byLine;
  for (std::size_t i = entries.size(); i-- > 0;) byLine[entries[i].line] = i;  // the first of equal lines
  std::vector<ListEntry> picked;
  for (const std::string& line : lines) {
    if (const auto found = byLine.find(line); found != byLine.end()) picked.push_back(entries[found->second]);
  }
  return picked;
}

std::string HexText(std::string_view bytes, bool upperCase) {
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text += digits[byte >> 4];
    text += digits[byte & 15];
  }
  return text;
}

std::string FormatGnuLine(const std::string& name, const std::string& digest) {
  std::string escapedName;
  bool escaped = false;
  for (char c : name) {
    switch (c) {
      case '\\': escapedName += "\\\\"; escaped = true; break;
      case '\n': escapedName += "\\n"; escaped = true; break;
      case '\r': escapedName += "\\r"; escaped = true; break;
      default: escapedName += c;
    }
  }
  return (escaped ? "\\" : "") + HexText(digest, false) + "  " + escapedName;
}
