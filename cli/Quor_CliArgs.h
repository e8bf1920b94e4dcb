// The command line of quor-cli, parsed into plain fields, and its help texts.
#pragma once

#include <string>
#include <vector>

#include "core/Quor_FileHash.h"

enum class CliCommand { None, Check, Create };

// Exit statuses of quor-cli.
inline constexpr int kExitOk = 0;       // every file good / every SFV file written
inline constexpr int kExitFailed = 1;   // a file bad or missing, an SFV file unreadable, a folder left without
inline constexpr int kExitUsage = 2;    // wrong usage

struct CliArgs {
  CliCommand command = CliCommand::None;
  bool help = false;     // --help (for the command when one is given)
  bool version = false;  // --version
  std::string error;     // set on wrong usage: what was wrong
  std::vector<std::string> paths;  // SFV files or folders (check), folders (create)
  unsigned jobs = 1;               // --jobs: files hashed side by side (both commands)

  // check
  bool skipKnownGood = false;
  bool renameBad = false;
  bool makeDummy = false;
  bool quiet = false;

  // create
  bool recursive = false;
  bool fileInfo = false;
  bool overwrite = false;
  std::string name;  // the SFV file name for every folder ("" picks one per folder)
  std::string exclude = "#?.DIZ#?.NFO#?.JPG#?.TXT";
  std::string nfo;   // the text file whose lines go into the header as comments
  HashKind hash = HashKind::Crc32;  // --hash: CRC-32 writes SFV files, the others lists of their own
};

// Parses the arguments after the program name. Options may come before or
// after the paths; "--" ends the options; "--opt=VALUE" and "--opt VALUE"
// are both accepted for options with a value.
CliArgs ParseCliArgs(const std::vector<std::string>& args);

// The help text of a command (CliCommand::None: the program's overview).
std::string CliHelpText(CliCommand command);
// "quor-cli " + the program's version text.
std::string CliVersionText();
