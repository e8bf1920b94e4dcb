#include "cli/Quor_CliRun.h"

#include <chrono>
#include <optional>
#include <vector>

#include "check/Quor_CheckThread.h"
#include "cli/Quor_CliProgress.h"
#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Text.h"
#include "create/Quor_CreateThread.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

using Clock = std::chrono::steady_clock;

// The progress line on the terminal: rewritten in place with CR, wiped
// before anything else is printed, so rows on stdout stay whole.
class StatusLine {
 public:
  StatusLine(const CliConsole& console, const char* unit) : console_(console), progress_(unit) {}
  ~StatusLine() { Clear(); }

  CliProgress& Progress() { return progress_; }

  void Notice(std::uint32_t code, std::uint32_t value) {
    progress_.Apply(code, value);
    if (!console_.showProgress) return;
    if (code == CN_SFV_BEGIN) lastTick_ = Clock::now();
    if (code != CN_BYTES_DONE) return;
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - lastTick_).count();
    if (seconds < 1.0) return;
    lastTick_ = now;
    if (std::optional<std::string> line = progress_.Tick(seconds)) Show(*line);
  }

  // Prints a row on stdout, out of the progress line's way.
  void Row(const std::string& text) {
    Clear();
    platform::WriteText(console_.out, text + "\n");
    if (console_.showProgress) std::fflush(console_.out);
  }

  void Clear() {
    if (shown_ == 0) return;
    std::fprintf(console_.err, "\r%*s\r", static_cast<int>(shown_), "");
    std::fflush(console_.err);
    shown_ = 0;
  }

 private:
  void Show(const std::string& line) {
    std::fflush(console_.out);
    // Padding covers the rest of a longer line shown before.
    std::string padded = "\r" + line;
    if (line.size() < shown_) padded.append(shown_ - line.size(), ' ');
    platform::WriteText(console_.err, padded);
    std::fflush(console_.err);
    shown_ = line.size();
  }

  const CliConsole& console_;
  CliProgress progress_;
  Clock::time_point lastTick_ = Clock::now();
  std::size_t shown_ = 0;
};

std::string StatusColumn(const std::string& status) {
  std::string column = status;
  if (column.size() < 9) column.resize(9, ' ');
  return column + "  ";
}

// Makes the folder and every missing folder above it.
bool MakeFolders(const std::string& folder) {
  const std::string path = ExcludeTrailingSeparator(folder);
  if (path.empty() || platform::FolderExists(path)) return !path.empty();
  const std::string parent = ExcludeTrailingSeparator(ExtractFilePath(path));
  if (!parent.empty() && parent != path && !platform::FolderExists(parent) && !MakeFolders(parent)) return false;
  return platform::CreateFolder(path) || platform::FolderExists(path);
}

// True when a file can be made (and removed again) in the folder.
bool CanWriteIn(const std::string& folder) {
  const std::string probe = IncludeTrailingSeparator(folder) + "quor-cli-write-test.tmp";
  platform::File file = platform::File::Open(probe, platform::Access::Write, platform::Share::None,
                                             platform::Disposition::CreateNew);
  if (!file.IsOpen()) return false;
  file.Close();
  platform::RemoveFile(probe);
  return true;
}

// A listed path made absolute, so that progress file names and the names the
// creator chooses come from the real folder names.
std::string Absolute(const std::string& path) { return platform::FullPathName(path); }

// --- check ---------------------------------------------------------------

class ConsoleCheckHost : public CheckHost {
 public:
  ConsoleCheckHost(const CliConsole& console, bool quiet)
      : console_(console), line_(console, "SFV file"), quiet_(quiet) {}

  void Notify(NotifyCode code, std::uint32_t value) override { line_.Notice(code, value); }

  void ReportFile(const FileRow& row) override {
    switch (row.kind) {
      case FileRowKind::Separator:
        return;
      case FileRowKind::Ok:
      case FileRowKind::KnownGood:
        if (quiet_) return;
        [[fallthrough]];
      case FileRowKind::Bad:
      case FileRowKind::Missing:
        line_.Row(StatusColumn(row.status) + row.path + row.name);
        return;
      case FileRowKind::Notice:
        line_.Row(StatusColumn("") + row.name + "  " + row.path);
        return;
    }
  }

