// What a start of the program does, decided from its command line and from
// whether a main window of the program already runs; and the two ways a
// running main window takes requests from outside (a later copy's hand-over
// record, dropped files), turned into check requests. No window here: the
// Win32 side (finding the running copy, WM_COPYDATA, the drop handle) is in
// Quor_Startup and the main window, and hands its raw input to these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The hand-over codes (COPYDATASTRUCT::dwData), one per check switch.
inline constexpr std::uint32_t HO_TEST_FILE = 64;        // "-TestFile"
inline constexpr std::uint32_t HO_TEST_FILE_SPE = 65;    // "-TestFileS"
inline constexpr std::uint32_t HO_TEST_FOLDER = 66;      // "-TestFolder"
inline constexpr std::uint32_t HO_TEST_FOLDER_SPE = 67;  // "-TestFolderS"
// A path that the legacy code page cannot hold goes as UTF-8 with the code
// above plus this offset (68..71); 64..67 carry legacy text, as older
// copies send and expect it.
inline constexpr std::uint32_t HO_UTF8_OFFSET = 4;

// One request for the check queue (SubmitCheck / StartCheckRun).
struct CheckRequest {
  std::string path;
  bool isFolder = false;
  bool specific = false;

  bool operator==(const CheckRequest&) const = default;
};

// The hand-over code of a check switch, compared exactly (case-sensitive,
// whole string); nothing for any other text.
std::optional<std::uint32_t> HandOverCode(const std::string& switchText);

// The request a hand-over code stands for; nothing outside 64..67.
std::optional<CheckRequest> RequestOfCode(std::uint32_t code, const std::string& path);

// The check a command line asks for: exactly two arguments, the first a
// check switch, the second the path. args: the arguments after the
// program's name.
std::optional<CheckRequest> CheckRequestOfCommandLine(const std::vector<std::string>& args);

// The arguments with the path of a check or create switch made full against
// the current folder (a path typed in a console may be relative); anything
// else unchanged.
std::vector<std::string> WithFullPath(std::vector<std::string> args);

// "-CreateSFVFile" or "-CreateSFVFileS" and a folder: the creator window alone.
bool IsCreateCommandLine(const std::vector<std::string>& args);

enum class StartAction {
  OpenMainWindow,  // this process becomes the main window
  OpenCreator,     // this process is the creator window alone
  HandOver,        // send the request to the running copy, then end
  Exit,            // end at once, doing nothing
};

struct StartDecision {
  StartAction action = StartAction::OpenMainWindow;
  std::uint32_t code = 0;  // HandOver: the hand-over code
  std::string payload;     // HandOver: the path followed by one zero byte
};

// The start-up decision. copyRunning: a main window of the program exists
// (and no "TAppBuilder" window cancels it).
StartDecision DecideStart(const std::vector<std::string>& args, bool copyRunning);

// The bytes sent in a hand-over record: the path and one zero byte
// (cbData is the size of this text, the zero counted), in the legacy code
// page when the path fits it, else in UTF-8 with the code moved up by
// HO_UTF8_OFFSET.
std::string HandOverPayload(const std::string& path, std::uint32_t& code);

// The path in a received hand-over record: the bytes at data up to the first
// zero byte, reading never more than size bytes (a record whose bytes hold
// no zero gives all size bytes). A null data gives "".
std::string HandOverPath(const void* data, std::size_t size);

// The request a received hand-over record stands for: the path read as
// legacy text for the codes 64..67, as UTF-8 for 68..71 (nothing when it is
// not UTF-8); nothing for any other code.
std::optional<CheckRequest> RequestOfHandOver(std::uint32_t code, const void* data, std::size_t size);

// The request for a dropped item: a folder is checked as a folder tree; a
// checksum list (an SFV file, or a list such as x.sha256 or SHA256SUMS:
// ListHashOfName) as one list; anything else is ignored.
std::optional<CheckRequest> RequestOfDroppedItem(const std::string& path, bool isFolder);
