// The user's locale: number, date and time formats, and text collation.
// The Win32 build asks the user's default locale; the POSIX build the C
// library's current locale (the program calls setlocale at start).
#pragma once

#include <string>

namespace platform {

// A calendar date and time, as the file routines convert file times to.
struct CalendarTime {
  int year = 1601;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int dayOfWeek = 0;  // 0 = Sunday
};

// The user's short date format, e.g. "12/8/2026".
std::string FormatShortDate(const CalendarTime& time);
// The user's long time format, e.g. "1:05:09 PM".
std::string FormatLongTime(const CalendarTime& time);
// The user's thousands separator (',' where the locale names none).
std::string ThousandsSeparator();
// Compares two names in the user's collation, ignoring letter case:
// negative, zero or positive.
int CompareTextNoCase(const std::string& a, const std::string& b);

}  // namespace platform