  void ReportSfv(const SfvRow& row) override {
    switch (row.kind) {
      case SfvRowKind::Totals:
        line_.Row(StatusColumn("SFV") + row.path + "  total " + std::to_string(row.total) + ", good " +
                  std::to_string(row.good) + ", bad " + std::to_string(row.bad) + ", missing " +
                  std::to_string(row.missing));
        if (row.good != row.total || row.bad != 0 || row.missing != 0) failed_ = true;
        return;
      case SfvRowKind::NoFileLines:
        line_.Clear();
        platform::WriteText(console_.err, "quor-cli: " + row.path + ": no file lines\n");
        failed_ = true;
        return;
      // The SFV file could not be checked: the run fails.
      case SfvRowKind::InUse:
        line_.Row(StatusColumn("") + row.path + "  Error File Was In Use");
        failed_ = true;
        return;
      case SfvRowKind::ReadError:
        line_.Row(StatusColumn("") + row.path + "  Error Reading SFV File");
        line_.Row(StatusColumn("") + row.text);
        failed_ = true;
        return;
      // Known-good files are not remembered; the check itself stands.
      case SfvRowKind::ProgressReadError:
      case SfvRowKind::ProgressWriteError: {
        const char* what = row.kind == SfvRowKind::ProgressReadError ? "reading" : "writing";
        line_.Row(StatusColumn("") + "Error " + what + " progress file !! (" + row.path + ")");
        line_.Row(StatusColumn("") + row.text);
        return;
      }
    }
  }

  // The CLI queues every SFV file whole; there is no pick list to offer.
  std::optional<std::string> PickFiles(const std::string&) override { return std::nullopt; }

  StatusLine& Line() { return line_; }
  bool Failed() const { return failed_; }

 private:
  const CliConsole& console_;
  StatusLine line_;
  bool quiet_;
  bool failed_ = false;
};

int RunCheck(const CliArgs& args, const CliConsole& console) {
  ConsoleCheckHost host(console, args.quiet);
  bool failed = false;
  std::string queue;
  std::uint32_t count = 0;
  for (const std::string& given : args.paths) {
    const std::string path = Absolute(given);
    if (platform::FolderExists(path)) {
      SfvSearchResult found = FindSfvFiles(IncludeTrailingSeparator(path), true, false);
      if (found.count == 0) host.Line().Row(StatusColumn("") + "No checksum lists in " + path);
      queue += found.queueText;
      count += found.count;
    } else if (platform::FileExists(path)) {
      queue += "ALL$" + path + kCrLf;
      ++count;
    } else {
      platform::WriteText(console.err, "quor-cli: " + given + ": no such file or folder\n");
      failed = true;
    }
  }

  TZERAravoThread worker;
  worker.QueueText = queue;
  worker.SkipKnownGood = args.skipKnownGood;
  worker.RenameBad = args.renameBad;
  worker.MakeDummy = args.makeDummy;
  worker.Jobs = args.jobs;
  worker.Host = &host;
  if (args.skipKnownGood) {
    worker.ProgramFolder = ChooseProgressBase(console.programFolder, console.stateFolder);
    if (worker.ProgramFolder.empty()) {
      std::fprintf(console.err, "quor-cli: no writable folder for progress files; known-good files are not kept\n");
      worker.SkipKnownGood = false;
    }
  }
  host.Line().Progress().SetCount(count);
  worker.Execute();
  host.Line().Clear();
  return failed || host.Failed() ? kExitFailed : kExitOk;
}

// --- create --------------------------------------------------------------

class ConsoleCreateHost : public CreateHost {
 public:
  ConsoleCreateHost(const CliConsole& console, const std::vector<std::string>& folders, bool overwrite)
      : console_(console), line_(console, "folder"), folders_(folders), overwrite_(overwrite) {}

  void Notify(NotifyCode code, std::uint32_t value) override {
    if (code == CN_NEXT_FOLDER) {
      ++folderIndex_;
      if (folderIndex_ <= folders_.size()) line_.Progress().SetName(folders_[folderIndex_ - 1]);
    }
    line_.Notice(code, value);
  }

