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

// One row of the SFV list (columns SFV, Total Files, Good, Bad, Missing).
struct SfvRow {
  std::string sfv;
  std::string total;
  std::string good;
  std::string bad;
  std::string missing;
};

class CheckHost : public NoticeTarget {
 public:
  // Adds a row to the file list (AddFileRow).
  virtual void ReportFile(const FileRow& row) = 0;
  // Adds a row to the SFV list (AddSfvRow).
  virtual void ReportSfv(const SfvRow& row) = 0;
  // Shows the pick list with the SFV file lines (a list text, CR LF after
  // each); gives the lines the user left checked, as a list text in list
  // order, or nothing when the dialog was closed without OK.
  virtual std::optional<std::string> PickFiles(const std::string& lines) = 0;
};
