// The scan history as CSV for spreadsheets and scheduled tasks: RFC 4180
// quoting, UTF-8 with a byte-order mark, ISO 8601 times, control bytes in the
// results list's escaped form, and no cell a spreadsheet would run as a
// formula, whether it splits the lines on commas, semicolons or tabs.
// Portable.
#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "history/csv_file_system.h"
#include "history/history_entry.h"

struct sqlite3_stmt;

// Where a field's text comes from: the program's own is in the system's code
// page; the service's is UTF-8, or taken as the program's when it is not.
enum class CsvText { Own, Service };
using CodePageConverter = std::string (*)(const std::string& text);

// One text field as UTF-8, guarded against formulas and quoted where it must be.
std::string CsvField(const std::string& text, CsvText source, CodePageConverter toUtf8);
// The column names in English, as scripts read them, or in the language
// shown, for the History window's export.
enum class CsvHeadings { English, Shown };
// With the byte-order mark, ends "\r\n".
std::string CsvHeader(CsvHeadings headings = CsvHeadings::English, CodePageConverter toUtf8 = nullptr);
std::string CsvRow(const HistoryEntry& entry, CodePageConverter toUtf8);  // ends "\r\n"
// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(const std::string& text);

// The stored fields in HistoryEntry's order, for a SELECT, and the entry of
// a row that selected them from column `first` on.
extern const char kEntryColumns[];
HistoryEntry EntryOfRow(sqlite3_stmt* statement, int first);

// True for a real calendar date written YYYY-MM-DD, a digit in every place.
bool IsIsoDate(const std::string& text);

// Writes the header and every row of `query` (the entry's columns from
// `first` on) to `csvPath` through a temporary file that replaces it only
// when complete; stops, leaving the old file, once `cancelled` is set.
// A device name (NUL, COM1) is no file and is refused.
enum class CsvRowsResult { Written, Unreadable, Unwritable, Stopped, Device };
CsvRowsResult WriteRowsCsv(sqlite3_stmt* query, int first, const std::string& csvPath, const CsvFileSystem& system,
                           long long& rows, const std::atomic<bool>* cancelled = nullptr,
                           CsvHeadings headings = CsvHeadings::English);
// Why the file was not written, for the pharmacist.
std::string CsvFailureReason(CsvRowsResult result, const std::string& csvPath);

enum class ExportResult { Written, NoHistory, Unreadable, Unwritable };

// Writes the rows whose local time falls on the days from `from` to `to`
// (YYYY-MM-DD, either may be empty for no bound), oldest first, to `csvPath`
// through a temporary file; `reason` says what went wrong.
// `historySqliteName` is the history's path as SQLite takes it (UTF-8).
ExportResult ExportHistoryCsv(const std::string& historyPath, const std::string& csvPath, const std::string& from,
                              const std::string& to, const CsvFileSystem& system, std::string& reason,
                              long long& rows, const std::string& historySqliteName = "");

// The words of a command line; double quotes group, as Windows programs read them.
std::vector<std::string> CommandLineWords(const std::string& commandLine);
