// File routines shared by checking and creation: whole-file text reading and
// writing, sizes and time keys, marker files, SFV file search, folder and
// file lists with the "#?" exclusion patterns, and the clean-up of old
// progress files. Failures come back as results (empty text, 0, false);
// only the whole-file read and write have an error text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/locale.h"

// Low 32 bits of the size of the path's directory entry (a file or folder);
// 0 when nothing is found.
std::uint32_t FileSize32(const std::string& path);
// The whole size of the directory entry at path (0 when nothing is found):
// what progress totals and the size column count, so that a file of 4 GiB
// or more is not counted as its remainder.
std::uint64_t FileSize64(const std::string& path);

// The whole file as text. Read in 64,000-byte pieces; a NUL byte ends the
// part of its piece that goes into the text, unless the file starts with a
// UTF-16 byte-order mark (then every byte is kept). errorText is set only
// when a read fails after the file was opened.
std::string ReadFileText(const std::string& path, std::string& errorText);

// What WriteFileText says when the file to replace is a link.
inline constexpr char kLinkNotReplacedText[] =
    "It is a link; it is not replaced, and what it points at is left as it is.";

// Replaces the file with text, in one piece: the text goes to a temporary
// file in the same folder, is flushed, and is then put in place of the
// target, so a crash leaves the old file or the new one. A text shorter than
// 2 characters writes nothing. Creates one missing folder level and replaces
// a read-only file (which stays read-only when the text could not be
// written). A link (symbolic link, junction) is never replaced, nor written
// through. False when not written; errorText then says why (empty only for a
// text too short to write).
bool WriteFileText(const std::string& path, const std::string& text, std::string& errorText);

// The last-write time as 16 upper-case hex digits, or "" when not found.
std::string FileTimeKey(const std::string& path);
// The same key for a last-write time already looked up (a FILETIME value).
std::string FileTimeKeyOf(std::uint64_t lastWriteTime);

// Makes a zero-length file at the path (cutting an existing one).
bool CreateEmptyFile(const std::string& path);

// The on-disk name of the path's last component.
std::string LongFileName(const std::string& path);

// The folder spelled with long names, for paths with "~" in them.
std::string ExpandShortPath(const std::string& folder);

// True when path is folder itself or lies inside it, both spelled as the
// file system holds them (RealPath): compared step by step as the file
// system compares names (without letter case on Windows), either separator.
bool PathIsInside(const std::string& path, const std::string& folder);

// True when the file cannot be opened for exclusive reading (in use, or absent).
bool IsFileLocked(const std::string& path);

struct SfvSearchResult {
  std::string queueText;  // "ALL$" or "SPE$" + path, CR LF, per SFV file
  std::uint32_t count = 0;
  std::string lastFound;
};

// True for the name of a checksum list that a folder check takes: an SFV
// file (but not "x..sfv") or a list of another hash (ListHashOfName).
bool IsListToCheck(const std::string& fileName);

// Finds the checksum lists of a folder (IsListToCheck), breadth-first when
// includeSubFolders. Links to folders are not followed; devices, FIFOs and
// sockets with such names are not taken (they would block or never end).
SfvSearchResult FindSfvFiles(const std::string& folder, bool includeSubFolders, bool specific);

// Calendar fields of a FILETIME value (UTC, not converted to local time);
// nothing when the time cannot be represented.
std::optional<platform::CalendarTime> FileTimeToDateTime(std::uint64_t fileTime);

// "SIZE  date time  name" for the file, or "" when not found: the whole size
// right-aligned in nine characters (more for larger numbers).
std::string FileInfoLine(const std::string& path);

// The folder's sub-folders, each with a trailing separator and CR LF; with
// allLevels each is followed by all of its own, depth first. Links to
// folders are left out.
std::string ListSubFolders(const std::string& folder, bool allLevels);

// The extensions of exclusion patterns: the items that follow each marker
// ("#?.DIZ#?.nfo" gives ".DIZ" and ".NFO"), upper-cased; empty items and
// text before the first marker name nothing.
std::vector<std::string> PatternExtensions(const std::string& patterns, const std::string& marker);

// The folder's file names, each with CR LF, leaving out a file whose whole
// extension, without regard to case, is one of the patterns' extensions,
// unless includeAll. A file without an extension is always listed, and so
// is one whose extension only begins or ends like a listed one. The
// program's own temporary files are never listed, nor devices, FIFOs and
// sockets.
std::string ListFolderFiles(const std::string& folder, const std::string& patterns,
                            const std::string& marker, bool includeAll);

// Deletes the folder's progress files (named after a checksum list:
// "show_part1.sfv", "show_x.sha256", "show_sha256sums") last written more
// than days ago.
void DeleteOldFiles(const std::string& folder, std::uint32_t days);

// True for the name of a temporary file of the program's whole-file writes:
// NAME.quor~N (WriteFileText) or NAME.~PID-N (platform::ReplaceWholeFile).
// A crash between writing and renaming can leave one behind.
bool IsTemporaryFileName(const std::string& name);

// Deletes the folder's temporary files of ours (IsTemporaryFileName) last
// written more than maxAgeSeconds ago: what a crash or kill between writing
// and putting in place left behind. Anything else stays.
void DeleteStaleTemporaryFiles(const std::string& folder, std::uint64_t maxAgeSeconds);
