#include "create/Quor_CreateThread.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

#include "core/Quor_CRC32.h"
#include "core/Quor_ChecksumList.h"
#include "core/Quor_HashJobs.h"
#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Sfv.h"
#include "core/Quor_Text.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "platform/locale.h"

namespace {

// The marker in front of every extension of the exclusion patterns.
constexpr char kPatternMarker[] = "#?";
// Always added to the patterns: existing SFV files (and lists of the hash
// written) are never listed in normal mode.
constexpr char kSfvPattern[] = "#?.SFV";
constexpr char kCtrlZ = 26;
constexpr std::size_t kNfoReadPiece = 64 * 1024;

// Extensions (upper-case) of the files that lend the SFV file their name.
constexpr std::array<std::string_view, 5> kNamingExtensions = {".RAR", ".EXE", ".ZIP", ".M3U", ".001"};

bool Exists(const std::string& path) { return platform::LookUpPath(path).has_value(); }

// The lines of a list of digests, each ended by LF, as sha256sum writes them
// (in UTF-8 on every platform).
std::string JoinLfText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += '\n';
  }
  return text;
}

// Why a file cannot be opened for hashing, in the system's words.
std::string OpenFailureReason(const std::string& path) {
  if (!Exists(path)) return "The file no longer exists.";
  platform::File file = platform::File::Open(path, platform::Access::Read, platform::Share::ReadWrite,
                                             platform::Disposition::OpenExisting);
  if (file.IsOpen()) return "The file could not be opened.";  // it could a moment ago
  return platform::LastErrorText();
}

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  platform::File file = platform::File::Open(path, platform::Access::Read, platform::Share::ReadWrite,
                                             platform::Disposition::OpenExisting, true);
  if (!file.IsOpen()) return std::nullopt;
  std::string text, errorText;
  if (!platform::ReadPiecesAligned(
          file, kNfoReadPiece, [&text](const char* piece, std::size_t got) { text.append(piece, got); }, errorText)) {
    return std::nullopt;
  }
  return text;
}

// The line without control bytes other than tab. A NUL would end the reading
// of the SFV file there, and its file lines with it.
std::string WithoutControlBytes(std::string_view line) {
  std::string kept;
  kept.reserve(line.size());
  for (char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 0x20 && byte != 0x7F) || c == '\t') kept += c;
  }
  return kept;
}

}  // namespace

std::string OverwriteQuestionText(const std::string& name) { return name + " Already Exists.. Overwrite ?"; }

std::vector<std::string> NfoTextLines(const std::string& text) {
  std::string_view rest(text);
  rest = rest.substr(0, rest.find(kCtrlZ));
  std::vector<std::string> lines;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    lines.push_back(WithoutControlBytes(rest.substr(0, end)));
    if (end == std::string_view::npos) break;
    // The line's text ends at the CR or LF; the next line starts after the
    // next LF, so a lone CR drops what follows it up to that LF.
    const std::size_t lf = rest.find('\n', end);
    if (lf == std::string_view::npos) break;
    rest.remove_prefix(lf + 1);
  }
  return lines;
}

TSFVCreateThread::TSFVCreateThread(CreateHost& host) : host_(host) {}

TSFVCreateThread::~TSFVCreateThread() { thread_.Join(); }

void TSFVCreateThread::Start(platform::ThreadPriority priority) {
  thread_.Start([this] { Run(); }, priority);
}

void TSFVCreateThread::Join() { thread_.Join(); }

void TSFVCreateThread::PrepareRun() {
  extension_ = ListExtension(Hash);
  exclusionPatterns_ = AsciiUpper(ExcludeTypes) + kSfvPattern;
  if (Hash != HashKind::Crc32) exclusionPatterns_ += kPatternMarker + AsciiUpper(extension_);
  includeNfo_ = Hash == HashKind::Crc32 && IncludeNFO && !IncludeFile.empty() && platform::FileExists(IncludeFile);
  sfvName_ = DefaultFileName;
  if (!sfvName_.empty() && AsciiLower(ExtractFileExt(sfvName_)) != extension_) sfvName_ += extension_;
  overwriteAll_ = false;
  neverOverwrite_ = false;
  createdFilesText_.clear();
  prepared_ = true;
}

