#include "shell/Quor_Associations.h"

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

enum class Failure { None, Write, DataType };

// One run over one registry root; the first failure stops it.
class Run {
 public:
  Run(platform::Registry& reg, const std::string& programPath)
      : reg_(reg), programPath_(programPath) {}

  Failure failure() const { return failure_; }
  const std::string& error() const { return error_; }

  void Apply(const ShellAssociations& flags) {
    const bool fileOn = flags.RClickOnFileCheck || flags.RClickOnFileCheckSpe;
    if (!FolderVerb(kFolderCheck, flags.RClickOnFoldersCheck) ||
        !FolderVerb(kFolderCheckSpe, flags.RClickOnFoldersCheckSpe) ||
        !FolderVerb(kFolderCreate, flags.RClickOnFoldersCreate) ||
        !FolderVerb(kFolderCreateSpe, flags.RClickOnFoldersCreateSpe))
      return;
    if (fileOn && !TakeFileType()) return;
    if (!FileVerb(kFileCheck, kFileCheckSpe, flags.RClickOnFileCheck)) return;
    if (!FileVerb(kFileCheckSpe, kFileCheck, flags.RClickOnFileCheckSpe)) return;
    if (!fileOn) GiveFileTypeBack();
  }

 private:
  bool Set(const std::string& key, const std::string& name, const std::string& data) {
    if (reg_.WriteString(key, name, data)) return true;
    failure_ = Failure::Write;
    error_ = "Failed to set data for '" + name + "'";
    return false;
  }

  // A missing value reads as "".
  bool Get(const std::string& key, const std::string& name, std::string& data) {
    if (reg_.ReadString(key, name, data) != platform::RegRead::NotString) return true;
    failure_ = Failure::DataType;
    error_ = "Invalid data type for '" + name + "'";
    return false;
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

  static std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

  platform::Registry& reg_;
  const std::string& programPath_;
  Failure failure_ = Failure::None;
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

std::string ApplyShellAssociations(platform::Registry& classes, platform::Registry& userClasses,
                                   const std::string& programPath, const ShellAssociations& flags) {
  Run run(classes, programPath);
  run.Apply(flags);
  if (run.failure() != Failure::Write) return run.error();
  return ApplyShellAssociations(userClasses, programPath, flags);
}

#ifdef _WIN32
std::string ApplyShellAssociations(const std::string& programPath, const ShellAssociations& flags) {
  std::unique_ptr<platform::Registry> classes = platform::OpenClassesRoot();
  std::unique_ptr<platform::Registry> userClasses = platform::OpenUserClasses();
  return ApplyShellAssociations(*classes, *userClasses, programPath, flags);
}
#endif
