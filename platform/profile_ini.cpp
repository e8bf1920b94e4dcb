#include "platform/profile_ini.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// One line of the text: [begin, end) is its content without the line end,
// next is where the following line starts.
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
};

enum class LineKind { Other, Blank, Section, Key };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;   // section or key name
  std::string_view value;  // key value, trimmed
};

Line LineAt(std::string_view text, std::size_t begin) {
  Line line;
  line.begin = begin;
  std::size_t lf = text.find('\n', begin);
  if (lf == std::string_view::npos) {
    line.end = line.next = text.size();
  } else {
    line.end = lf;
    line.next = lf + 1;
  }
  if (line.end > line.begin && text[line.end - 1] == '\r') --line.end;
  return line;
}

ParsedLine Parse(std::string_view text, const Line& line) {
  std::string_view content = text.substr(line.begin, line.end - line.begin);
  if (line.begin == 0 && content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  content = Trim(content);
  ParsedLine parsed;
  if (content.empty()) {
    parsed.kind = LineKind::Blank;
    return parsed;
  }
  if (content.front() == '[') {
    std::size_t close = content.rfind(']');
    if (close != std::string_view::npos) {
      parsed.kind = LineKind::Section;
      parsed.name = Trim(content.substr(1, close - 1));
    }
    return parsed;
  }
  if (content.front() == ';') return parsed;
  std::size_t equals = content.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.name = Trim(content.substr(0, equals));
  if (parsed.name.empty()) return parsed;
  parsed.kind = LineKind::Key;
  parsed.value = Trim(content.substr(equals + 1));
  return parsed;
}

// Where a section and a key stand in the text.
struct Location {
  bool sectionFound = false;
  bool keyFound = false;
  Line keyLine;           // the key's line, when found
  ParsedLine key;         // the key as parsed, when found
  std::size_t insertAt = 0;  // after the section's last non-blank line, when found
};

Location Locate(std::string_view text, std::string_view section, std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  Location where;
  bool inSection = false;
  for (std::size_t at = 0; at < text.size();) {
    Line line = LineAt(text, at);
    ParsedLine parsed = Parse(text, line);
    if (parsed.kind == LineKind::Section) {
      if (inSection) break;  // the end of the wanted section
      if (SameName(parsed.name, section)) {
        inSection = true;
        where.sectionFound = true;
        where.insertAt = line.next;
      }
    } else if (inSection && parsed.kind != LineKind::Blank) {
      where.insertAt = line.next;
      if (parsed.kind == LineKind::Key && SameName(parsed.name, key)) {
        where.keyFound = true;
        where.keyLine = line;
        where.key = parsed;
        return where;
      }
    }
    at = line.next;
  }
  return where;
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

bool IsStorableProfileText(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  std::string_view s = Trim(section);
  std::string_view k = Trim(key);
  if (s.empty() || k.empty()) return false;
  if (s.find(']') != std::string_view::npos) return false;
  if (k.find('=') != std::string_view::npos || k.front() == '[' || k.front() == ';') return false;
  return true;
}

std::optional<std::string> IniFindValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
  Location where = Locate(text, section, key);
  if (!where.keyFound) return std::nullopt;
  return std::string(Unquoted(where.key.value));
}

std::string IniSetValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
  Location where = Locate(text, section, key);
  std::string result;
  result.reserve(text.size() + section.size() + key.size() + value.size() + 8);
  if (where.keyFound) {
    // Keep the key's spelling and any indentation before it.
    std::size_t nameBegin = static_cast<std::size_t>(where.key.name.data() - text.data());
    result.append(text.substr(0, nameBegin));
    result.append(where.key.name);
    result += '=';
    result.append(value);
    result.append(text.substr(where.keyLine.end));
    return result;
  }
  const std::string newKey = std::string(Trim(key)) + "=" + std::string(value) + "\r\n";
  if (where.sectionFound) {
    std::size_t at = where.insertAt;
    result.append(text.substr(0, at));
    if (at > 0 && text[at - 1] != '\n') result += "\r\n";  // the section ends the text without a line end
    result += newKey;
    result.append(text.substr(at));
    return result;
  }
  result.append(text);
  if (!result.empty()) {
    if (result.back() != '\n') result += "\r\n";
    result += "\r\n";
  }
  result += '[';
  result.append(Trim(section));
  result += "]\r\n";
  result += newKey;
  return result;
}

}  // namespace platform
