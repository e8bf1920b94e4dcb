// quor-cli: checks and creates SFV files from the command line.
#include <clocale>
#include <string>
#include <vector>

#include "cli/Quor_CliArgs.h"
#include "cli/Quor_CliRun.h"
#include "platform/fs.h"
#include "platform/text.h"

int main(int argc, char** argv) {
#ifndef _WIN32
  // Number, date and time formats and collation follow the user's locale.
  std::setlocale(LC_ALL, "");
#endif
  const std::vector<std::string> args = platform::ProgramArguments(argc, argv);
  CliConsole console;
  console.showProgress = platform::StderrIsTerminal();
  console.programFolder = platform::ExecutableFolder();
  console.stateFolder = platform::UserStateFolder();
  const int status = RunCli(ParseCliArgs(args), console);
  std::fflush(stdout);
  return status;
}
