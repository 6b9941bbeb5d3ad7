// Expiry dates, the compiler's date and the clock's credibility.
#include "packcode/expiry_date.h"

#include <cstdio>
#include <tuple>

#include "packcode/pack_code_checks.h"

namespace {

int TwoDigits(std::string_view text, size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

}  // namespace

bool operator<(const CalendarDate& left, const CalendarDate& right)
{
    return std::tie(left.year, left.month, left.day) < std::tie(right.year, right.month, right.day);
}

bool operator==(const CalendarDate& left, const CalendarDate& right)
{
    return std::tie(left.year, left.month, left.day) == std::tie(right.year, right.month, right.day);
}

std::optional<CalendarDate> LastDayOfUse(std::string_view yymmdd)
{
    if (!IsValidExpiry(yymmdd)) return std::nullopt;
    CalendarDate date{2000 + TwoDigits(yymmdd, 0), TwoDigits(yymmdd, 2), TwoDigits(yymmdd, 4)};
    if (date.day == 0) date.day = DaysInMonth(date.year, date.month);
    return date;
}

std::string IsoDate(const CalendarDate& date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::optional<CalendarDate> CompilerDate(std::string_view text)
{
    static constexpr std::string_view kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    // "Mmm dd yyyy", a day below 10 with a space in place of its tens.
    if (text.size() != 11 || text[3] != ' ' || text[6] != ' ') return std::nullopt;
    size_t month = kMonths.find(text.substr(0, 3));
    std::string day(text.substr(4, 2)), year(text.substr(7));
    if (day[0] == ' ') day[0] = '0';
    if (month == std::string_view::npos || month % 3 != 0 || !IsAllDigits(day) || !IsAllDigits(year))
        return std::nullopt;
    CalendarDate date{std::stoi(year), static_cast<int>(month / 3) + 1, std::stoi(day)};
    if (date.day < 1 || date.day > DaysInMonth(date.year, date.month)) return std::nullopt;
    return date;
}

std::optional<CalendarDate> TrustedToday(const CalendarDate& clock, const CalendarDate& buildDate)
{
    if (clock < buildDate) return std::nullopt;
    return clock;
}

std::string ExpiredOn(std::string_view yymmdd, const std::optional<CalendarDate>& today)
{
    std::optional<CalendarDate> lastDay = LastDayOfUse(yymmdd);
    if (!lastDay || !today || !(*lastDay < *today)) return {};
    return IsoDate(*lastDay);
}