  // Specific mode is not offered on the command line.
  std::optional<std::string> PickFolderFiles(const std::string&) override { return std::nullopt; }

  OverwriteAnswer AskOverwrite(const std::string& name) override {
    if (overwrite_) return OverwriteAnswer::Yes;
    const std::string folder = folderIndex_ >= 1 && folderIndex_ <= folders_.size() ? folders_[folderIndex_ - 1] : "";
    line_.Row(StatusColumn("EXISTS") + folder + name + "  (left alone; --overwrite replaces it)");
    failed_ = true;
    return OverwriteAnswer::No;
  }

  std::optional<std::string> AskNewName(const std::string&) override { return std::nullopt; }

  void ShowCurrentFile(const std::string&) override {}

  void HandOverCreatedList(const std::string& createdFilesText) override {
    for (const std::string& path : SplitListText(createdFilesText)) {
      if (!path.empty()) line_.Row(path);
    }
  }

  void ShowError(const std::string& text) override {
    line_.Clear();
    std::string plain;
    for (char c : text) {
      if (c != '\r') plain += c;
    }
    platform::WriteText(console_.err, "quor-cli: " + plain + "\n");
    failed_ = true;
  }

  StatusLine& Line() { return line_; }
  bool Failed() const { return failed_; }

 private:
  const CliConsole& console_;
  StatusLine line_;
  const std::vector<std::string>& folders_;
  bool overwrite_;
  std::size_t folderIndex_ = 0;
  bool failed_ = false;
};

int RunCreate(const CliArgs& args, const CliConsole& console) {
  bool failed = false;
  std::string nfo;
  if (!args.nfo.empty()) {
    nfo = Absolute(args.nfo);
    if (!platform::FileExists(nfo)) {
      platform::WriteText(console.err, "quor-cli: " + args.nfo + ": no such file\n");
      return kExitFailed;
    }
  }
  std::vector<std::string> folders;
  for (const std::string& given : args.paths) {
    const std::string path = Absolute(given);
    if (!platform::FolderExists(path)) {
      platform::WriteText(console.err, "quor-cli: " + given + ": no such folder\n");
      failed = true;
      continue;
    }
    const std::string folder = IncludeTrailingSeparator(ExpandShortPath(path));
    folders.push_back(folder);
    if (args.recursive) {
      for (std::string& sub : SplitListText(ListSubFolders(folder, true))) {
        if (!sub.empty()) folders.push_back(std::move(sub));
      }
    }
  }
  if (folders.empty()) return kExitFailed;

  ConsoleCreateHost host(console, folders, args.overwrite);
  TSFVCreateThread worker(host);
  worker.FolderListText = JoinListText(folders);
  worker.IncludeFileInfo = args.fileInfo;
  worker.IncludeNFO = !nfo.empty();
  worker.IncludeFile = nfo;
  worker.DefaultFileName = args.name;
  worker.ExcludeTypes = args.exclude;
  worker.Jobs = args.jobs;
  worker.Hash = args.hash;
  worker.Run();
  host.Line().Clear();
  return failed || host.Failed() ? kExitFailed : kExitOk;
}

}  // namespace

std::string ChooseProgressBase(const std::string& programFolder, const std::string& stateFolder) {
  for (const std::string& base : {programFolder, stateFolder}) {
    if (base.empty()) continue;
    const std::string folder = ProgressFolder(base);
    if (MakeFolders(folder) && CanWriteIn(folder)) return IncludeTrailingSeparator(base);
  }
  return "";
}

int RunCli(const CliArgs& args, const CliConsole& console) {
  if (!args.error.empty()) {
    platform::WriteText(console.err, "quor-cli: " + args.error + "\nTry \"quor-cli --help\".\n");
    return kExitUsage;
  }
  if (args.help) {
    std::fputs(CliHelpText(args.command).c_str(), console.out);
    return kExitOk;
  }
  if (args.version) {
    std::fprintf(console.out, "%s\n", CliVersionText().c_str());
    return kExitOk;
  }
  return args.command == CliCommand::Check ? RunCheck(args, console) : RunCreate(args, console);
}
