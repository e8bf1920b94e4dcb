#include "mainwindow/Quor_CommandLine.h"

#include <cstring>

#include "core/Quor_ChecksumList.h"
#include "core/Quor_Text.h"
#include "platform/fs.h"
#include "platform/text.h"

std::optional<std::uint32_t> HandOverCode(const std::string& switchText) {
  if (switchText == "-TestFile") return HO_TEST_FILE;
  if (switchText == "-TestFileS") return HO_TEST_FILE_SPE;
  if (switchText == "-TestFolder") return HO_TEST_FOLDER;
  if (switchText == "-TestFolderS") return HO_TEST_FOLDER_SPE;
  return std::nullopt;
}

std::optional<CheckRequest> RequestOfCode(std::uint32_t code, const std::string& path) {
  switch (code) {
    case HO_TEST_FILE:
      return CheckRequest{path, false, false};
    case HO_TEST_FILE_SPE:
      return CheckRequest{path, false, true};
    case HO_TEST_FOLDER:
      return CheckRequest{path, true, false};
    case HO_TEST_FOLDER_SPE:
      return CheckRequest{path, true, true};
    default:
      return std::nullopt;
  }
}

std::optional<CheckRequest> CheckRequestOfCommandLine(const std::vector<std::string>& args) {
  if (args.size() != 2) return std::nullopt;
  const std::optional<std::uint32_t> code = HandOverCode(args[0]);
  if (!code) return std::nullopt;
  return RequestOfCode(*code, args[1]);
}

namespace {

// "C:\..." or "\\server\..." (and "/..." on POSIX): a path that names its
// place without the current folder. Such a path is passed on exactly as
// given.
bool IsFullPath(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && platform::IsPathSep(path[2])) return true;
  if (path.size() >= 2 && platform::IsPathSep(path[0]) && platform::IsPathSep(path[1])) return true;
  return platform::kPathSep == '/' && !path.empty() && path[0] == '/';
}

}  // namespace

std::vector<std::string> WithFullPath(std::vector<std::string> args) {
  if (args.size() == 2 && (HandOverCode(args[0]) || IsCreateCommandLine(args)) && !args[1].empty() &&
      !IsFullPath(args[1])) {
    args[1] = platform::FullPathName(args[1]);
  }
  return args;
}

bool IsCreateCommandLine(const std::vector<std::string>& args) {
  return args.size() == 2 && (args[0] == "-CreateSFVFile" || args[0] == "-CreateSFVFileS");
}

namespace {

StartDecision Only(StartAction action) {
  StartDecision decision;
  decision.action = action;
  return decision;
}

}  // namespace

StartDecision DecideStart(const std::vector<std::string>& args, bool copyRunning) {
  if (args.empty()) return Only(copyRunning ? StartAction::Exit : StartAction::OpenMainWindow);
  // One argument, or three and more: a main window of its own, running copy
  // or not; no switch is looked at.
  if (args.size() != 2) return Only(StartAction::OpenMainWindow);
  if (IsCreateCommandLine(args)) return Only(StartAction::OpenCreator);
  // A first copy handles its switch (or ignores a wrong one) itself.
  if (!copyRunning) return Only(StartAction::OpenMainWindow);
  const std::optional<std::uint32_t> code = HandOverCode(args[0]);
  if (!code) return Only(StartAction::Exit);
  StartDecision decision{StartAction::HandOver, *code, {}};
  decision.payload = HandOverPayload(args[1], decision.code);
  return decision;
}

std::string HandOverPayload(const std::string& path, std::uint32_t& code) {
  std::optional<std::string> legacy = platform::Utf8ToLegacy(path);
  std::string payload = legacy ? std::move(*legacy) : path;
  if (!legacy) code += HO_UTF8_OFFSET;
  payload.push_back('\0');
  return payload;
}

std::string HandOverPath(const void* data, std::size_t size) {
  if (!data || size == 0) return {};
  const char* bytes = static_cast<const char*>(data);
  const void* zero = std::memchr(bytes, 0, size);
  const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes) : size;
  return std::string(bytes, length);
}

std::optional<CheckRequest> RequestOfHandOver(std::uint32_t code, const void* data, std::size_t size) {
  const std::string path = HandOverPath(data, size);
  if (code >= HO_TEST_FILE + HO_UTF8_OFFSET && code <= HO_TEST_FOLDER_SPE + HO_UTF8_OFFSET) {
    if (!platform::IsValidUtf8(path)) return std::nullopt;
    return RequestOfCode(code - HO_UTF8_OFFSET, path);
  }
  return RequestOfCode(code, platform::LegacyToUtf8(path));
}

std::optional<CheckRequest> RequestOfDroppedItem(const std::string& path, bool isFolder) {
  if (isFolder) return CheckRequest{path, true, false};
  if (ListHashOfName(ExtractFileName(path))) return CheckRequest{path, false, false};
  return std::nullopt;
}
