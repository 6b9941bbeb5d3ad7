// The scan history as CSV for spreadsheets and scheduled tasks: RFC 4180
// quoting, UTF-8 with a byte-order mark, ISO 8601 times, control bytes in the
// results list's escaped form, and no field a spreadsheet would run as a
// formula. Portable.
#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "history/history_entry.h"

struct sqlite3_stmt;

// One field, quoted where it must be. 8-bit text is taken as Latin-1.
std::string CsvField(const std::string& text);
std::string CsvHeader();                       // with the byte-order mark, ends "\r\n"
std::string CsvRow(const HistoryEntry& entry);  // ends "\r\n"

// The stored fields in HistoryEntry's order, for a SELECT, and the entry of
// a row that selected them from column `first` on.
extern const char kEntryColumns[];
HistoryEntry EntryOfRow(sqlite3_stmt* statement, int first);

// True for a real calendar date written YYYY-MM-DD.
bool IsIsoDate(const std::string& text);

// Writes the header and every row of `query` (the entry's columns from
// `first` on) to `csvPath` through a temporary file that replaces it only
// when complete; stops, leaving no file, once `cancelled` is set.
enum class CsvRowsResult { Written, Unreadable, Unwritable, Stopped };
CsvRowsResult WriteRowsCsv(sqlite3_stmt* query, int first, const std::string& csvPath, long long& rows,
                           const std::atomic<bool>* cancelled = nullptr);

enum class ExportResult { Written, NoHistory, Unreadable, Unwritable };

// Writes the rows whose local time falls on the days from `from` to `to`
// (YYYY-MM-DD, either may be empty for no bound), oldest first, to `csvPath`
// through a temporary file; `reason` says what went wrong.
// `historySqliteName` is the history's path as SQLite takes it (UTF-8).
ExportResult ExportHistoryCsv(const std::string& historyPath, const std::string& csvPath, const std::string& from,
                              const std::string& to, std::string& reason, long long& rows,
                              const std::string& historySqliteName = "");

// The words of a command line; double quotes group, as Windows programs read them.
std::vector<std::string> CommandLineWords(const std::string& commandLine);