bool TSFVCreateThread::Stopping() const { return IsSet(CreateAbortFlag) || IsSet(CreateHaltFlag); }

void TSFVCreateThread::Run() {
  PrepareRun();
  std::vector<std::string> folders = SplitListText(FolderListText);
  // An empty line names no folder (and must not become the root).
  folders.erase(std::remove(folders.begin(), folders.end(), std::string()), folders.end());
  host_.Notify(CN_FOLDER_COUNT, static_cast<std::uint32_t>(folders.size()));
  for (const std::string& folder : folders) {
    if (Stopping()) break;
    host_.Notify(CN_NEXT_FOLDER, 0);
    CreateSfvForFolder(folder);
  }
  jobs_.reset();
  host_.HandOverCreatedList(createdFilesText_);
  host_.RunEnded();
}

std::vector<std::string> TSFVCreateThread::SortedFolderFiles(const std::string& folder) const {
  std::vector<std::string> names =
      SplitListText(ListFolderFiles(folder, exclusionPatterns_, kPatternMarker, SpecificMode));
  // Lists of the hash written go by name too (SHA256SUMS), not only by
  // extension; SFV files have no such names.
  if (Hash != HashKind::Crc32 && !SpecificMode) {
    names.erase(std::remove_if(names.begin(), names.end(),
                               [this](const std::string& name) { return ListHashOfName(name) == Hash; }),
                names.end());
  }
  // Stable, so names that collate equal keep the order of the listing.
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return platform::CompareTextNoCase(a, b) < 0;
  });
  return names;
}

std::string TSFVCreateThread::ChooseName(const std::string& folder, const std::vector<std::string>& files) const {
  if (!sfvName_.empty()) return sfvName_;
  for (const std::string& name : files) {
    const std::string ext = AsciiUpper(ExtractFileExt(name));
    if (std::find(kNamingExtensions.begin(), kNamingExtensions.end(), ext) != kNamingExtensions.end()) {
      return name.substr(0, name.size() - 4) + extension_;
    }
  }
  return ExtractFileName(ExcludeTrailingSeparator(folder)) + extension_;
}

std::optional<std::string> TSFVCreateThread::SettleExistingFile(const std::string& folder, std::string name) {
  if (overwriteAll_ || !Exists(folder + name)) return name;
  if (!neverOverwrite_) {
    switch (host_.AskOverwrite(name)) {
      case OverwriteAnswer::Yes: return name;
      case OverwriteAnswer::YesToAll: overwriteAll_ = true; return name;
      case OverwriteAnswer::NoToAll: neverOverwrite_ = true; break;
      case OverwriteAnswer::No:
      case OverwriteAnswer::Closed: break;
    }
  }
  for (;;) {
    std::optional<std::string> typed = host_.AskNewName(name);
    if (!typed) return std::nullopt;
    name = std::move(*typed);
    if (!Exists(folder + name)) return name;
  }
}

void TSFVCreateThread::HandAhead(const std::string& folder, const std::vector<std::string>& files,
                                 std::size_t current, std::size_t& next) {
  next = std::max(next, current);
  while (next < files.size() && jobs_->InHand() < jobs_->Threads()) {
    const std::string path = folder + files[next];
    const std::optional<platform::DirEntry> facts = platform::LookUpPath(path);
    if (facts && !facts->isFolder) jobs_->Add(next, path, *facts, Hash);  // else its turn finds out what is wrong
    ++next;
  }
}

void TSFVCreateThread::AppendNfoLines(std::vector<std::string>& lines) const {
  std::optional<std::string> text = ReadWholeFile(IncludeFile);
  if (!text) return;
  for (const std::string& line : NfoTextLines(platform::DecodeFileText(*text))) lines.push_back("; " + line);
  lines.emplace_back(";");
}

