// The creation worker: turns a list of folders into SFV files. For each
// folder it lists and sorts the files, lets the user pick them (specific
// mode), chooses the SFV file's name, settles a clash with an existing file,
// hashes every file and writes the SFV file in one piece.
//
// The worker owns no window. Everything it tells or asks the outside goes
// through a CreateHost: notices (synchronous), main-thread steps (the worker
// waits until each returns) and the "Error" box. The creator window
// implements the host with SendMessage and its synchronize message, the CLI
// on the console, tests with a script.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Quor_FileHash.h"
#include "core/Quor_Notify.h"
#include "platform/threads.h"

// The user's answer to the overwrite question. Closed: the box was closed
// without one of the four buttons (treated like No).
enum class OverwriteAnswer { Yes, No, NoToAll, YesToAll, Closed };

class HashJobs;

// Texts of the worker's dialogs, for every host to show as they are.
// The overwrite question for an SFV file name (the bare name, no folder).
std::string OverwriteQuestionText(const std::string& name);
inline constexpr char kNewNameCaption[] = "Query";
inline constexpr char kNewNamePrompt[] = "Enter a new SFV filename..";
inline constexpr char kErrorCaption[] = "Error";

// What the worker needs from its surroundings. Notify (from NoticeTarget)
// receives CN_FOLDER_COUNT, CN_NEXT_FOLDER, CN_SFV_BEGIN, CN_TOTAL_HI,
// CN_TOTAL_LO and, from FileCrc32, CN_BYTES_DONE; it is called on the
// worker thread and must return only when the notice has been handled.
//
// The five steps below run on the main thread: the host hands them over and
// blocks the worker until they return. ShowError and RunEnded are called on
// the worker thread itself.
class CreateHost : public NoticeTarget {
 public:
  // Main-thread step: the pick list over a folder's files. fileListText holds
  // the sorted names, each followed by CR LF, all to be shown checked, CRC
  // suffix not hidden. Returns the checked names (same order, each followed
  // by CR LF; empty when none is checked) when the user pressed OK, and
  // nothing when the list was cancelled or closed (the worker keeps all).
  virtual std::optional<std::string> PickFolderFiles(const std::string& fileListText) = 0;

  // Main-thread step: the confirmation box (question icon) with
  // OverwriteQuestionText(name) and the buttons Yes, No, No to All, Yes to All.
  virtual OverwriteAnswer AskOverwrite(const std::string& name) = 0;

  // Main-thread step: the input box with caption kNewNameCaption, prompt
  // kNewNamePrompt and currentName as preset text. Returns the text as typed
  // when confirmed, nothing when cancelled.
  virtual std::optional<std::string> AskNewName(const std::string& currentName) = 0;

  // Main-thread step: shows the name of the file about to be hashed.
  virtual void ShowCurrentFile(const std::string& name) = 0;

  // Main-thread step, the last one of every run: hands over the full path of
  // every SFV file written, each followed by CR LF (empty when none).
  virtual void HandOverCreatedList(const std::string& createdFilesText) = 0;

  // Called ON THE WORKER THREAD: the message box with caption kErrorCaption,
  // error icon, topmost, without an owner window. The worker waits until it
  // is closed; the host's windows stay responsive meanwhile.
  virtual void ShowError(const std::string& text) = 0;

  // Called on the worker thread after the run, as its very last use of the
  // host (after HandOverCreatedList). A window posts itself its end handler
  // from here; the worker thread ends right after, so Join then returns at once.
  virtual void RunEnded() {}
};

class TSFVCreateThread {
 public:
  explicit TSFVCreateThread(CreateHost& host);
  ~TSFVCreateThread();  // joins a run that is still going
  TSFVCreateThread(const TSFVCreateThread&) = delete;
  TSFVCreateThread& operator=(const TSFVCreateThread&) = delete;

  // Input fields: set before Start (or Run), not touched afterwards.
  std::string FolderListText;    // folder paths, each ending with a separator, each followed by CR LF
  bool SpecificMode = false;     // pick the files of every folder; list excluded types too
  bool IncludeFileInfo = false;  // a "; " FileInfoLine comment per listed file
  bool IncludeNFO = false;       // the lines of IncludeFile as comments
  std::string IncludeFile;       // full path of the text file for IncludeNFO
  std::string DefaultFileName;   // when not empty: the SFV file name of every folder
  std::string ExcludeTypes = "#?.DIZ#?.NFO#?.JPG#?.TXT";
  // Stop requests, owned by the host, by address (may be null): abort stops
  // after the file being hashed, halt also cuts that file short. Either one
  // leaves the folder in hand without a new SFV file and ends the run.
  const StopFlag* CreateAbortFlag = nullptr;
  const StopFlag* CreateHaltFlag = nullptr;
  // Files hashed side by side (1 to kMaxJobs). With more than one, pool
  // threads hash the next files of a folder while the worker takes the
  // current one; lines, notices and questions stay in order, on this thread.
  unsigned Jobs = 1;
  // The hash of the lists written. CRC-32 writes SFV files; any other hash
  // a list NAME.md5 (.sha1, .sha256, .sha512) in the GNU form sha256sum
  // and its siblings read back ("hex  name", UTF-8, LF line ends), without
  // the SFV header: IncludeFileInfo and IncludeNFO are not used then.
  HashKind Hash = HashKind::Crc32;

  // The run on a new thread at the given priority. One run per worker.
  void Start(platform::ThreadPriority priority = platform::ThreadPriority::Normal);
  // Waits for a run started by Start to end.
  void Join();
  // The run on the calling thread (what Start runs).
  void Run();

  // One folder (with its trailing separator): list, sort, pick, name,
  // settle, hash, write. True when an SFV file was written. Run calls it for
  // every folder; called alone it keeps the answers of earlier calls.
  bool CreateSfvForFolder(const std::string& folder);

  // Every SFV file written so far, full path + CR LF each.
  const std::string& CreatedFilesText() const { return createdFilesText_; }

 private:
  void PrepareRun();
  bool Stopping() const;
  std::vector<std::string> SortedFolderFiles(const std::string& folder) const;
  std::string ChooseName(const std::string& folder, const std::vector<std::string>& files) const;
  std::optional<std::string> SettleExistingFile(const std::string& folder, std::string name);
  void AppendNfoLines(std::vector<std::string>& lines) const;
  void HandAhead(const std::string& folder, const std::vector<std::string>& files, std::size_t current,
                 std::size_t& next);

  CreateHost& host_;
  platform::Thread thread_;
  bool prepared_ = false;
  std::string exclusionPatterns_;
  bool includeNfo_ = false;
  std::string sfvName_;  // DefaultFileName with the list's extension added where it lacks it
  std::string extension_;  // of the lists written: ".sfv", ".sha256", ...
  bool overwriteAll_ = false;
  bool neverOverwrite_ = false;
  std::string createdFilesText_;
  std::unique_ptr<HashJobs> jobs_;  // with more than one job, made by the first folder
};

// The lines of an NFO text as they go into the header: a line ends at its
// first CR or LF, the next begins after the next LF, and a Ctrl-Z (26) ends
// the text. A final line end adds no empty line. Control bytes other than
// tab are dropped.
std::vector<std::string> NfoTextLines(const std::string& text);
