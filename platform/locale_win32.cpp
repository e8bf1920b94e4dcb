#include "platform/locale.h"

#include <windows.h>

#include "platform/text.h"

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
  wchar_t buffer[128];
  int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128);
  return n > 0 ? Narrow(std::wstring_view(buffer, n - 1)) : std::string();
}

std::string FormatLongTime(const CalendarTime& time) {
  SYSTEMTIME st = ToSystemTime(time);
  wchar_t buffer[128];
  int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
  return n > 0 ? Narrow(std::wstring_view(buffer, n - 1)) : std::string();
}

std::string ThousandsSeparator() {
  wchar_t buffer[8];
  int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buffer, 8);
  return n > 1 ? Narrow(std::wstring_view(buffer, n - 1)) : std::string(",");
}

int CompareTextNoCase(const std::string& a, const std::string& b) {
  const std::wstring wideA = Widen(a);
  const std::wstring wideB = Widen(b);
  int result = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.data(), static_cast<int>(wideA.size()),
                              wideB.data(), static_cast<int>(wideB.size()));
  return result == 0 ? 0 : result - CSTR_EQUAL;
}

}  // namespace platform
