#include "check/Quor_CheckThread.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "check/Quor_MarkerIndex.h"
#include "core/Quor_CRC32.h"
#include "core/Quor_ChecksumList.h"
#include "core/Quor_FileHash.h"
#include "core/Quor_HashJobs.h"
#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Sfv.h"
#include "core/Quor_Text.h"
#include "platform/fs.h"
#include "shell/Quor_MiscLib.h"

namespace {

constexpr char kBadSuffix[] = "_BAD_OR_INCOMPLETE";
constexpr char kMissingSuffix[] = "_MISSING";
// The notice beside the name of a file whose hash the user halted.
constexpr char kNotFinishedText[] = "was not finished (halted).";
constexpr std::uint64_t k4GiB = 1ULL << 32;
// The notice beside a file whose folder, once its links are resolved, lies
// outside the SFV file's folder, when the options asked to rename or mark it.
constexpr char kOutsideText[] =
    "lies outside the SFV file's folder (through a link): nothing is renamed or made there.";
// The notice beside a name in a list of digests that leads outside the
// list's folder. Such lists come with downloads, from whoever wrote them:
// what they name outside their folder is never opened.
constexpr char kNotOpenedOutsideText[] = "lies outside the checksum list's folder: not opened.";

// The known-good records of one SFV file, in the order they were added. They
// are compared as the file system compares names: without letter case on
// Windows, exactly on POSIX.
class KnownGoodList {
 public:
  void Add(std::string record) {
    index_.insert(platform::FileNameKey(record));
    records_.push_back(std::move(record));
  }
  bool Empty() const { return records_.empty(); }
  bool Contains(const std::string& record) const { return index_.count(platform::FileNameKey(record)) != 0; }
  std::string Text() const {
    std::string text;
    for (const std::string& record : records_) {
      text += record;
      text += kCrLf;
    }
    return text;
  }

 private:
  std::vector<std::string> records_;
  std::unordered_set<std::string> index_;
};

// Removes a marker the worker made earlier. Markers are zero-length; a file
// with content at that name (such as a bad file renamed there) is the user's
// data and stays. A pool thread hashing that name ahead lets go of it first.
void RemoveMarker(MarkerIndex& markers, const std::string& path, HashJobs* jobs) {
  if (!markers.MayExist(path)) return;
  if (jobs) jobs->Release(path);
  std::optional<platform::DirEntry> entry = platform::LookUpPath(path);
  if (entry && !entry->isFolder && entry->size == 0) platform::RemoveFile(path);
}

// Makes a zero-length marker, but only where nothing stands yet.
void MakeMarker(MarkerIndex& markers, const std::string& path) {
  platform::File::Open(path, platform::Access::Write, platform::Share::None, platform::Disposition::CreateNew);
  markers.Added(path);
}

// Renames a bad file to its marker name. A marker made there by an earlier
// check (zero-length) gives way; anything else at that name stays and the
// bad file keeps its name. A pool thread hashing it ahead (the file is listed
// again further down) lets go of it first.
void RenameBadFile(MarkerIndex& markers, const std::string& path, HashJobs* jobs) {
  RemoveMarker(markers, path + kBadSuffix, jobs);
  if (jobs) jobs->Release(path);
  if (platform::RenameNoReplace(path, path + kBadSuffix)) markers.Added(path + kBadSuffix);
}

std::string Hex(std::uint64_t value, int digits) {
  char text[20];
  std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
  return text;
}

// The state of one SFV file's check.
struct SfvCheck {
  TZERAravoThread& worker;
  HashJobs* jobs;  // null: the worker hashes every file itself
  std::string sfvPath;
  std::string folder;
  std::string progressPath;  // "" when the SFV path gives no progress file name
  std::string progressHeader;
  bool progressIsOthers = false;  // the progress file read holds another SFV file's records
  KnownGoodList knownGood;
  MarkerIndex markers{kBadSuffix, kMissingSuffix};
  std::uint32_t total = 0;
  std::uint32_t good = 0;
  std::uint32_t bad = 0;
  std::uint32_t missing = 0;
  std::size_t nextAhead = 0;  // the first line not yet looked at for the pool
  std::string realFolder{};   // folder with its links resolved; "" until needed
  // Where the folders of listed names really are, each resolved once.
  enum class Place { Inside, Outside, Unknown };
  std::map<std::string, Place> placeOfFolder{};

