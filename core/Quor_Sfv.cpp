#include "core/Quor_Sfv.h"

#include <cstdio>
#include <string_view>
#include <unordered_map>

#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Text.h"
#include "core/Quor_Version.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

constexpr std::size_t kCrcDigits = 8;

bool IsHexDigit(char c) { return HexDigitValue(c) >= 0; }

}  // namespace

bool IsSfvLine(std::string& line) {
  if (line.empty()) return false;
  if (line.find(';') == 0) return false;
  const std::size_t blank = line.rfind(' ');
  // A line that starts with the blank names no file.
  if (blank == std::string::npos || blank == 0) return false;
  std::string_view tail = std::string_view(line).substr(blank + 1);
  if (tail.size() == kCrcDigits + 2 && tail[0] == '0' && (tail[1] == 'x' || tail[1] == 'X')) {
    line.erase(blank + 1, 2);
    tail = std::string_view(line).substr(blank + 1);
  }
  if (tail.size() != kCrcDigits) return false;
  for (char c : tail) {
    if (!IsHexDigit(c)) return false;
  }
  return true;
}

bool SplitSfvLine(const std::string& line, std::string& name, std::uint32_t& crc) {
  name.clear();
  crc = 0;
  const std::size_t blank = line.rfind(' ');
  if (blank == std::string::npos || line.size() != blank + 1 + kCrcDigits) return false;
  std::uint32_t value = 0;
  for (std::size_t i = blank + 1; i < line.size(); ++i) {
    const int digit = HexDigitValue(line[i]);
    if (digit < 0) return false;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  name = line.substr(0, blank);
  crc = value;
  return true;
}

std::string ListedFilePath(const std::string& folder, const std::string& name) {
  std::string path = folder + name;
#ifndef _WIN32
  for (std::size_t i = folder.size(); i < path.size(); ++i) {
    if (path[i] == '\\') path[i] = '/';
  }
#endif
  return path;
}

ListedFile LookUpListedFile(const std::string& folder, const std::string& name) {
  ListedFile file{ListedFilePath(folder, name), std::nullopt};
  file.entry = platform::LookUpPath(file.path);
#ifndef _WIN32
  if (!file.entry) {
    std::size_t end = name.size();
    while (end > 0 && (name[end - 1] == ' ' || name[end - 1] == '.')) --end;
    if (end > 0 && end < name.size() && !platform::IsPathSep(name[end - 1])) {
      const std::string trimmed = ListedFilePath(folder, name.substr(0, end));
      if (std::optional<platform::DirEntry> entry = platform::LookUpPath(trimmed)) {
        file = ListedFile{trimmed, std::move(entry)};
      }
    }
  }
#endif
  return file;
}

namespace {

// Where listings are cheap, lists of this many files or more take the sizes
// of the files in the SFV file's own folder from one listing of it rather
// than one look-up each: under Wine a look-up costs about as much as
// opening the file.
constexpr std::size_t kListFolderFrom = 16;

bool HasPathSep(const std::string& name) {
  for (char c : name) {
    if (platform::IsPathSep(c)) return true;
  }
  return false;
}

}  // namespace

SfvContent LoadSfvFile(const std::string& sfvPath) {
  SfvContent content;
  const std::string text = platform::DecodeFileText(ReadFileText(sfvPath, content.errorText));
  const std::string folder = ExtractFilePath(sfvPath);
  std::string_view rest(text);
  // Every CR and every LF ends a line; the empty lines between CR and LF of
  // a pair are not file lines and fall out.
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    std::string line(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (IsSfvLine(line)) content.lines.push_back(std::move(line));
  }
  std::vector<std::string> names;
  names.reserve(content.lines.size());
  for (const std::string& line : content.lines) names.push_back(line.substr(0, line.size() - (kCrcDigits + 1)));
  content.totalSize = ListedFilesSize(folder, names, &content.folderNames);
  return content;
}

std::uint64_t ListedFilesSize(const std::string& folder, const std::vector<std::string>& names,
                              std::optional<std::vector<std::string>>* folderNames) {
  // The sizes of the folder's own files, by the key the file system finds
  // them under.
  std::unordered_map<std::string, std::uint64_t> sizes;
  std::vector<std::string> entryNames;
  const bool listed = platform::kListingIsCheap && names.size() >= kListFolderFrom &&
                      platform::ListFolder(folder, [&](const platform::DirEntry& entry) {
                        if (!entry.isFolder) sizes.emplace(platform::FileNameKey(entry.name), entry.size);
                        if (folderNames) entryNames.push_back(entry.name);
                      });
  if (folderNames && listed) *folderNames = std::move(entryNames);
  std::uint64_t total = 0;
  for (const std::string& name : names) {
    if (listed && !HasPathSep(name)) {
      const auto found = sizes.find(platform::FileNameKey(name));
      if (found != sizes.end()) {
        total += found->second;
        continue;
      }
    }
    const ListedFile file = LookUpListedFile(folder, name);
    if (file.entry && !file.entry->isFolder) total += file.entry->size;
  }
  return total;
}

std::string SfvGeneratedLine() { return std::string("; Generated with Quor v") + kQuorVersion; }

std::string FormatSfvLine(const std::string& name, std::uint32_t crc) {
  char digits[kCrcDigits + 1];
  std::snprintf(digits, sizeof digits, "%8.8X", static_cast<unsigned>(crc));
  return name + " " + digits;
}
