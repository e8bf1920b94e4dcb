#include "shell/Quor_Associations.h"

#include <array>

#include "core/Quor_Text.h"

namespace {

constexpr char kFileType[] = "SFV.File";
constexpr char kFileTypeShell[] = "SFV.File\\Shell";
constexpr char kExtension[] = ".sfv";
constexpr char kSavedType[] = "SfvBac";

struct Verb {
  const char* key;
  const char* text;  // shown in Explorer's menu
  const char* switchText;
};

constexpr Verb kFolderCheck{"SFVTest", "SFV Check Folder", "-TestFolder"};
constexpr Verb kFolderCheckSpe{"SFVTestSpe", "SFV Check Specifik in Folder", "-TestFolderS"};
constexpr Verb kFolderCreate{"SFVCreate", "Create SFV in Folder", "-CreateSFVFile"};
constexpr Verb kFolderCreateSpe{"SFVCreateSpe", "Create Specifik SFV in Folder", "-CreateSFVFileS"};
constexpr Verb kFileCheck{"CheckFile", "Check SFV File", "-TestFile"};
constexpr Verb kFileCheckSpe{"CheckSFile", "SFV Check Specifik Files", "-TestFileS"};

// Checksum lists of other hashes get the file check too, as a verb of the
// extension's SystemFileAssociations key: Explorer offers it beside what the
// program that opens such files offers, and the extension, its file type and
// its default verb stay that program's.
constexpr const char* kListExtensions[] = {".md5", ".sha1", ".sha256", ".sha512"};
constexpr char kListAssociations[] = "SystemFileAssociations";
// A name of our own, so that switching it off never removes another
// program's "CheckFile" there.
constexpr Verb kListCheck{"QuorCheckFile", kFileCheck.text, kFileCheck.switchText};

struct FolderVerbSwitch {
  const Verb* verb;
  bool on;
};

std::array<FolderVerbSwitch, 4> FolderVerbs(const ShellAssociations& flags) {
  return {{{&kFolderCheck, flags.RClickOnFoldersCheck},
           {&kFolderCheckSpe, flags.RClickOnFoldersCheckSpe},
           {&kFolderCreate, flags.RClickOnFoldersCreate},
           {&kFolderCreateSpe, flags.RClickOnFoldersCreateSpe}}};
}

bool FileCommandOn(const ShellAssociations& flags) {
  return flags.RClickOnFileCheck || flags.RClickOnFileCheckSpe;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// True when text starts with the program's path, with or without quotation
// marks (earlier versions wrote it without), and ends there or goes on
// after a blank.
bool StartsWithProgram(const std::string& text, const std::string& programPath) {
  const std::string lower = AsciiLower(text);
  const std::string program = AsciiLower(programPath);
  for (const std::string& start : {Quoted(program), program}) {
    if (lower.rfind(start, 0) == 0 && (lower.size() == start.size() || lower[start.size()] == ' ')) return true;
  }
  return false;
}

// One run over one registry root; the first failure stops it.
class Run {
 public:
  Run(platform::Registry& reg, const std::string& programPath)
      : reg_(reg), programPath_(programPath) {}

  const std::string& error() const { return error_; }

  void Apply(const ShellAssociations& flags) {
    for (const FolderVerbSwitch& folder : FolderVerbs(flags)) {
      if (!FolderVerb(*folder.verb, folder.on)) return;
    }
    if (FileCommandOn(flags) && !TakeFileType()) return;
    if (!FileVerb(kFileCheck, kFileCheckSpe, flags.RClickOnFileCheck)) return;
    if (!FileVerb(kFileCheckSpe, kFileCheck, flags.RClickOnFileCheckSpe)) return;
    if (!ListVerbs(flags.RClickOnFileCheck)) return;
    if (!FileCommandOn(flags)) GiveFileTypeBack();
  }

  // For a root the program no longer writes to: removes what it wrote
  // there, but only what is its own: a verb whose command runs this program,
  // the file type when its icon is this program. What the root refuses to
  // give up stays (the error is of no interest here).
  void RemoveOwnCommands() {
    constexpr ShellAssociations kNone{false, false, false, false, false, false};
    for (const FolderVerbSwitch& folder : FolderVerbs(kNone)) {
      if (VerbRunsProgram("Directory\\Shell", *folder.verb)) FolderVerb(*folder.verb, false);
    }
    if (VerbRunsProgram(kFileTypeShell, kFileCheck)) FileVerb(kFileCheck, kFileCheckSpe, false);
    if (VerbRunsProgram(kFileTypeShell, kFileCheckSpe)) FileVerb(kFileCheckSpe, kFileCheck, false);
    if (FileTypeIsOwn()) GiveFileTypeBack();
  }

 private:
  bool Set(const std::string& key, const std::string& name, const std::string& data) {
    if (reg_.WriteString(key, name, data)) return true;
    error_ = "Failed to set data for '" + name + "'";
    return false;
  }

  // A missing value reads as "".
  bool Get(const std::string& key, const std::string& name, std::string& data) {
    if (reg_.ReadString(key, name, data) != platform::RegRead::NotString) return true;
    error_ = "Invalid data type for '" + name + "'";
    return false;
  }

  // The key's default value when it is text, otherwise "".
  std::string DefaultText(const std::string& key) const {
    std::string text;
    reg_.ReadString(key, "", text);
    return text;
  }

  bool VerbRunsProgram(const std::string& parent, const Verb& verb) const {
    return StartsWithProgram(DefaultText(parent + "\\" + verb.key + "\\Command"), programPath_);
  }

  bool FileTypeIsOwn() const {
    return StartsWithProgram(DefaultText(std::string(kFileType) + "\\DefaultIcon"), programPath_);
  }

  void DeleteIfPresent(const std::string& key) {
    if (reg_.KeyExists(key)) reg_.DeleteTree(key);
  }

  // Writes the verb's text and command line below parent\<verb>.
  bool WriteVerb(const std::string& parent, const Verb& verb) {
    const std::string key = parent + "\\" + verb.key;
    reg_.CreateKey(key);
    if (!Set(key, "", verb.text)) return false;
    reg_.CreateKey(key + "\\Command");
    return Set(key + "\\Command", "", ShellCommandLine(programPath_, verb.switchText));
  }

  // Directory\Shell is created along with the verb when it is missing
  // (always the case in the current user's own classes).
  bool FolderVerb(const Verb& verb, bool on) {
    if (on) return WriteVerb("Directory\\Shell", verb);
    DeleteIfPresent(std::string("Directory\\Shell\\") + verb.key);
    return true;
  }

  bool TakeFileType() {
    reg_.CreateKey(kExtension);
    std::string current;
    if (!Get(kExtension, "", current)) return false;
    if (current != kFileType && !current.empty() && !Set(kExtension, kSavedType, current))
      return false;
    if (!Set(kExtension, "", kFileType)) return false;
    const std::string icon = std::string(kFileType) + "\\DefaultIcon";
    reg_.CreateKey(icon);
    return Set(icon, "", Quoted(programPath_));
  }

  bool FileVerb(const Verb& verb, const Verb& other, bool on) {
    if (on) {
      if (&verb == &kFileCheck) {
        reg_.CreateKey(kFileType);
        if (!Set(kFileType, "", "SFV File")) return false;
      }
      reg_.CreateKey(kFileTypeShell);
      std::string defaultVerb;
      if (!Get(kFileTypeShell, "", defaultVerb)) return false;
      if (defaultVerb.empty() && !Set(kFileTypeShell, "", verb.key)) return false;
      return WriteVerb(kFileTypeShell, verb);
    }
    if (!reg_.KeyExists(kFileType)) return true;
    reg_.CreateKey(kFileTypeShell);
    DeleteIfPresent(std::string(kFileTypeShell) + "\\" + verb.key);
    if (reg_.KeyExists(std::string(kFileTypeShell) + "\\" + other.key))
      return Set(kFileTypeShell, "", other.key);
    // The other verb is not there (yet): a default naming the verb just
    // removed is cleared, so that the next verb written becomes the default.
    std::string defaultVerb;
    if (!Get(kFileTypeShell, "", defaultVerb)) return false;
    if (AsciiLower(defaultVerb) == AsciiLower(verb.key)) reg_.DeleteValue(kFileTypeShell, "");
    return true;
  }

  // The file check on the other checksum lists. Off, the verb goes, and
  // so do the keys above it that are left empty: the ones made to hold it.
  bool ListVerbs(bool on) {
    for (const char* extension : kListExtensions) {
      const std::string type = std::string(kListAssociations) + "\\" + extension;
      const std::string shell = type + "\\shell";
      if (on) {
        if (!WriteVerb(shell, kListCheck)) return false;
        continue;
      }
      const std::string verb = shell + "\\" + kListCheck.key;
      if (!reg_.KeyExists(verb)) continue;
      reg_.DeleteTree(verb);
      for (const std::string& key : {shell, type, std::string(kListAssociations)}) {
        if (!IsEmptyKey(key)) break;
        reg_.DeleteTree(key);
      }
    }
    return true;
  }

  bool IsEmptyKey(const std::string& key) const {
    return reg_.KeyExists(key) && reg_.SubKeys(key).empty() && reg_.Values(key).empty();
  }

  void GiveFileTypeBack() {
    if (reg_.KeyExists(kExtension)) {
      std::string saved;
      const platform::RegRead read = reg_.ReadString(kExtension, kSavedType, saved);
      if (read == platform::RegRead::NotString) {
        Get(kExtension, kSavedType, saved);  // reports the data type
        return;
      }
      if (read == platform::RegRead::String) {
        if (!Set(kExtension, "", saved)) return;
        reg_.DeleteValue(kExtension, kSavedType);
      } else {
        // Only our own ".sfv" goes: one that another program has taken over
        // since is left to it.
        std::string current;
        if (!Get(kExtension, "", current)) return;
        if (current == kFileType || current.empty()) reg_.DeleteTree(kExtension);
      }
    }
    DeleteIfPresent(kFileType);
  }

  platform::Registry& reg_;
  const std::string& programPath_;
  std::string error_;
};

}  // namespace

std::string ShellCommandLine(const std::string& programPath, const std::string& switchText) {
  return "\"" + programPath + "\" " + switchText + " \"%1\"";
}

std::string ApplyShellAssociations(platform::Registry& classes, const std::string& programPath,
                                   const ShellAssociations& flags) {
  Run run(classes, programPath);
  run.Apply(flags);
  return run.error();
}

std::string ApplyShellAssociations(platform::Registry& userClasses, platform::Registry& machineClasses,
                                   const std::string& programPath, const ShellAssociations& flags) {
  // Machine-wide commands of ours (an older version wrote them there) would
  // start whatever file sits at this program's path for every user of the
  // machine: they go whether a command is on or off, since the user's own
  // classes carry what is on.
  Run(machineClasses, programPath).RemoveOwnCommands();
  return ApplyShellAssociations(userClasses, programPath, flags);
}

#ifdef _WIN32
std::string ApplyShellAssociations(const std::string& programPath, const ShellAssociations& flags) {
  std::unique_ptr<platform::Registry> userClasses = platform::OpenUserClasses();
  std::unique_ptr<platform::Registry> machineClasses = platform::OpenMachineClasses();
  const std::string error = ApplyShellAssociations(*userClasses, *machineClasses, programPath, flags);
  platform::NotifyAssociationsChanged();
  return error;
}
#endif
