#include "cli/Quor_CliArgs.h"

#include <string_view>

#include "core/Quor_ChecksumList.h"
#include "core/Quor_HashJobs.h"
#include "core/Quor_Text.h"
#include "core/Quor_Version.h"

namespace {

constexpr char kExitStatusHelp[] =
    "Exit status:\n"
    "  0  check: every listed file of every SFV file is good;\n"
    "     create: every folder with files to list got its SFV file\n"
    "  1  check: a file is bad or missing, or an SFV file could not be read\n"
    "     or holds no file line;\n"
    "     create: a folder was left without its SFV file (name taken, error)\n"
    "  2  wrong usage\n";

// Takes the value of an option that needs one: the text after "=" or the
// next argument.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, std::string_view option,
               bool hasInlineValue, const std::string& inlineValue, std::string& value, std::string& error) {
  if (hasInlineValue) {
    value = inlineValue;
    return true;
  }
  if (i + 1 >= args.size()) {
    error = "option " + std::string(option) + " needs a value";
    return false;
  }
  value = args[++i];
  return true;
}

// The help texts below name the limit.
static_assert(kMaxJobs == 64);

// The value of --jobs: a whole number from 1 to kMaxJobs, digits only.
bool ParseJobs(const std::string& text, unsigned& jobs) {
  if (text.empty() || text.size() > 3) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value < 1 || value > kMaxJobs) return false;
  jobs = value;
  return true;
}

}  // namespace

CliArgs ParseCliArgs(const std::vector<std::string>& args) {
  CliArgs result;
  std::size_t i = 0;
  bool optionsEnded = false;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      if (result.command == CliCommand::None) {
        if (arg == "check") {
          result.command = CliCommand::Check;
        } else if (arg == "create") {
          result.command = CliCommand::Create;
        } else {
          result.error = "unknown command \"" + arg + "\"";
          return result;
        }
      } else {
        result.paths.push_back(arg);
      }
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string option = arg.substr(0, equals);
    const bool hasValue = equals != std::string::npos;
    const std::string inlineValue = hasValue ? arg.substr(equals + 1) : std::string();
    const bool check = result.command == CliCommand::Check;
    const bool create = result.command == CliCommand::Create;
    bool known = true;
    bool* flag = nullptr;
    if (option == "--help" || option == "-h") {
      flag = &result.help;
    } else if (option == "--version") {
      flag = &result.version;
    } else if (check && option == "--skip-known-good") {
      flag = &result.skipKnownGood;
    } else if (check && option == "--rename-bad") {
      flag = &result.renameBad;
    } else if (check && option == "--make-dummy") {
      flag = &result.makeDummy;
    } else if (check && option == "--quiet") {
      flag = &result.quiet;
    } else if (create && option == "--recursive") {
      flag = &result.recursive;
    } else if (create && option == "--file-info") {
      flag = &result.fileInfo;
    } else if (create && option == "--overwrite") {
      flag = &result.overwrite;
    } else if ((check || create) && option == "--jobs") {
      std::string value;
      if (!TakeValue(args, i, option, hasValue, inlineValue, value, result.error)) return result;
      if (!ParseJobs(value, result.jobs)) {
        result.error = "option --jobs needs a number from 1 to " + std::to_string(kMaxJobs) + ", not \"" + value + "\"";
        return result;
      }
      continue;
    } else if (create && option == "--hash") {
      std::string value;
      if (!TakeValue(args, i, option, hasValue, inlineValue, value, result.error)) return result;
      const std::optional<HashKind> hash = HashOfName(value);
      if (!hash) {
        result.error = "option --hash needs one of crc32, md5, sha1, sha256, sha512, not \"" + value + "\"";
        return result;
      }
      result.hash = *hash;
      continue;
    } else if (create && (option == "--name" || option == "--exclude" || option == "--nfo")) {
      std::string& target = option == "--name" ? result.name : option == "--exclude" ? result.exclude : result.nfo;
      if (!TakeValue(args, i, option, hasValue, inlineValue, target, result.error)) return result;
      if (target.empty() && option != "--exclude") {
        result.error = "option " + option + " needs a value";
        return result;
      }
      if (option == "--name" && !IsPlainFileName(target)) {
        result.error = "option --name needs a plain file name (no folder, none of \\ / : * ? \" < > |), not \"" +
                       target + "\"";
        return result;
      }
      continue;
    } else {
      known = false;
    }
    if (!known) {
      result.error = result.command == CliCommand::None
                         ? "unknown option " + option
                         : "unknown option " + option + " for " +
                               (check ? std::string("check") : std::string("create"));
      return result;
    }
    if (hasValue) {
      result.error = "option " + option + " takes no value";
      return result;
    }
    *flag = true;
  }
  if (result.help || result.version) return result;
  if (result.hash != HashKind::Crc32 && (result.fileInfo || !result.nfo.empty())) {
    result.error = std::string(result.fileInfo ? "--file-info" : "--nfo") +
                   " writes comments into SFV files; lists of another hash carry none";
  } else if (result.command == CliCommand::None) {
    result.error = "no command given";
  } else if (result.paths.empty()) {
    result.error = result.command == CliCommand::Check ? "no SFV file or folder given" : "no folder given";
  }
  return result;
}

