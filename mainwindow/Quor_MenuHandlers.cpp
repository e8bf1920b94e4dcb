// The main window's option and About items: each changes the settings model
// through the rules of Quor_Options, brings the window in line and saves
// every setting at once.
#include <windows.h>
#include <commdlg.h>

#include "about/Quor_About.h"
#include "about/Quor_UpdateChk.h"
#include "core/Quor_Version.h"
#include "gui/Dialogs.h"
#include "mainwindow/Quor_Checker.h"
#include "platform/fs.h"
#include "shell/Quor_Associations.h"

namespace {

// The system colour dialog, starting at black, with no owner.
std::optional<std::uint32_t> RunColourDialog() {
  static COLORREF custom[16] = {};
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.rgbResult = RGB(0, 0, 0);
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT;
  if (!ChooseColorA(&cc)) return std::nullopt;
  return static_cast<std::uint32_t>(cc.rgbResult);
}

// The open dialog of "Include NFO In SFV": any file, which must exist; no
// owner. No default extension, so that a file without one can be chosen.
std::optional<std::string> RunIncludeFileDialog() {
  gui::FileDialogRequest request;
  request.flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER | OFN_HIDEREADONLY;
  return gui::RunFileDialog(request);
}

}  // namespace

void TZOZUvavada::InstallMenuDialogs() {
  ChooseColour = RunColourDialog;
  ChooseIncludeFile = RunIncludeFileDialog;
  AskText = [this](const InputRequest& r) { return gui::InputQuery(hwnd(), r.caption, r.prompt, r.preset); };
  ApplyAssociations = [](const std::string& programPath, const ShellAssociations& flags) {
    return ApplyShellAssociations(programPath, flags);
  };
  StartUpdate = [](const std::string& version) { about::StartUpdateCheck(version); };
}

bool TZOZUvavada::MenuOptionClick(int command) {
  switch (command) {
    case CmdRenameBadRars:
      RenameBadRars1Click();
      return true;
    case CmdMakeDummyRars:
      MakeDummyofBadRars1Click();
      return true;
    case CmdSkipKnownGood:
      SkipKnownGoodFiles1Click();
      return true;
    case CmdIncludeFileInfo:
      IncludeFileInfoInSFV1Click();
      return true;
    case CmdListFilesCreated:
      ListFilesCreated1Click();
      return true;
    case CmdAssFolderCheck:
    case CmdAssFolderCheckSpe:
    case CmdAssFolderCreate:
    case CmdAssFolderCreateSpe:
    case CmdAssFileCheck:
    case CmdAssFileCheckSpe:
      AssOnFolders1Click(command);
      return true;
    case CmdColorsDefault:
      Backtodefault1Click();
      return true;
    case CmdColorBackground:
    case CmdColorOk:
    case CmdColorBad:
    case CmdColorMissing:
    case CmdColorKnownGood:
      Background1Click(command);
      return true;
    case CmdIncludeNfo:
      IncludeNFOInSFV1Click();
      return true;
    case CmdFileTypesToExclude:
      FileTypesToExclude1Click();
      return true;
    case CmdSetDefaultSfvName:
      SetDefaultSFVFileName1Click();
      return true;
    case CmdDisclaimer:
      Disclaimer1Click();
      return true;
    case CmdAbout:
      About1Click();
      return true;
    case CmdCheckForUpdate:
      Checkforupdate1Click();
      return true;
    default:
      return false;
  }
}

// The plain check-mark items: each flips its mark (Rename and Dummy uncheck
// each other) and saves.
void TZOZUvavada::RenameBadRars1Click() {
  ToggleOptionItem(settings_, CmdRenameBadRars);
  SaveSettingsNow();
}

void TZOZUvavada::MakeDummyofBadRars1Click() {
  ToggleOptionItem(settings_, CmdMakeDummyRars);
  SaveSettingsNow();
}

void TZOZUvavada::SkipKnownGoodFiles1Click() {
  ToggleOptionItem(settings_, CmdSkipKnownGood);
  SaveSettingsNow();
}

void TZOZUvavada::IncludeFileInfoInSFV1Click() {
  ToggleOptionItem(settings_, CmdIncludeFileInfo);
  SaveSettingsNow();
}

void TZOZUvavada::ListFilesCreated1Click() {
  ToggleOptionItem(settings_, CmdListFilesCreated);
  SaveSettingsNow();
}

void TZOZUvavada::IncludeNFOInSFV1Click() {
  IncludeNfoClick(settings_.create, ChooseIncludeFile);
  SaveSettingsNow();
}

void TZOZUvavada::FileTypesToExclude1Click() {
  if (FileTypesToExcludeClick(settings_.create, AskText)) SaveSettingsNow();
}

void TZOZUvavada::SetDefaultSFVFileName1Click() {
  switch (SetDefaultSfvFileNameClick(settings_.create, AskText)) {
    case DefaultNameOutcome::Stored:
      SaveSettingsNow();
      break;
    case DefaultNameOutcome::Refused:
      ShowError(kBadDefaultNameMessage);
      break;
    case DefaultNameOutcome::Cancelled:
      break;
  }
}

void TZOZUvavada::Disclaimer1Click() { about::ShowDisclaimer(hwnd()); }

void TZOZUvavada::About1Click() { about::ShowAbout(hwnd()); }

void TZOZUvavada::Checkforupdate1Click() { StartUpdate(kQuorVersion); }

// The six association items: the clicked one flips, the registry follows
// all six; a failure is shown, the mark stays as clicked and nothing is
// saved.
void TZOZUvavada::AssOnFolders1Click(int command) {
  ToggleOptionItem(settings_, command);
  const std::string error = ApplyAssociations(platform::ExecutablePath(), settings_.explorer);
  if (!error.empty()) {
    ShowError(error);
    return;
  }
  SaveSettingsNow();
}

// The five colour items: the chosen colour becomes the item's setting; rows
// already in the lists keep theirs.
void TZOZUvavada::Background1Click(int command) {
  const std::optional<std::uint32_t> chosen = ChooseColour();
  if (!chosen) return;
  ShowPendingRows();  // rows that came before the change keep their colours
  *ColourOfItem(settings_.colours, command) = *chosen;
  archiveList_.SetBackground(settings_.colours.background);
  statusList_.SetBackground(settings_.colours.background);
  SaveSettingsNow();
}

void TZOZUvavada::Backtodefault1Click() {
  ShowPendingRows();
  settings_.colours = kDefaultColours;
  archiveList_.SetBackground(settings_.colours.background);
  statusList_.SetBackground(settings_.colours.background);
  SaveSettingsNow();
}

void TZOZUvavada::ShowError(const std::string& text) {
  gui::MessageBoxUtf8(nullptr, text.c_str(), "Error", MB_OK | MB_ICONERROR | MB_TOPMOST);
}
