#include "mainwindow/Quor_Options.h"

#include "core/Quor_Text.h"
#include "mainwindow/Quor_Commands.h"

namespace {

constexpr char kSfvExtension[] = ".sfv";

}  // namespace

bool ToggleOptionItem(SettingsModel& s, int command) {
  switch (command) {
    case CmdRenameBadRars:
      s.renameRar = !s.renameRar;
      if (s.renameRar) s.makeDummyRar = false;
      return true;
    case CmdMakeDummyRars:
      s.makeDummyRar = !s.makeDummyRar;
      if (s.makeDummyRar) s.renameRar = false;
      return true;
    case CmdCheckSubFolders:
      s.testSubFolders = !s.testSubFolders;
      return true;
    case CmdSkipKnownGood:
      s.skipKnownGoodFiles = !s.skipKnownGoodFiles;
      return true;
    case CmdShowEtaSpeed:
      s.showEtaSpeed = !s.showEtaSpeed;
      return true;
    case CmdShowFileSize:
      s.showColumnFSize = !s.showColumnFSize;
      return true;
    case CmdIncludeFileInfo:
      s.create.includeFileInfo = !s.create.includeFileInfo;
      return true;
    case CmdListFilesCreated:
      s.create.listFilesCreated = !s.create.listFilesCreated;
      return true;
    default:
      if (bool* flag = AssociationFlag(s.explorer, command)) {
        *flag = !*flag;
        return true;
      }
      return false;
  }
}

bool* AssociationFlag(ShellAssociations& a, int command) {
  switch (command) {
    case CmdAssFolderCheck: return &a.RClickOnFoldersCheck;
    case CmdAssFolderCheckSpe: return &a.RClickOnFoldersCheckSpe;
    case CmdAssFolderCreate: return &a.RClickOnFoldersCreate;
    case CmdAssFolderCreateSpe: return &a.RClickOnFoldersCreateSpe;
    case CmdAssFileCheck: return &a.RClickOnFileCheck;
    case CmdAssFileCheckSpe: return &a.RClickOnFileCheckSpe;
    default: return nullptr;
  }
}

std::uint32_t* ColourOfItem(ColourTable& c, int command) {
  switch (command) {
    case CmdColorBackground: return &c.background;
    case CmdColorOk: return &c.ok;
    case CmdColorBad: return &c.bad;
    case CmdColorMissing: return &c.missing;
    case CmdColorKnownGood: return &c.knownGood;
    default: return nullptr;
  }
}

void IncludeNfoClick(CreateOptions& options, const ChooseFileFn& chooseFile) {
  options.includeNfo = !options.includeNfo;
  if (!options.includeNfo) return;
  const std::optional<std::string> chosen = chooseFile();
  options.includeNfo = chosen.has_value();
  options.includeFile = chosen.value_or("");
}

InputRequest ExcludeTypesRequest(const std::string& current) {
  return InputRequest{"File Types To Exclude",
                      "Enter The File Types To Exclude From SFV Files\r\nMust be like this : #?.txt", current};
}

bool FileTypesToExcludeClick(CreateOptions& options, const AskTextFn& ask) {
  const std::optional<std::string> typed = ask(ExcludeTypesRequest(options.excludeTypes));
  if (!typed) return false;
  options.excludeTypes = *typed;
  return true;
}

std::string WithSfvExtension(const std::string& name) {
  if (name.empty() || AsciiLower(ExtractFileExt(name)) == kSfvExtension) return name;
  return name + kSfvExtension;
}

InputRequest DefaultFileNameRequest(const std::string& current) {
  return InputRequest{"Default File Name",
                      "Enter The Default File Name For SFV Files\r\nif empty .. the name will be choosen by the program",
                      current};
}

DefaultNameOutcome SetDefaultSfvFileNameClick(CreateOptions& options, const AskTextFn& ask) {
  const std::optional<std::string> typed = ask(DefaultFileNameRequest(options.defaultFileName));
  if (!typed) return DefaultNameOutcome::Cancelled;
  if (!IsPlainFileName(*typed)) return DefaultNameOutcome::Refused;
  options.defaultFileName = WithSfvExtension(*typed);
  return DefaultNameOutcome::Stored;
}