  void File(const std::string& name, const std::string& path, FileRowKind kind, const std::string& size) {
    worker.Host->ReportFile(FileRow{name, path, StatusText(kind), size, kind});
  }
  void Sfv(const SfvRow& row) { worker.Host->ReportSfv(row); }
  // A file skipped as known good counts as done by its whole size; a notice
  // carries at most 32 bits, so 4 GiB and more go in several.
  void NotifyBytesDone(std::uint64_t bytes) {
    do {
      const auto piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, 0xFFFFFFFFu));
      worker.Host->Notify(CN_BYTES_DONE, piece);
      bytes -= piece;
    } while (bytes > 0);
  }
  void ProgressError(SfvRowKind kind, const std::string& errorText) {
    Sfv(SfvRow::Notice(kind, progressPath, errorText));
  }

  void ReadProgressFile() {
    if (progressPath.empty()) return;
    std::string errorText;
    const std::string text = ReadFileText(progressPath, errorText);
    if (!errorText.empty()) ProgressError(SfvRowKind::ProgressReadError, errorText);
    std::vector<std::string> lines = SplitListText(text);
    const bool ours = !lines.empty() && platform::FileNameKey(lines[0]) == platform::FileNameKey(progressHeader);
    progressIsOthers = !ours && !lines.empty() && lines[0].compare(0, 2, "<#") == 0;
    if (!ours) return;
    for (std::size_t i = 1; i < lines.size(); ++i) knownGood.Add(std::move(lines[i]));
  }

  void SaveProgressFile() {
    if (progressPath.empty()) return;
    if (good == total || knownGood.Empty()) {
      // Nothing to keep. Another SFV file's records stay where they are.
      if (!progressIsOthers && platform::FileExists(progressPath)) platform::RemoveFile(progressPath);
      return;
    }
    std::string errorText;
    const std::string text = progressHeader + kCrLf + knownGood.Text();
    if (!WriteFileText(progressPath, text, errorText) && !errorText.empty()) {
      ProgressError(SfvRowKind::ProgressWriteError, errorText);
    }
  }

  // Hands the files of the lines from `current` on to the pool until it holds
  // as many as it hashes side by side. A file that is not there, or that is
  // known good, is not hashed ahead; its turn decides about it.
  void HandAhead(const std::vector<ListEntry>& entries, std::size_t current) {
    nextAhead = std::max(nextAhead, current);
    while (nextAhead < entries.size() && jobs->InHand() < jobs->Threads()) {
      const std::size_t at = nextAhead++;
      const ListEntry& listed = entries[at];
      const ListedFile file = LookUpListedFile(folder, listed.name);
      if (!file.entry || file.entry->isFolder || file.entry->isSpecial || Refused(listed, file.path)) continue;
      if (worker.SkipKnownGood && knownGood.Contains(KnownGoodRecord(listed.name, *file.entry, HexText(listed.expected)))) {
        continue;
      }
      jobs->Add(at, file.path, *file.entry, listed.hash);
    }
  }

  // Where the folder that holds path really is: a name whose text stays in
  // the SFV file's folder can still lead out of it through a folder link or
  // junction. Unknown when a folder cannot be resolved (it is not there).
  Place PlaceOf(const std::string& path) {
    const std::string parent = ExtractFilePath(path);
    if (parent == folder) return Place::Inside;
    if (const auto known = placeOfFolder.find(parent); known != placeOfFolder.end()) return known->second;
    if (realFolder.empty()) realFolder = platform::RealPath(folder);
    const std::string realParent = platform::RealPath(parent);
    const Place place = realFolder.empty() || realParent.empty() ? Place::Unknown
                        : PathIsInside(realParent, realFolder)   ? Place::Inside
                                                                 : Place::Outside;
    placeOfFolder.emplace(parent, place);
    return place;
  }

  // True for an entry of a list of digests whose name, or a folder link on
  // its way, leads outside the list's folder: it is not opened.
  bool Refused(const ListEntry& listed, const std::string& path) {
    return listed.hash != HashKind::Crc32 && (!StaysInsideFolder(listed.name) || PlaceOf(path) == Place::Outside);
  }

  // Decides and reports the outcome of the list's entry at index.
  void CheckFile(std::size_t index, const ListEntry& listed) {
    const std::string& name = listed.name;
    const ListedFile file = LookUpListedFile(folder, name);
    const std::string& path = file.path;
    const std::optional<platform::DirEntry>& entry = file.entry;
    // Files listed outside the SFV file's folder tree are checked, but
    // nothing is ever made, renamed or removed beside them: not where the
    // name says so, and not where a link inside leads out.
    const bool namedInside = StaysInsideFolder(name);
    const Place place = namedInside ? PlaceOf(path) : Place::Outside;
    const bool mayTouch = place == Place::Inside;
    // Said when the options asked for a change that the real place forbids.
    const auto sayOutside = [&] {
      if (namedInside && place == Place::Outside) File(name, kOutsideText, FileRowKind::Notice, "");
    };
    if (Refused(listed, path)) {
      ++bad;
      File(name, folder, FileRowKind::Bad, "");
      File(name, kNotOpenedOutsideText, FileRowKind::Notice, "");
      return;
    }
    if (!entry || entry->isFolder) {
      ++missing;
      if (worker.MakeDummy && mayTouch) MakeMarker(markers, path + kMissingSuffix);
      File(name, folder, FileRowKind::Missing, "");
      if (worker.MakeDummy) sayOutside();
      return;
    }
    if (mayTouch) RemoveMarker(markers, path + kMissingSuffix, jobs);
    const std::uint64_t size = entry->size;
    const std::string sizeText = FormatThousands(size);
    std::string record = KnownGoodRecord(name, *entry, HexText(listed.expected));
    if (worker.SkipKnownGood && knownGood.Contains(record)) {
      ++good;
      NotifyBytesDone(size);
      File(name, folder, FileRowKind::KnownGood, sizeText);
      return;
    }

    const FileHashResult result = jobs ? jobs->Hash(listed.hash, index, path, entry, worker.Host)
                                       : FileHash(path, listed.hash, worker.HaltFlag, worker.Host, worker.Gate);
    const bool matches = result.digest == listed.expected;
    if (!result.opened || result.readFailed) {
      // The file could not be opened or read to its end: it counts as bad,
      // but its content was never judged, so it is neither renamed nor marked.
      ++bad;
      File(name, folder, FileRowKind::Bad, sizeText);
      File(name, result.errorText, FileRowKind::Notice, "");
      return;
    }
    if (!matches && IsSet(worker.HaltFlag)) {
      // The user cut the hash short: the file is neither good nor bad.
      File(name, kNotFinishedText, FileRowKind::Notice, "");
      return;
    }
    if (matches) {
      ++good;
      if (mayTouch) RemoveMarker(markers, path + kBadSuffix, jobs);
      if (worker.SkipKnownGood) knownGood.Add(std::move(record));
      File(name, folder, FileRowKind::Ok, sizeText);
      return;
    }
    ++bad;
    // After an abort nothing more is renamed or marked.
    const bool change = (worker.RenameBad || worker.MakeDummy) && !IsSet(worker.AbortFlag);
    if (change && mayTouch) {
      if (worker.RenameBad) RenameBadFile(markers, path, jobs);
      if (worker.MakeDummy) MakeMarker(markers, path + kBadSuffix);
    }
    File(name, folder, FileRowKind::Bad, sizeText);
    if (change) sayOutside();
  }
};

}  // namespace

