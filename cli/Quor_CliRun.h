// The two commands of quor-cli: the real check and creation workers run on
// the calling thread with hosts that answer on the console.
#pragma once

#include <cstdio>
#include <string>

#include "cli/Quor_CliArgs.h"

struct CliConsole {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  bool showProgress = false;  // a progress line on err (a terminal), about once a second
  std::string programFolder;  // where the program's "Progress" folder is tried first
  std::string stateFolder;    // the fallback for it ("" for none)
};

// Runs what the arguments ask for (help, version, check, create) and gives
// the exit status.
int RunCli(const CliArgs& args, const CliConsole& console);

// The folder the check keeps progress files under (its "Progress"
// sub-folder): programFolder when that sub-folder can be made and written,
// else stateFolder (made when missing); "" when neither can.
std::string ChooseProgressBase(const std::string& programFolder, const std::string& stateFolder);