bool TSFVCreateThread::CreateSfvForFolder(const std::string& folderPath) {
  if (!prepared_) PrepareRun();
  const std::string folder = IncludeTrailingSeparator(folderPath);

  std::vector<std::string> files = SortedFolderFiles(folder);
  if (files.empty()) return false;  // missing, or nothing left after exclusion

  if (SpecificMode) {
    if (std::optional<std::string> checked = host_.PickFolderFiles(JoinListText(files))) {
      files = SplitListText(*checked);
      files.erase(std::remove(files.begin(), files.end(), std::string()), files.end());
    }
  }

  std::uint64_t total = 0;
  for (const std::string& name : files) total += FileSize64(folder + name);
  host_.Notify(CN_SFV_BEGIN, 0);
  if (total > 0xFFFFFFFFull) host_.Notify(CN_TOTAL_HI, static_cast<std::uint32_t>(total >> 32));
  host_.Notify(CN_TOTAL_LO, static_cast<std::uint32_t>(total & 0xFFFFFFFFu));

  std::optional<std::string> name = SettleExistingFile(folder, ChooseName(folder, files));
  if (!name) return false;
  // Wherever the name came from (a setting, the command line, the new-name
  // box), the SFV file goes into this folder and nowhere else.
  if (!IsPlainFileName(*name)) {
    host_.ShowError("\"" + *name + "\" is not a plain file name.\r\n\r\nNo SFV file was written in \"" + folder +
                    "\".");
    return false;
  }

  const bool sfv = Hash == HashKind::Crc32;
  std::vector<std::string> lines;
  lines.reserve(files.size() * (IncludeFileInfo ? 2 : 1) + 8);
  if (sfv) {
    lines.push_back(SfvGeneratedLine());
    lines.emplace_back(";");
  }
  if (includeNfo_) AppendNfoLines(lines);
  if (sfv && IncludeFileInfo) {
    for (const std::string& file : files) {
      const std::string info = FileInfoLine(folder + file);
      if (!info.empty()) lines.push_back("; " + info);
    }
    lines.emplace_back(";");
  }

  if (Jobs > 1 && !jobs_) jobs_ = std::make_unique<HashJobs>(std::min(Jobs, kMaxJobs), CreateHaltFlag, nullptr);
  // Files hashed ahead are not wanted once the folder is left, on any path.
  struct DropOnExit {
    HashJobs* jobs;
    ~DropOnExit() {
      if (jobs) jobs->DropAll();
    }
  } dropOnExit{jobs_.get()};
  std::size_t nextAhead = 0;

  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& file = files[i];
    if (Stopping()) break;
    host_.ShowCurrentFile(file);
    const std::string path = folder + file;
    FileHashResult crc;
    if (jobs_) {
      HandAhead(folder, files, i, nextAhead);
      crc = jobs_->Hash(Hash, i, path, platform::LookUpPath(path), &host_);
    } else {
      crc = FileHash(path, Hash, CreateHaltFlag, &host_);
    }
    if (Stopping()) return false;  // a CRC cut short is no CRC
    // A file that cannot be hashed gets no line, and a list without it would
    // not be the folder's: the folder gets no SFV file at all.
    if (!crc.opened || crc.readFailed) {
      const std::string reason = !crc.opened ? OpenFailureReason(path)
                                 : crc.errorText.empty() ? std::string("Read error.")
                                                         : crc.errorText;
      host_.ShowError("Cannot " + std::string(crc.opened ? "read" : "open") + " \"" + path + "\":\r\n" + reason +
                      "\r\n\r\nNo SFV file was written in \"" + folder + "\".");
      return false;
    }
    lines.push_back(sfv ? FormatSfvLine(file, Crc32FromBytes(crc.digest)) : FormatGnuLine(file, crc.digest));
  }
  if (Stopping()) return false;

  const std::string sfvPath = folder + *name;
  std::string errorText;
  if (!WriteFileText(sfvPath, sfv ? platform::EncodeFileText(JoinListText(lines)) : JoinLfText(lines), errorText)) {
    host_.ShowError("Cannot write \"" + sfvPath + "\"" + (errorText.empty() ? "." : ":\r\n" + errorText));
    return false;
  }
  createdFilesText_ += sfvPath;
  createdFilesText_ += kCrLf;
  return true;
}
