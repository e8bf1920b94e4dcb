// What the check worker tells and asks its window. Every call is made on the
// worker thread, and the host has taken what it needs when the call returns,
// so the worker may reuse its buffers at once. PickFiles, and Notify for
// every notice but the byte counts, return only when the main thread has
// done the step; a reported row may be shown
// later, but always in the order the rows were reported. The Windows GUI
// sends WM_CHECKNOTIFY for Notify, runs PickFiles through its synchronize
// message and hands the rows over to its window, which takes them in a few
// times a second; tests record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "core/Quor_Notify.h"

// The kind of a file-list row; it picks the status text and the row colour.
enum class FileRowKind : std::uint8_t {
  Separator = 0,  // blank row after each SFV file
  Ok = 1,         // the computed CRC equals the listed one
  KnownGood = 2,  // skipped: found good before and not written since
  Bad = 3,        // the CRC differs, or the hash was cut short
  Missing = 4,    // no file of that name
  Notice = 5,     // a message to the user (abort, read error)
};

// The text of the Status column for a kind: "- OK -", "- !BAD! -", "MISSING" or "".
const char* StatusText(FileRowKind kind);

// One row of the file list (columns Name, Path, Status, File Size).
struct FileRow {
  std::string name;
  std::string path;
  std::string status;
  std::string sizeText;
  FileRowKind kind = FileRowKind::Separator;
};

// What a row of the SFV list reports. The worker says what happened; each
// host words it (the window's SFV list, the console, the tests' traces).
enum class SfvRowKind : std::uint8_t {
  Totals,              // the counts of one checked SFV file
  InUse,               // the SFV file is in use elsewhere, or absent: nothing was checked
  ReadError,           // the SFV file could not be read; text: the system's error
  NoFileLines,         // the SFV file lists no file, so its totals prove nothing
  ProgressReadError,   // path: the progress file; text: the system's error
  ProgressWriteError,  // path: the progress file; text: the system's error
};

// One row of the SFV list, as the worker reports it.
struct SfvRow {
  SfvRowKind kind = SfvRowKind::Totals;
  std::string path;  // the SFV file; the progress file for the progress kinds
  // The counts of Totals: files listed (or picked), good (OK and known
  // good), bad, missing.
  std::uint32_t total = 0;
  std::uint32_t good = 0;
  std::uint32_t bad = 0;
  std::uint32_t missing = 0;
  std::string text;  // the error text of the error kinds

  static SfvRow Totals(std::string path, std::uint32_t total, std::uint32_t good, std::uint32_t bad,
                       std::uint32_t missing) {
    return SfvRow{SfvRowKind::Totals, std::move(path), total, good, bad, missing, {}};
  }
  static SfvRow Notice(SfvRowKind kind, std::string path, std::string text = {}) {
    return SfvRow{kind, std::move(path), 0, 0, 0, 0, std::move(text)};
  }
};

class CheckHost : public NoticeTarget {
 public:
  // Adds a row to the file list (AddFileRow).
  virtual void ReportFile(const FileRow& row) = 0;
  // Reports an SFV file's totals or a notice about it (AddSfvRow).
  virtual void ReportSfv(const SfvRow& row) = 0;
  // Shows the pick list with the SFV file lines (a list text, CR LF after
  // each); gives the lines the user left checked, as a list text in list
  // order, or nothing when the dialog was closed without OK.
  virtual std::optional<std::string> PickFiles(const std::string& lines) = 0;
};
