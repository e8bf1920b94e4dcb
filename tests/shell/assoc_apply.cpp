// assoc_apply PROGRAM FLAGS: runs ApplyShellAssociations on the system
// registry, FLAGS being six digits 0/1 in the order of ShellAssociations.
// Prints the error, if any, and exits 1 with it.
#include <cstdio>
#include <cstring>

#include "shell/Quor_MiscLib.h"

int main(int argc, char** argv) {
  if (argc != 3 || std::strlen(argv[2]) != 6) {
    std::fprintf(stderr, "usage: assoc_apply PROGRAM 101010\n");
    return 2;
  }
  const char* f = argv[2];
  const ShellAssociations flags{f[0] == '1', f[1] == '1', f[2] == '1',
                                f[3] == '1', f[4] == '1', f[5] == '1'};
  const std::string error = ApplyShellAssociations(argv[1], flags);
  if (error.empty()) return 0;
  std::printf("%s\n", error.c_str());
  return 1;
}