const char* StatusText(FileRowKind kind) {
  switch (kind) {
    case FileRowKind::Ok:
    case FileRowKind::KnownGood: return "- OK -";
    case FileRowKind::Bad: return "- !BAD! -";
    case FileRowKind::Missing: return "MISSING";
    case FileRowKind::Separator:
    case FileRowKind::Notice: break;
  }
  return "";
}

std::string ProgressFolder(const std::string& programFolder) {
  return IncludeTrailingSeparator(programFolder) + "Progress" + platform::kPathSep;
}

bool StaysInsideFolder(const std::string& name) {
  if (name.empty() || platform::IsPathSep(name[0])) return false;
  if (name.size() >= 2 && name[1] == ':') return false;  // a drive
#ifdef _WIN32
  // "name:stream" would write into another file's alternate stream.
  if (name.find(':') != std::string::npos) return false;
#endif
  int depth = 0;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !platform::IsPathSep(name[end])) ++end;
    const std::string_view step(name.data() + start, end - start);
    if (step == "..") {
      if (--depth < 0) return false;
    } else if (!step.empty() && step != ".") {
      ++depth;
    }
    start = end + 1;
  }
  return true;
}

std::string KnownGoodRecord(const std::string& name, const platform::DirEntry& entry, std::uint32_t crc) {
  return KnownGoodRecord(name, entry, Hex(crc, 8));
}

std::string KnownGoodRecord(const std::string& name, const platform::DirEntry& entry, const std::string& expectedHex) {
  // Appended piece by piece: GCC 12 at -O3 takes "$" + a temporary for an
  // overlapping copy (-Wrestrict), wrongly.
  std::string record = "<$";
  record += FileTimeKeyOf(entry.lastWriteTime);
  record += '$';
  record += Hex(entry.size, 16);
  record += '$';
  record += expectedHex;
  if (entry.changeTime != 0 || entry.fileId != 0) {
    record += '$';
    record += Hex(entry.changeTime, 16);
    record += Hex(entry.fileId, 16);
  }
  record += "$>";
  record += name;
  return record;
}

std::string ProgressHeader(const std::string& sfvPath) {
  const std::string full = platform::FullPathName(sfvPath);
  return "<#" + platform::VolumeId(full) + "#>" + full;
}

TZERAravoThread::~TZERAravoThread() { Join(); }

void TZERAravoThread::Start(platform::ThreadPriority priority, std::function<void()> onDone) {
  thread_.Start(
      [this, onDone = std::move(onDone)] {
        Execute();
        if (onDone) onDone();
      },
      priority);
}