std::string CliHelpText(CliCommand command) {
  std::string text;
  switch (command) {
    case CliCommand::None:
      text =
          "Usage: quor-cli COMMAND [OPTIONS] PATH...\n"
          "Checks and creates SFV files.\n"
          "\n"
          "Commands:\n"
          "  check   check the files listed in SFV files\n"
          "  create  write an SFV file into each folder\n"
          "\n"
          "  --help     show this text; \"quor-cli COMMAND --help\" shows a command's options\n"
          "  --version  show the program's version\n";
      break;
    case CliCommand::Check:
      text =
          "Usage: quor-cli check [OPTIONS] PATH...\n"
          "Checks every file each checksum list names. A PATH is a list or a folder;\n"
          "a folder stands for every list in it and in its sub-folders. Lists are SFV\n"
          "files (.sfv, CRC-32) and lists of digests: .md5, .sha1, .sha256, .sha512\n"
          "and MD5SUMS, SHA1SUMS, SHA256SUMS, SHA512SUMS, in the GNU form of\n"
          "sha256sum and its siblings or the BSD form (\"SHA256 (name) = hex\").\n"
          "\n"
          "  --skip-known-good  skip files found good by an earlier check and not\n"
          "                     written since (keeps progress files)\n"
          "  --rename-bad       rename a bad file to NAME_BAD_OR_INCOMPLETE\n"
          "  --make-dummy       leave empty marker files NAME_BAD_OR_INCOMPLETE and\n"
          "                     NAME_MISSING beside bad and missing files\n"
          "  --quiet            print only files that are not OK, notices and summaries\n"
          "  --jobs N           hash up to N files of an SFV file side by side (1 to 64,\n"
          "                     default 1); the output stays in the SFV file's order\n"
          "  --help             show this text\n"
          "\n"
          "Prints a line per file (status, path), notices, and per SFV file a line\n"
          "\"SFV  PATH  total N, good N, bad N, missing N\".\n";
      break;
    case CliCommand::Create:
      text =
          "Usage: quor-cli create [OPTIONS] FOLDER...\n"
          "Writes an SFV file listing the files of each folder into it.\n"
          "\n"
          "  --hash HASH        crc32 (the default: an SFV file), md5, sha1, sha256 or\n"
          "                     sha512: a list NAME.md5 (.sha1, .sha256, .sha512) in\n"
          "                     the form sha256sum and its siblings write and check\n"
          "                     (\"hex  name\" lines, UTF-8, LF line ends)\n"
          "  --recursive        also every sub-folder, all levels\n"
          "  --name NAME        the list's file name for every folder (\".sfv\" or the\n"
          "                     hash's extension is added when missing; a plain name,\n"
          "                     without a folder part); without it each folder's name\n"
          "                     is chosen from its files or the folder name\n"
          "  --exclude PATTERNS the file types left out, default \"#?.DIZ#?.NFO#?.JPG#?.TXT\"\n"
          "  --file-info        a comment with size, date and time per file (SFV only)\n"
          "  --nfo FILE         the lines of FILE as comments in the header (SFV only)\n"
          "  --overwrite        replace an existing SFV file of the chosen name; without\n"
          "                     it such a folder is left alone and reported\n"
          "  --jobs N           hash up to N files of a folder side by side (1 to 64,\n"
          "                     default 1)\n"
          "  --help             show this text\n"
          "\n"
          "Prints the full path of each list written.\n";
      break;
  }
  return text + "\n" + kExitStatusHelp;
}

std::string CliVersionText() { return std::string("quor-cli ") + kQuorVersion; }
