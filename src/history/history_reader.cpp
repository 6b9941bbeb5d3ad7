// HistoryReader: the views' conditions as SQL, their ids, rows and export.
#include "history/history_reader.h"

#include <sqlite3.h>

#include "core/scan_result.h"
#include "history/history_csv.h"
#include "history/history_store.h"
#include "history/past_successes.h"
#include "history/sqlite_statement.h"

namespace {

// Parameters: ?1 search text, ?2 its bytes, ?3 first day, ?4 last day,
// ?5 mode, ?6 kind, ?7 account, ?8 the undo time's start (UTC).
const char kFilter[] =
    "(?1 = '' OR sn = ?1 OR read_serial = ?1 OR gtin = ?1 OR read_product_code = ?1 OR lot = ?1"
    " OR read_batch = ?1 OR instr(barcode, CAST(?2 AS BLOB)) > 0)"
    " AND (?3 = '' OR local_time >= ?3) AND (?4 = '' OR local_time < ?4 || 'T99')"
    " AND (?5 < 0 OR mode = ?5) AND (?6 < 0 OR kind = ?6)";

// A later successful Recommission of the same pack: the same product code
// and serial as the service gave them (the serial is indexed), or without
// them the same barcode, since another scan of a pack may order its fields
// differently.
const char kRecommissionedLater[] =
    "EXISTS (SELECT 1 FROM outcome AS later WHERE later.sn = outcome.sn"
    " AND (outcome.sn <> '' AND later.gtin = outcome.gtin OR outcome.sn = '' AND later.barcode = outcome.barcode)"
    " AND later.id > outcome.id AND later.kind = 3 AND later.mode = 2)";

// The results list's alert rule (Failed and Error always; Success and
// Warning in Verify and Recommission; the first waiting scan of an outage;
// never a reply without an item status).
const char kAlert[] =
    "ifnull(status, '') <> '3' AND (kind IN (2, 5) OR (kind IN (3, 4) AND mode IN (0, 2))"
    " OR (kind = 6 AND status = 'outage'))";

std::string Condition(HistoryView view)
{
    std::string condition = kFilter;
    if (view == HistoryView::CanBeUndone)
        condition += std::string(" AND kind = 3 AND mode = 1 AND status_text <> 'Done before' AND user_name = ?7"
                                 " AND utc_time >= ?8 AND NOT ") + kRecommissionedLater;
    if (view == HistoryView::Alerts) condition += std::string(" AND ") + kAlert;
    return condition;
}

void BindQuery(sqlite3_stmt* s, const HistoryViewQuery& query)
{
    BindText(s, 1, query.filter.search);
    std::string bytes = SearchBytes(query.filter.search);
    sqlite3_bind_blob(s, 2, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    BindText(s, 3, query.filter.fromDate);
    BindText(s, 4, query.filter.toDate);
    sqlite3_bind_int(s, 5, query.filter.mode);
    sqlite3_bind_int(s, 6, query.filter.kind);
    BindText(s, 7, query.account);
    BindText(s, 8, UtcCutoff(query.now, kUndoDays));
}

}  // namespace

HistoryReader::~HistoryReader()
{
    if (m_db) sqlite3_close_v2(m_db);
}

int HistoryReader::Step(sqlite3_stmt* statement) const
{
    int code = sqlite3_step(statement);
    MarkIfDamaged(code, m_damageMark);
    return code;
}

std::vector<HistoryEntry> HistoryReader::EntriesOf(sqlite3_stmt* s) const
{
    std::vector<HistoryEntry> rows;
    while (Step(s) == SQLITE_ROW) {
        rows.push_back(EntryOfRow(s, 1));
        rows.back().id = sqlite3_column_int64(s, 0);
    }
    return rows;
}

int64_t HistoryReader::SingleNumber(const char* sql) const
{
    Statement s = Prepare(m_db, sql);
    return s && Step(s.get()) == SQLITE_ROW ? sqlite3_column_int64(s.get(), 0) : 0;
}

bool HistoryReader::Open(const std::string& sqliteName, std::string& reason, const std::string& damageMark)
{
    sqlite3* db = nullptr;
    int code = OpenGuarded(sqliteName, SQLITE_OPEN_READONLY, &db);
    // A history from before any scan has no table yet.
    if (code == SQLITE_OK) {
        Statement probe = Prepare(db, "SELECT 1 FROM outcome LIMIT 1");
        if (!probe) code = SQLITE_ERROR;
    }
    if (code != SQLITE_OK) {
        reason = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close_v2(db);
        return false;
    }
    sqlite3_busy_timeout(db, 2000);
    m_db = db;
    m_damageMark = damageMark;
    return true;
}

int64_t HistoryReader::Count() const { return SingleNumber("SELECT count(*) FROM outcome"); }

int64_t HistoryReader::MinId() const { return SingleNumber("SELECT ifnull(min(id), 0) FROM outcome"); }

int64_t HistoryReader::MaxId() const { return SingleNumber("SELECT ifnull(max(id), 0) FROM outcome"); }

int64_t HistoryReader::CountNewer(int64_t id, int64_t atMostId) const
{
    Statement s = Prepare(m_db, "SELECT count(*) FROM outcome WHERE id > ? AND id <= ?");
    if (!s) return 0;
    sqlite3_bind_int64(s.get(), 1, id);
    sqlite3_bind_int64(s.get(), 2, atMostId);
    return Step(s.get()) == SQLITE_ROW ? sqlite3_column_int64(s.get(), 0) : 0;
}

std::vector<HistoryEntry> HistoryReader::RowsAtMost(int64_t atMostId, int limit) const
{
    Statement s = Prepare(m_db, std::string("SELECT id, ") + kEntryColumns +
                                    " FROM outcome WHERE id <= ? ORDER BY id DESC LIMIT ?");
    if (!s) return {};
    sqlite3_bind_int64(s.get(), 1, atMostId);
    sqlite3_bind_int(s.get(), 2, limit);
    return EntriesOf(s.get());
}

std::vector<HistoryEntry> HistoryReader::RowsOf(const int64_t* ids, size_t count) const
{
    std::vector<HistoryEntry> rows;
    Statement s = Prepare(m_db, std::string("SELECT id, ") + kEntryColumns + " FROM outcome WHERE id = ?");
    for (size_t i = 0; s && i < count; ++i) {
        sqlite3_bind_int64(s.get(), 1, ids[i]);
        std::vector<HistoryEntry> one = EntriesOf(s.get());
        sqlite3_reset(s.get());
        rows.insert(rows.end(), one.begin(), one.end());
    }
    return rows;
}

std::vector<int64_t> HistoryReader::Ids(const HistoryViewQuery& query, const std::string& extra, int64_t low,
                                        int64_t high) const
{
    Statement s = Prepare(m_db, "SELECT id FROM outcome WHERE " + Condition(query.view) + extra + " ORDER BY id DESC");
    if (!s) return {};
    BindQuery(s.get(), query);
    sqlite3_bind_int64(s.get(), 9, low);
    sqlite3_bind_int64(s.get(), 10, high);
    std::vector<int64_t> ids;
    while (Step(s.get()) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(s.get(), 0));
    return ids;
}

std::vector<int64_t> HistoryReader::MatchingIds(const HistoryViewQuery& query) const
{
    return Ids(query, "", 0, 0);
}

std::vector<int64_t> HistoryReader::MatchingIds(const HistoryViewQuery& query, int64_t low, int64_t high) const
{
    return Ids(query, " AND id BETWEEN ?9 AND ?10", low, high);
}

std::vector<int64_t> HistoryReader::SerialMatches(const HistoryViewQuery& query) const
{
    if (query.filter.search.empty()) return {};
    // The serial terms first and alone, so that SQLite takes both indexes.
    return Ids(query, " AND id IN (SELECT id FROM outcome WHERE sn = ?1 UNION SELECT id FROM outcome"
                      " WHERE read_serial = ?1)", 0, 0);
}

bool HistoryReader::RecommissionedSince(const HistoryEntry& entry) const
{
    Statement s = Prepare(m_db, std::string("SELECT 1 FROM outcome WHERE id = ? AND ") + kRecommissionedLater);
    if (!s) return false;
    sqlite3_bind_int64(s.get(), 1, entry.id);
    return Step(s.get()) == SQLITE_ROW;
}

std::optional<HistoryEntry> HistoryReader::OwnDecommissionBefore(const HistoryEntry& alert) const
{
    std::optional<std::time_t> alertTime = ParseUtcTime(alert.utcTime);
    if (!alertTime || alert.mode != Decommission) return std::nullopt;
    Statement s = Prepare(m_db, std::string("SELECT id, ") + kEntryColumns +
                                    " FROM outcome WHERE id < ?1 AND mode = 1 AND kind = 3"
                                    " AND status_text <> 'Done before' AND user_name = ?2 AND computer_name = ?3"
                                    " AND utc_time >= ?4 AND (?5 <> '' AND sn = ?5 AND gtin = ?6"
                                    " OR ?5 = '' AND barcode = ?7) AND NOT " +
                                    kRecommissionedLater + " ORDER BY id DESC LIMIT 1");
    if (!s) return std::nullopt;
    sqlite3_bind_int64(s.get(), 1, alert.id);
    BindText(s.get(), 2, alert.userName);
    BindText(s.get(), 3, alert.computerName);
    BindText(s.get(), 4, UtcCutoff(*alertTime, kUndoDays));
    BindText(s.get(), 5, alert.sn);
    BindText(s.get(), 6, alert.gtin);
    sqlite3_bind_blob(s.get(), 7, alert.barcode.data(), static_cast<int>(alert.barcode.size()), SQLITE_TRANSIENT);
    std::vector<HistoryEntry> rows = EntriesOf(s.get());
    if (rows.empty()) return std::nullopt;
    return rows.front();
}

AlertCase HistoryReader::AlertCaseOf(const HistoryEntry& entry) const { return ReadAlertCase(m_db, entry); }

bool HistoryReader::ExportCsv(const HistoryViewQuery& query, const std::string& csvPath,
                              const CsvFileSystem& system, std::string& reason, long long& rows,
                              const std::atomic<bool>* cancelled) const
{
    rows = 0;
    Statement s = Prepare(m_db, std::string("SELECT id, ") + kEntryColumns + " FROM outcome WHERE " +
                                    Condition(query.view) + " ORDER BY id DESC");
    if (!s) {
        reason = m_db ? sqlite3_errmsg(m_db) : "there is no scan history";
        return false;
    }
    BindQuery(s.get(), query);
    CsvRowsResult result = WriteRowsCsv(s.get(), 1, csvPath, system, rows, cancelled, CsvHeadings::Shown);
    switch (result) {
    case CsvRowsResult::Written:
        return true;
    case CsvRowsResult::Stopped:
        reason = "the export was stopped";
        return false;
    case CsvRowsResult::Unreadable:
        MarkIfDamaged(sqlite3_errcode(m_db), m_damageMark);
        reason = std::string("the history cannot be read: ") + sqlite3_errmsg(m_db);
        return false;
    case CsvRowsResult::Device:
        reason = CsvFailureReason(result, csvPath);
        return false;
    default:
        reason = "the file cannot be written";
        return false;
    }
}

bool MarkHandled(const std::string& sqliteName, int64_t id, bool handled, const std::string& note,
                 std::string& reason)
{
    sqlite3* raw = nullptr;
    int code = OpenGuarded(sqliteName, SQLITE_OPEN_READWRITE, &raw);
    Connection db(raw);
    if (code == SQLITE_OK) {
        sqlite3_busy_timeout(raw, 5000);
        Statement s = Prepare(raw, "UPDATE outcome SET handled = ?, handled_note = ? WHERE id = ?");
        if (s) {
            sqlite3_bind_int(s.get(), 1, handled ? 1 : 0);
            BindText(s.get(), 2, note);
            sqlite3_bind_int64(s.get(), 3, id);
            code = sqlite3_step(s.get());
            if (code == SQLITE_DONE && sqlite3_changes(raw) == 1) return true;
        }
    }
    reason = raw && sqlite3_errcode(raw) != SQLITE_OK && sqlite3_errcode(raw) != SQLITE_DONE
                 ? sqlite3_errmsg(raw)
                 : "the row is no longer in the history";
    return false;
}
