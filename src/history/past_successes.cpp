// OutcomesSince: the history's recent pack changes, for the worker.
#include "history/past_successes.h"

#include <sqlite3.h>

#include <cstdio>

#include "history/sqlite_statement.h"

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's
// days_from_civil), so no time-zone setting can shift the result.
long long DaysFromCivil(int year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

}  // namespace

std::optional<std::time_t> ParseUtcTime(const std::string& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char zone = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%n", &year, &month, &day, &hour, &minute, &second, &zone,
                    &used) != 7 ||
        zone != 'Z' || static_cast<size_t>(used) != text.size())
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    long long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return static_cast<std::time_t>(days * 86400 + hour * 3600 + minute * 60 + second);
}

namespace {

std::string TextColumn(sqlite3_stmt* row, int column)
{
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
    return text ? text : "";
}

std::string BlobColumn(sqlite3_stmt* row, int column)
{
    const char* bytes = static_cast<const char*>(sqlite3_column_blob(row, column));
    return std::string(bytes ? bytes : "", sqlite3_column_bytes(row, column));
}

}  // namespace

std::vector<PastOutcome> OutcomesSince(const HistoryStore& store, std::time_t since)
{
    std::vector<PastOutcome> found;
    if (!store.IsOpen()) return found;
    Statement query = Prepare(store.Connection(),
                              "SELECT mode, kind, barcode, status_text, status, message_heading, curl_result, utc_time"
                              " FROM outcome WHERE utc_time >= ? AND mode IN (1, 2) ORDER BY id");
    if (!query) {
        store.ReportIfDamaged(sqlite3_errcode(store.Connection()));
        return found;
    }
    sqlite3_stmt* raw = query.get();
    BindText(raw, 1, UtcCutoff(since, 0));
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(raw)) == SQLITE_ROW) {
        std::optional<std::time_t> when = ParseUtcTime(TextColumn(raw, 7));
        if (!when) continue;
        found.push_back({sqlite3_column_int(raw, 0), sqlite3_column_int(raw, 1), BlobColumn(raw, 2), TextColumn(raw, 3),
                         TextColumn(raw, 4), TextColumn(raw, 5), sqlite3_column_int(raw, 6), *when});
    }
    store.ReportIfDamaged(code);
    return found;
}
