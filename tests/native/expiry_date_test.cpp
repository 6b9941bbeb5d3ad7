// Expiry dates against today, the compiler's date and a clock before the
// build date, all as values.
#include <gtest/gtest.h>

#include "packcode/expiry_date.h"
#include "verify/scan_check_rows.h"

namespace {

TEST(ExpiryDate, ThePackIsExpiredOnlyOnceItsLastDayIsBeforeToday)
{
    const struct {
        const char* expiry;
        CalendarDate today;
        const char* expiredOn;  // empty: in date, or no date
    } cases[] = {
        {"261208", {2026, 12, 8}, ""},             // its last day is today
        {"261207", {2026, 12, 8}, "2026-12-07"},   // yesterday
        {"261209", {2026, 12, 8}, ""},
        {"261200", {2026, 12, 31}, ""},            // day 00: the month's last day
        {"261200", {2027, 1, 1}, "2026-12-31"},
        {"261100", {2026, 12, 1}, "2026-11-30"},   // a 30-day month
        {"240200", {2024, 2, 29}, ""},             // a leap year's February
        {"240200", {2024, 3, 1}, "2024-02-29"},
        {"230200", {2023, 3, 1}, "2023-02-28"},
        {"000200", {2000, 3, 1}, "2000-02-29"},    // 2000: a leap year though a century
        {"240229", {2024, 3, 1}, "2024-02-29"},
        {"230229", {2026, 12, 8}, ""},             // no such day: a fault, not an expiry
        {"241300", {2026, 12, 8}, ""},
        {"240431", {2026, 12, 8}, ""},
        {"2412", {2026, 12, 8}, ""},
        {"", {2026, 12, 8}, ""},
        {"19063A", {2026, 12, 8}, ""},
        {"991231", {2026, 12, 8}, ""},             // 2099
        {"191231", {2020, 1, 1}, "2019-12-31"},    // across a year's end
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpiredOn(c.expiry, c.today), c.expiredOn) << c.expiry << " on " << IsoDate(c.today);
    EXPECT_EQ(ExpiredOn("190630", std::nullopt), "") << "no trusted today: nothing is judged";
}

TEST(ExpiryDate, AClockBeforeTheBuildDateIsNotBelieved)
{
    const CalendarDate build{2026, 12, 8};
    const struct {
        CalendarDate clock;
        bool believed;
    } cases[] = {
        {{2026, 12, 8}, true},  {{2026, 12, 9}, true}, {{2040, 1, 1}, true},
        {{2026, 12, 7}, false}, {{2026, 11, 30}, false}, {{1980, 1, 1}, false},
    };
    for (const auto& c : cases) {
        std::optional<CalendarDate> today = TrustedToday(c.clock, build);
        EXPECT_EQ(today.has_value(), c.believed) << IsoDate(c.clock);
        if (today) EXPECT_EQ(*today, c.clock);
    }
    // A clock years back would otherwise make an expired pack look in date,
    // and one wrongly ahead is caught by nothing: it is the system's to set.
    EXPECT_EQ(ExpiredOn("190630", TrustedToday({2019, 1, 1}, build)), "");
}

TEST(ExpiryDate, TheCompilersDateReadsAsADay)
{
    const struct {
        const char* text;
        std::optional<CalendarDate> date;
    } cases[] = {
        {"Dec  8 2026", CalendarDate{2026, 12, 8}},
        {"Jan 31 2027", CalendarDate{2027, 1, 31}},
        {"Feb 29 2028", CalendarDate{2028, 2, 29}},
        {"Feb 29 2027", std::nullopt},
        {"Foo  1 2026", std::nullopt},
        {"eb  1 2026", std::nullopt},  // a month name cut into
        {"Dec 8 2026", std::nullopt},
        {"Dec  0 2026", std::nullopt},
        {"??? ?? ????", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(CompilerDate(c.text), c.date) << c.text;
    EXPECT_TRUE(CompilerDate(__DATE__).has_value()) << __DATE__;
}

TEST(ScanCheckRows, FaultsFirstThenAnExpiryAlreadyPast)
{
    const std::optional<CalendarDate> today = CalendarDate{2026, 12, 8};
    const std::string expired = "0104150123456799" "17190630" "10LOT19X\x1D" "21OLD00001";
    const std::string expiredFaulty = "0104150123456798" "17190600" "10LOT19X\x1D" "21OLD00001";
    const std::string inDate = "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0001";
    EXPECT_EQ(ScanCheckRows(expired, today), std::vector<std::string>{"Scan check: this pack expired on 2019-06-30"});
    EXPECT_EQ(ScanCheckRows(expiredFaulty, today),
              (std::vector<std::string>{"Scan check: The product code's check digit is wrong.",
                                        "Scan check: this pack expired on 2019-06-30"}));
    EXPECT_TRUE(ScanCheckRows(inDate, today).empty());
    EXPECT_TRUE(ScanCheckRows(expired, std::nullopt).empty()) << "a clock not believed adds no row";
}

}  // namespace
