// Program entry of Quor.exe: the start-up decision and its process kinds
// are in Quor_Startup. Every process of the program reads the pick list's
// place at its start and writes it back at its end.
#include <string>
#include <vector>

#include "mainwindow/Quor_Startup.h"
#include "picklist/Quor_SpecifikBox.h"
#include "platform/text.h"
#include "settings/Quor_Config.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args = platform::ProgramArguments(argc, argv);
  const std::string settingsPath = SettingsPath();
  LoadProcessPickListPlacement(settingsPath);
  RunQuor(args);
  SaveProcessPickListPlacement(settingsPath);
  return 0;
}
