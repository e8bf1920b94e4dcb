#include "core/Quor_MiscFileLib.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>

#include "core/Quor_ChecksumList.h"
#include "core/Quor_Text.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

constexpr std::size_t kReadPiece = 64000;
constexpr std::uint64_t kFileTimeTicksPerSecond = 10000000ULL;
constexpr std::uint64_t kFileTimeTicksPerDay = 86400ULL * kFileTimeTicksPerSecond;

// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDays1601To1970 = 134774;

// The calendar date of a count of days since 1970-01-01 (proleptic
// Gregorian), after Howard Hinnant's civil_from_days.
void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

// A sub-folder the folder walks go into. A link to a folder is left out: a
// link to a folder above makes the walk endless, and without links every
// real folder of the tree is reached once, by its own path. That needs no
// file ids and no set of visited folders, and a link can no longer take the
// walk out of the tree the user chose.
bool IsSubFolderToWalk(const platform::DirEntry& entry) {
  return entry.isFolder && !entry.isLink && !IsDotEntry(entry.name);
}

// WriteFileText's temporary file is the target's name + this + a number.
constexpr char kTemporaryMarker[] = ".quor~";

bool AllDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// A name for the temporary file beside target that nothing uses yet, opened.
// When none can be made, errorText says why, in the system's words.
platform::File CreateTemporaryBeside(const std::string& target, std::string& tempPath, std::string& errorText) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    tempPath = target + kTemporaryMarker + std::to_string(attempt);
    platform::File file = platform::File::Open(tempPath, platform::Access::Write, platform::Share::Read,
                                               platform::Disposition::CreateNew);
    if (file.IsOpen()) return file;
    errorText = platform::LastErrorText();  // before the look-up below sets another error
    if (platform::LookUpPath(tempPath) == std::nullopt) break;  // not a clash: the folder refuses
  }
  tempPath.clear();
  return platform::File();
}

// Puts the written temporary file in place of target. A read-only target is
// made writable only now, and read-only again when the replace fails.
bool PutInPlace(const std::string& tempPath, const std::string& target, std::string& errorText) {
  const std::optional<platform::DirEntry> entry = platform::LookUpPath(target);
  const bool readOnly = entry && !entry->isFolder && (entry->attributes & platform::kAttrReadOnly);
  if (readOnly) platform::ClearAttributes(target);
  if (platform::ReplaceFileAtomic(tempPath, target, errorText)) return true;
  if (readOnly) platform::SetReadOnly(target);
  return false;
}

void AppendSubFolders(const std::string& folder, bool allLevels, std::string& out) {
  const std::string base = IncludeTrailingSeparator(folder);
  std::vector<std::string> found;
  platform::ListFolder(base, [&](const platform::DirEntry& entry) {
    if (IsSubFolderToWalk(entry)) found.push_back(base + entry.name + platform::kPathSep);
  });
  for (const std::string& sub : found) {
    out += sub;
    out += kCrLf;
    if (allLevels) AppendSubFolders(sub, true, out);
  }
}

}  // namespace

std::uint32_t FileSize32(const std::string& path) {
  std::optional<platform::DirEntry> entry = platform::LookUpPath(path);
  return entry ? entry->sizeLow : 0;
}

std::uint64_t FileSize64(const std::string& path) {
  const std::optional<platform::DirEntry> entry = platform::LookUpPath(path);
  return entry ? entry->size : 0;
}

std::string ReadFileText(const std::string& path, std::string& errorText) {
  errorText.clear();
  std::string text;
  if (!platform::FileExists(path)) return text;
  platform::File file = platform::File::Open(path, platform::Access::Read, platform::Share::Read,
                                             platform::Disposition::OpenExisting, true);
  if (!file.IsOpen()) return text;
  // Each piece is taken as a zero-terminated string, except in a file that
  // starts with a UTF-16 byte-order mark, whose characters hold zero bytes.
  bool first = true, utf16 = false;
  platform::ReadPiecesAligned(
      file, kReadPiece,
      [&](const char* piece, std::size_t got) {
        if (first) utf16 = platform::StartsWithUtf16Mark(std::string_view(piece, got));
        first = false;
        text.append(piece, utf16 ? got : strnlen(piece, got));
      },
      errorText);
  return text;
}

bool WriteFileText(const std::string& path, const std::string& text, std::string& errorText) {
  errorText.clear();
  if (text.size() < 2) return false;
  // Replacing a link would, on Windows, delete or write over what it points
  // at, and on POSIX clear its attributes: a link is never replaced.
  if (const std::optional<platform::DirEntry> entry = platform::FindEntry(path); entry && entry->isLink) {
    errorText = kLinkNotReplacedText;
    return false;
  }
  const std::string folder = ExtractFilePath(path);
  if (!folder.empty() && !platform::FolderExists(folder)) {
    platform::CreateFolder(ExcludeTrailingSeparator(folder));
  }

  std::string tempPath;
  platform::File temp = CreateTemporaryBeside(path, tempPath, errorText);
  if (!temp.IsOpen()) return false;
  bool written = platform::WriteAllAligned(temp, text, errorText) && temp.Flush(errorText);
  temp.Close();
  if (written) written = PutInPlace(tempPath, path, errorText);
  if (!written) platform::RemoveFile(tempPath);
  return written;
}

