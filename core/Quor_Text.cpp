#include "core/Quor_Text.h"

#include "platform/fs.h"

namespace {

bool IsSeparatorOrDrive(char c) { return platform::IsPathSep(c) || c == ':'; }

std::size_t AfterLastSeparator(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparatorOrDrive(path[i - 1])) return i;
  }
  return 0;
}

}  // namespace

std::string AsciiUpper(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

std::string AsciiLower(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::vector<std::string> SplitListText(std::string_view text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      items.emplace_back(text.substr(start));
      break;
    }
    items.emplace_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return items;
}

std::string JoinListText(const std::vector<std::string>& items) {
  std::size_t size = 0;
  for (const std::string& item : items) size += item.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& item : items) {
    text += item;
    text += kCrLf;
  }
  return text;
}

std::string TrimText(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string ExtractFilePath(std::string_view path) {
  return std::string(path.substr(0, AfterLastSeparator(path)));
}

std::string ExtractFileName(std::string_view path) {
  return std::string(path.substr(AfterLastSeparator(path)));
}

std::string ExtractFileExt(std::string_view path) {
  std::size_t nameStart = AfterLastSeparator(path);
  std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < nameStart) return std::string();
  return std::string(path.substr(dot));
}

std::string IncludeTrailingSeparator(std::string_view folder) {
  std::string result(folder);
  if (result.empty() || !platform::IsPathSep(result.back())) result += platform::kPathSep;
  return result;
}

std::string ExcludeTrailingSeparator(std::string_view folder) {
  std::string result(folder);
  if (!result.empty() && platform::IsPathSep(result.back())) result.pop_back();
  return result;
}

bool IsPlainFileName(std::string_view name) {
  if (name == "." || name == "..") return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 32) return false;
    switch (c) {
      case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
        return false;
      default:
        break;
    }
  }
  return true;
}
