// A pack's expiry date against the calendar: its last day of use, whether
// that lies before today, and the build date below which the computer's
// clock is not believed. Every date comes in as a value. Portable.
#pragma once
#include <optional>
#include <string>
#include <string_view>

struct CalendarDate {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to the month's last
};

bool operator<(const CalendarDate& left, const CalendarDate& right);
bool operator==(const CalendarDate& left, const CalendarDate& right);

// The last day a pack of expiry YYMMDD (year 20YY) may be used: day 00
// stands for the month's last day. None when it is no date.
std::optional<CalendarDate> LastDayOfUse(std::string_view yymmdd);

// "YYYY-MM-DD".
std::string IsoDate(const CalendarDate& date);

// The date the compiler's __DATE__ ("Dec  8 2026") names; none when the text
// reads otherwise.
std::optional<CalendarDate> CompilerDate(std::string_view text);

// The day expiry dates are compared with: the clock's, unless it lies
// before the program's build date, where the clock is plainly wrong and no
// good pack may be stopped by it.
std::optional<CalendarDate> TrustedToday(const CalendarDate& clock, const CalendarDate& buildDate);

// "YYYY-MM-DD" of an expiry that lies before `today`; empty for a pack in
// date, an expiry that is no date, or no trusted today.
std::string ExpiredOn(std::string_view yymmdd, const std::optional<CalendarDate>& today);