std::string FileTimeKey(const std::string& path) {
  std::optional<platform::DirEntry> entry = platform::LookUpPath(path);
  return entry ? FileTimeKeyOf(entry->lastWriteTime) : std::string();
}

std::string FileTimeKeyOf(std::uint64_t lastWriteTime) {
  char key[17];
  std::snprintf(key, sizeof key, "%8.8X%8.8X", static_cast<unsigned>(lastWriteTime >> 32),
                static_cast<unsigned>(lastWriteTime & 0xFFFFFFFFu));
  return key;
}

bool CreateEmptyFile(const std::string& path) {
  platform::File file = platform::File::Open(path, platform::Access::Write, platform::Share::None,
                                             platform::Disposition::CreateAlways);
  return file.IsOpen();
}

std::string LongFileName(const std::string& path) {
  std::optional<platform::DirEntry> entry = platform::FindEntry(path);
  return entry ? entry->name : ExtractFileName(path);
}

std::string ExpandShortPath(const std::string& folder) {
  if (folder.find('~') == std::string::npos) return folder;
  const std::string original = folder;
  std::string path = ExcludeTrailingSeparator(folder);
  std::string result(1, platform::kPathSep);
  while (path.size() > 3) {
    result = platform::kPathSep + LongFileName(path) + result;
    path = ExcludeTrailingSeparator(ExtractFilePath(path));
  }
  if ((path.size() == 2 || path.size() == 3) && path[1] == ':') result = path.substr(0, 2) + result;
  return platform::FolderExists(result) ? result : original;
}

bool PathIsInside(const std::string& path, const std::string& folder) {
  const auto normal = [](const std::string& text) {
    std::string key = platform::FileNameKey(text);
    for (char& c : key) {
      if (platform::IsPathSep(c)) c = '/';
    }
    while (key.size() > 1 && key.back() == '/') key.pop_back();
    return key;
  };
  const std::string inner = normal(path);
  const std::string outer = normal(folder);
  if (outer.empty() || inner.compare(0, outer.size(), outer) != 0) return false;
  // "/a/bc" is not inside "/a/b"; a root such as "/" or "C:/" ends in its separator.
  return inner.size() == outer.size() || outer.back() == '/' || inner[outer.size()] == '/';
}

bool IsFileLocked(const std::string& path) {
  platform::File file = platform::File::Open(path, platform::Access::Read, platform::Share::None,
                                             platform::Disposition::OpenExisting);
  return !file.IsOpen();
}

bool IsListToCheck(const std::string& fileName) {
  const std::optional<HashKind> hash = ListHashOfName(fileName);
  if (!hash) return false;
  // "x..sfv" is not taken for an SFV file.
  return *hash != HashKind::Crc32 || AsciiUpper(fileName).find("..SFV") == std::string::npos;
}

SfvSearchResult FindSfvFiles(const std::string& folder, bool includeSubFolders, bool specific) {
  SfvSearchResult result;
  if (!platform::FolderExists(folder)) return result;
  const char* prefix = specific ? "SPE$" : "ALL$";
  std::deque<std::string> toVisit{IncludeTrailingSeparator(ExpandShortPath(folder))};
  while (!toVisit.empty()) {
    const std::string current = std::move(toVisit.front());
    toVisit.pop_front();
    platform::ListFolder(current, [&](const platform::DirEntry& entry) {
      if (entry.isSpecial) return;
      if (entry.isFolder) {
        if (includeSubFolders && IsSubFolderToWalk(entry)) {
          toVisit.push_back(current + entry.name + platform::kPathSep);
        }
        return;
      }
      if (!IsListToCheck(entry.name)) return;
      result.lastFound = current + entry.name;
      result.queueText += prefix;
      result.queueText += result.lastFound;
      result.queueText += kCrLf;
      ++result.count;
    });
  }
  return result;
}

std::optional<platform::CalendarTime> FileTimeToDateTime(std::uint64_t fileTime) {
  const std::uint64_t days = fileTime / kFileTimeTicksPerDay;
  const std::uint64_t ticksOfDay = fileTime % kFileTimeTicksPerDay;
  platform::CalendarTime time;
  CivilFromDays(static_cast<std::int64_t>(days) - kDays1601To1970, time.year, time.month, time.day);
  if (time.year > 9999) return std::nullopt;
  const std::uint64_t secondsOfDay = ticksOfDay / kFileTimeTicksPerSecond;
  time.hour = static_cast<int>(secondsOfDay / 3600);
  time.minute = static_cast<int>(secondsOfDay / 60 % 60);
  time.second = static_cast<int>(secondsOfDay % 60);
  time.millisecond = static_cast<int>(ticksOfDay % kFileTimeTicksPerSecond / 10000);
  time.dayOfWeek = static_cast<int>((days + 1) % 7);  // 1601-01-01 was a Monday
  return time;
}

