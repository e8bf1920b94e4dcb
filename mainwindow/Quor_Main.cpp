// Program entry of Quor.exe. Decides from the command line what kind of
// process this is. For now only the creator process exists: exactly two
// arguments, "-CreateSFVFile" or "-CreateSFVFileS" and a folder, open the
// creator window alone; every other start ends quietly.
#include <windows.h>

#include <string>
#include <vector>

#include "create/Quor_Creater.h"
#include "gui/SettingsAccess.h"
#include "picklist/Quor_SpecifikBox.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string settingsPath = gui::SettingsFilePath();
  // Every process of the program reads the pick list's place at its start
  // and writes it back at its end.
  LoadCurrentPickListPlacement(settingsPath);
  if (IsCreatorStart(args)) RunCreatorProcess(args, settingsPath);
  SaveCurrentPickListPlacement(settingsPath);
  return 0;
}
