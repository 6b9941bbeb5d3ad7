// The History window's own read-only connection to the scan history (the
// worker keeps writing through its own; WAL lets both go on): the rows of a
// view page by page, the ids a view matches, the undo check's question, and
// the view as CSV. Each query is a statement of its own, so no read is held
// open between them. Portable.
#pragma once
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/csv_file_system.h"
#include "history/alert_case.h"
#include "history/history_entry.h"
#include "history/history_view_rules.h"

struct sqlite3;
struct sqlite3_stmt;

class HistoryReader {
public:
    HistoryReader() = default;
    ~HistoryReader();
    HistoryReader(const HistoryReader&) = delete;
    HistoryReader& operator=(const HistoryReader&) = delete;

    // `sqliteName`: the file's name as SQLite takes it (UTF-8). A read that
    // meets a damaged page leaves the marker `damageMark` (DamageMarkName of
    // the file's own path), so that the worker sets the file aside.
    bool Open(const std::string& sqliteName, std::string& reason, const std::string& damageMark = "");
    bool IsOpen() const { return m_db != nullptr; }

    int64_t Count() const;
    int64_t MaxId() const;
    int64_t MinId() const;
    // How many rows are newer than row `id`, up to row `atMostId`.
    int64_t CountNewer(int64_t id, int64_t atMostId) const;
    // Up to `limit` rows with ids at most `atMostId`, newest first.
    std::vector<HistoryEntry> RowsAtMost(int64_t atMostId, int limit) const;
    // The rows of `ids`, in their order; a row deleted meanwhile is left out.
    std::vector<HistoryEntry> RowsOf(const int64_t* ids, size_t count) const;
    // The ids of the view's rows, newest first: all of them, or only those
    // from `low` to `high` so that a long search goes a slice at a time.
    std::vector<int64_t> MatchingIds(const HistoryViewQuery& query) const;
    std::vector<int64_t> MatchingIds(const HistoryViewQuery& query, int64_t low, int64_t high) const;
    // Rows of the view whose serial is the search text: both serial columns
    // are indexed, so this answers at once however long the history is.
    std::vector<int64_t> SerialMatches(const HistoryViewQuery& query) const;
    // Whether the pack of `entry` was recommissioned successfully after it.
    bool RecommissionedSince(const HistoryEntry& entry) const;
    // This account's successful Decommission of the pack of `alert` on this
    // computer within the undo time before it and not undone since, if any:
    // what an "already inactive" alert may be undone to.
    std::optional<HistoryEntry> OwnDecommissionBefore(const HistoryEntry& alert) const;
    // The alert case of `entry`: its record, or Open with the answer's ID.
    AlertCase AlertCaseOf(const HistoryEntry& entry) const;
    // Writes the view's rows, newest first, as the export writes them; stops
    // and leaves the old file once `cancelled` is set.
    bool ExportCsv(const HistoryViewQuery& query, const std::string& csvPath, const CsvFileSystem& system,
                   std::string& reason, long long& rows, const std::atomic<bool>* cancelled = nullptr) const;

private:
    std::vector<int64_t> Ids(const HistoryViewQuery& query, const std::string& extra, int64_t low,
                             int64_t high) const;
    int Step(sqlite3_stmt* statement) const;
    std::vector<HistoryEntry> EntriesOf(sqlite3_stmt* statement) const;
    int64_t SingleNumber(const char* sql) const;

    sqlite3* m_db = nullptr;
    std::string m_damageMark;
};

// Sets or clears an alert's "Handled" mark and its note, through a short
// connection of its own (the reader's cannot write).
bool MarkHandled(const std::string& sqliteName, int64_t id, bool handled, const std::string& note,
                 std::string& reason);