std::string FileInfoLine(const std::string& path) {
  std::optional<platform::DirEntry> entry = platform::FindEntry(path);
  if (!entry) return std::string();
  std::string when;
  if (std::optional<platform::CalendarTime> time = FileTimeToDateTime(entry->creationTime)) {
    when = platform::FormatShortDate(*time);
    const bool midnight = time->hour == 0 && time->minute == 0 && time->second == 0 && time->millisecond == 0;
    if (!midnight) when += " " + platform::FormatLongTime(*time);
  }
  char size[24];
  std::snprintf(size, sizeof size, "%9llu", static_cast<unsigned long long>(entry->size));
  return std::string(size) + "  " + when + "  " + entry->name;
}

std::string ListSubFolders(const std::string& folder, bool allLevels) {
  std::string out;
  AppendSubFolders(folder, allLevels, out);
  return out;
}

std::vector<std::string> PatternExtensions(const std::string& patterns, const std::string& marker) {
  std::vector<std::string> extensions;
  if (marker.empty()) return extensions;
  std::size_t at = patterns.find(marker);
  while (at != std::string::npos) {
    const std::size_t start = at + marker.size();
    at = patterns.find(marker, start);
    const std::string item = patterns.substr(start, at == std::string::npos ? std::string::npos : at - start);
    if (!item.empty()) extensions.push_back(AsciiUpper(item));
  }
  return extensions;
}

std::string ListFolderFiles(const std::string& folder, const std::string& patterns,
                            const std::string& marker, bool includeAll) {
  const std::vector<std::string> excluded =
      includeAll ? std::vector<std::string>() : PatternExtensions(patterns, marker);
  std::string out;
  platform::ListFolder(IncludeTrailingSeparator(folder), [&](const platform::DirEntry& entry) {
    if (entry.isFolder || entry.isSpecial || IsTemporaryFileName(entry.name)) return;
    const std::string extension = AsciiUpper(ExtractFileExt(entry.name));
    if (!extension.empty() && std::find(excluded.begin(), excluded.end(), extension) != excluded.end()) return;
    out += entry.name;
    out += kCrLf;
  });
  return out;
}

namespace {

// A progress file is named after its list's folder, '_' and the list's own
// name: "show_part1.sfv", "show_sha256sums".
bool IsProgressFileName(const std::string& name) {
  if (ListHashOfName(name)) return true;
  for (std::size_t at = name.find('_'); at != std::string::npos; at = name.find('_', at + 1)) {
    if (ListHashOfName(std::string_view(name).substr(at + 1))) return true;
  }
  return false;
}

}  // namespace

void DeleteOldFiles(const std::string& folder, std::uint32_t days) {
  const std::string base = IncludeTrailingSeparator(folder);
  const std::uint64_t now = platform::NowFileTime();
  const std::uint64_t maxAge = static_cast<std::uint64_t>(days) * kFileTimeTicksPerDay;
  std::vector<std::string> old;
  platform::ListFolder(base, [&](const platform::DirEntry& entry) {
    if (entry.isFolder || !IsProgressFileName(entry.name)) return;
    if (!FileTimeToDateTime(entry.lastWriteTime)) return;
    if (now > entry.lastWriteTime && now - entry.lastWriteTime > maxAge) old.push_back(base + entry.name);
  });
  for (const std::string& path : old) platform::RemoveFile(path);
}

bool IsTemporaryFileName(const std::string& name) {
  const std::size_t marker = name.rfind(kTemporaryMarker);
  if (marker != std::string::npos && marker > 0 &&
      AllDigits(name.substr(marker + sizeof kTemporaryMarker - 1)))
    return true;
  const std::size_t wholeFile = name.rfind(platform::kWholeFileTemporaryMarker);
  if (wholeFile == std::string::npos || wholeFile == 0) return false;
  const std::string tail = name.substr(wholeFile + sizeof platform::kWholeFileTemporaryMarker - 1);
  const std::size_t dash = tail.find('-');
  return dash != std::string::npos && AllDigits(tail.substr(0, dash)) && AllDigits(tail.substr(dash + 1));
}

void DeleteStaleTemporaryFiles(const std::string& folder, std::uint64_t maxAgeSeconds) {
  const std::string base = IncludeTrailingSeparator(folder);
  const std::uint64_t now = platform::NowFileTime();
  const std::uint64_t maxAge = maxAgeSeconds * kFileTimeTicksPerSecond;
  std::vector<std::string> stale;
  platform::ListFolder(base, [&](const platform::DirEntry& entry) {
    if (entry.isFolder || !IsTemporaryFileName(entry.name)) return;
    if (now > entry.lastWriteTime && now - entry.lastWriteTime > maxAge) stale.push_back(base + entry.name);
  });
  for (const std::string& path : stale) platform::RemoveFile(path);
}
