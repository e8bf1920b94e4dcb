// The SFV file format: reading file lines ("name CRC", the CRC as eight hex
// digits, comments starting with ';') and the writer's line formats.
// Parsing is pure; only LoadSfvFile touches the disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/fs.h"

// True for a file line. Removes a "0x" in front of the CRC from the line.
bool IsSfvLine(std::string& line);

// Splits an accepted file line into the name (everything before the last
// blank, untrimmed) and the CRC. False when the line does not split.
bool SplitSfvLine(const std::string& line, std::string& name, std::uint32_t& crc);

struct SfvContent {
  std::vector<std::string> lines;  // the file lines, in file order, as IsSfvLine left them
  std::uint64_t totalSize = 0;     // the sizes of the listed files that exist
  std::string errorText;           // set only when reading the file failed
  // The names of the entries of the SFV file's folder, when the total came
  // from one listing of it.
  std::optional<std::vector<std::string>> folderNames;
};

// Reads an SFV file: its file lines and the total size of the files they
// list that exist (names relative to the SFV file's folder).
SfvContent LoadSfvFile(const std::string& sfvPath);

// The sum of the sizes of the listed files that exist (names relative to
// folder, which ends with a separator). When the sizes came from one listing
// of the folder and folderNames is given, it gets the names of its entries.
std::uint64_t ListedFilesSize(const std::string& folder, const std::vector<std::string>& names,
                              std::optional<std::vector<std::string>>* folderNames = nullptr);

// The path of a name listed in an SFV file, relative to folder (which ends
// with a separator). On POSIX a backslash in the name separates folders.
std::string ListedFilePath(const std::string& folder, const std::string& name);

// The file a listed name stands for: its path and, when it exists, its
// directory entry. Windows drops blanks and dots at the end of a name when
// it opens a path, so SFV files padded before the CRC find their files
// there; on POSIX a name not found as it stands is looked up without them
// too, so that both builds find the same file.
struct ListedFile {
  std::string path;
  std::optional<platform::DirEntry> entry;
};
ListedFile LookUpListedFile(const std::string& folder, const std::string& name);

// The first line of every SFV file the program writes.
std::string SfvGeneratedLine();
// A file line: the name, a blank, and the CRC as 8 upper-case hex digits.
std::string FormatSfvLine(const std::string& name, std::uint32_t crc);
