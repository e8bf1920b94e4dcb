#include "platform/locale.h"

#include <clocale>
#include <cctype>
#include <cstring>
#include <ctime>

namespace platform {
namespace {

std::tm ToTm(const CalendarTime& time) {
  std::tm tm{};
  tm.tm_year = time.year - 1900;
  tm.tm_mon = time.month - 1;
  tm.tm_mday = time.day;
  tm.tm_hour = time.hour;
  tm.tm_min = time.minute;
  tm.tm_sec = time.second;
  tm.tm_wday = time.dayOfWeek;
  return tm;
}

std::string Format(const char* pattern, const CalendarTime& time) {
  std::tm tm = ToTm(time);
  char buffer[128];
  std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &tm);
  return std::string(buffer, n);
}

std::string FoldCase(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

}  // namespace

std::string FormatShortDate(const CalendarTime& time) { return Format("%x", time); }

std::string FormatLongTime(const CalendarTime& time) { return Format("%X", time); }

std::string ThousandsSeparator() {
  const char* sep = std::localeconv()->thousands_sep;
  return sep && *sep ? sep : ",";
}

int CompareTextNoCase(const std::string& a, const std::string& b) {
  return std::strcoll(FoldCase(a).c_str(), FoldCase(b).c_str());
}

}  // namespace platform