bool TZERAravoThread::SetPriority(platform::ThreadPriority priority) { return thread_.SetPriority(priority); }

void TZERAravoThread::Terminate() {
  terminated_.store(true, std::memory_order_relaxed);
  if (Gate) Gate->Resume();
}

void TZERAravoThread::Join() { thread_.Join(); }

bool TZERAravoThread::StopRequested() const { return IsSet(AbortFlag) || Terminated(); }

void TZERAravoThread::WaitIfPaused() {
  if (Gate) Gate->Wait();
}

void TZERAravoThread::Execute() {
  const std::vector<std::string> entries = SplitListText(QueueText);
  // With one job the worker hashes every file itself and no pool is made.
  std::unique_ptr<HashJobs> jobs;
  if (Jobs > 1) jobs = std::make_unique<HashJobs>(std::min(Jobs, kMaxJobs), HaltFlag, Gate);
  for (const std::string& entry : entries) {
    WaitIfPaused();
    if (StopRequested()) break;
    Host->Notify(CN_NEXT_SFV, 0);
    if (SkipFlag) SkipFlag->store(0, std::memory_order_relaxed);
    CheckSfv(entry, jobs.get());
  }
}

void TZERAravoThread::CheckSfv(const std::string& entry, HashJobs* jobs) {
  if (TrimText(entry).empty()) return;
  Host->Notify(CN_SFV_BEGIN, 0);
  const bool specific = entry.compare(0, 4, "SPE$") == 0;
  SfvCheck check{*this, jobs, entry.size() > 4 ? entry.substr(4) : std::string(), {}, {}, {}, false, {}};

  if (IsFileLocked(check.sfvPath)) {
    check.Sfv(SfvRow::Notice(SfvRowKind::InUse, check.sfvPath));
    return;
  }
  ChecksumList content = LoadChecksumList(check.sfvPath);
  if (!content.errorText.empty()) {
    check.Sfv(SfvRow::Notice(SfvRowKind::ReadError, check.sfvPath, content.errorText));
    return;
  }
  if (content.totalSize >= k4GiB) Host->Notify(CN_TOTAL_HI, static_cast<std::uint32_t>(content.totalSize >> 32));
  Host->Notify(CN_TOTAL_LO, static_cast<std::uint32_t>(content.totalSize));

  std::vector<ListEntry> entries = std::move(content.entries);
  const bool noFileLines = entries.empty();
  if (specific) {
    std::vector<std::string> lines;
    lines.reserve(entries.size());
    for (const ListEntry& entry : entries) lines.push_back(entry.line);
    if (std::optional<std::string> picked = Host->PickFiles(JoinListText(lines))) {
      entries = PickedEntries(entries, SplitListText(*picked));
    }
  }
  const std::string progressName = ProgressFileName(check.sfvPath);
  if (!progressName.empty()) check.progressPath = ProgressFolder(ProgramFolder) + progressName;
  check.progressHeader = ProgressHeader(check.sfvPath);
  if (SkipKnownGood) check.ReadProgressFile();

  check.folder = ExtractFilePath(check.sfvPath);
  // The listing that gave the total shows the markers in the folder too;
  // after a pick list, which may have stood open for long, it is listed anew.
  if (content.folderNames && !specific) check.markers.Listed(check.folder, *content.folderNames);
  content.folderNames.reset();  // a large folder's names are not kept through the check
  check.total = static_cast<std::uint32_t>(entries.size());
  Host->Notify(CN_TIMER_ON, 0);
  Host->Notify(CN_BUSY, 0);

  for (std::size_t i = 0; i < entries.size(); ++i) {
    WaitIfPaused();
    if (StopRequested() || IsSet(SkipFlag)) break;
    if (jobs) check.HandAhead(entries, i);
    check.CheckFile(i, entries[i]);
    if (jobs) jobs->Drop(i);  // a missing or known-good file was not taken
    if (IsSet(SkipFlag)) check.File("User Abort..", "Skipping Sfv Achive..", FileRowKind::Notice, "");
    if (IsSet(AbortFlag)) check.File("User Abort..", "Queue Cleared..", FileRowKind::Notice, "");
  }
  // The files hashed ahead past a skip or an abort are stopped.
  if (jobs) jobs->DropAll();

  check.File("", "", FileRowKind::Separator, "");
  // A list of nothing proves nothing: it is said above the totals.
  if (noFileLines) check.Sfv(SfvRow::Notice(SfvRowKind::NoFileLines, check.sfvPath));
  check.Sfv(SfvRow::Totals(check.sfvPath, check.total, check.good, check.bad, check.missing));
  if (SkipKnownGood) check.SaveProgressFile();
  Host->Notify(CN_SFV_DONE, 0);
  Host->Notify(CN_IDLE, 0);
}
