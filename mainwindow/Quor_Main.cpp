// Program entry of Quor.exe. Decides from the command line what kind of
// process this is: "-CreateSFVFile" or "-CreateSFVFileS" and a folder open
// the creator window alone; no arguments, or a check switch and a path,
// open the main window (handing the request to a running copy comes with
// the start-up code); every other start ends quietly.
#include <windows.h>

#include <string>
#include <vector>

#include "create/Quor_Creater.h"
#include "gui/SettingsAccess.h"
#include "mainwindow/Quor_Checker.h"
#include "picklist/Quor_SpecifikBox.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string settingsPath = gui::SettingsFilePath();
  // Every process of the program reads the pick list's place at its start
  // and writes it back at its end.
  LoadCurrentPickListPlacement(settingsPath);
  int code = 0;
  if (IsCreatorStart(args)) {
    code = RunCreatorProcess(args, settingsPath);
  } else if (IsMainWindowStart(args)) {
    code = RunMainWindowProcess(args);
  }
  SaveCurrentPickListPlacement(settingsPath);
  return code;
}
