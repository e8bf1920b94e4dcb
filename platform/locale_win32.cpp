#include "platform/locale.h"

#include <windows.h>

namespace platform {
namespace {

SYSTEMTIME ToSystemTime(const CalendarTime& time) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(time.year);
  st.wMonth = static_cast<WORD>(time.month);
  st.wDay = static_cast<WORD>(time.day);
  st.wHour = static_cast<WORD>(time.hour);
  st.wMinute = static_cast<WORD>(time.minute);
  st.wSecond = static_cast<WORD>(time.second);
  st.wMilliseconds = static_cast<WORD>(time.millisecond);
  st.wDayOfWeek = static_cast<WORD>(time.dayOfWeek);
  return st;
}

}  // namespace

std::string FormatShortDate(const CalendarTime& time) {
  SYSTEMTIME st = ToSystemTime(time);
  char buffer[128];
  int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, n - 1) : std::string();
}

std::string FormatLongTime(const CalendarTime& time) {
  SYSTEMTIME st = ToSystemTime(time);
  char buffer[128];
  int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, n - 1) : std::string();
}

std::string ThousandsSeparator() {
  char buffer[8];
  int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buffer, sizeof buffer);
  return n > 1 ? std::string(buffer, n - 1) : std::string(",");
}

int CompareTextNoCase(const std::string& a, const std::string& b) {
  int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                              b.data(), static_cast<int>(b.size()));
  return result == 0 ? 0 : result - CSTR_EQUAL;
}

}  // namespace platform
