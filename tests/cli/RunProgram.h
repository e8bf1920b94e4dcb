// Runs quor-cli (beside the test program) with arguments and collects its
// exit status and output.
#pragma once

#include <string>
#include <vector>

namespace testutil {

struct ProgramResult {
  int status = -1;
  std::string out;  // stdout, CRs removed
  std::string err;  // stderr, CRs removed
};

// The path of quor-cli in the test program's folder.
std::string CliProgramPath();
// Runs the program with the arguments, stdout and stderr going to files.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args);
inline ProgramResult RunCli(const std::vector<std::string>& args) { return RunProgram(CliProgramPath(), args); }

}  // namespace testutil
