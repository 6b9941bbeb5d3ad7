// The scan history's database: opening, schema steps, writing and trimming.
#include "history/history_store.h"

#include <sqlite3.h>

#include <cstdio>

#include "history/sqlite_statement.h"

namespace {

// Each step brings the schema from its index to the next version; a new
// version only ever adds a step, so a file of any earlier program comes up.
const char* const kSchemaSteps[] = {
    // 0 -> 1: the outcome and the service's answer.
    "CREATE TABLE outcome ("
    " id INTEGER PRIMARY KEY, local_time TEXT NOT NULL, utc_time TEXT NOT NULL, spool_key TEXT,"
    " mode INTEGER, barcode BLOB, status_text TEXT, kind INTEGER, status TEXT, message_heading TEXT,"
    " message_body TEXT, post_transaction_id TEXT, reply_transaction_id TEXT, gtin TEXT, lot TEXT,"
    " exp TEXT, sn TEXT, curl_result INTEGER, user_name TEXT, computer_name TEXT, program_version TEXT);"
    "CREATE INDEX outcome_by_time ON outcome(utc_time);"
    "CREATE INDEX outcome_by_serial ON outcome(sn);",
    // 1 -> 2: the scan as read at the counter, and an alert's follow-up.
    "ALTER TABLE outcome ADD COLUMN read_format TEXT;"
    "ALTER TABLE outcome ADD COLUMN read_product_code TEXT;"
    "ALTER TABLE outcome ADD COLUMN read_batch TEXT;"
    "ALTER TABLE outcome ADD COLUMN read_expiry TEXT;"
    "ALTER TABLE outcome ADD COLUMN read_serial TEXT;"
    "ALTER TABLE outcome ADD COLUMN read_faults TEXT;"
    "ALTER TABLE outcome ADD COLUMN handled INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE outcome ADD COLUMN handled_note TEXT;"
    "CREATE INDEX outcome_by_read_serial ON outcome(read_serial);",
    // 2 -> 3: an alert's case: its current values on the outcome, and every
    // change kept apart, never overwritten.
    "ALTER TABLE outcome ADD COLUMN case_alert_id TEXT;"
    "ALTER TABLE outcome ADD COLUMN case_state TEXT;"
    "ALTER TABLE outcome ADD COLUMN case_updated TEXT;"
    "CREATE TABLE case_event (id INTEGER PRIMARY KEY, outcome_id INTEGER NOT NULL, what TEXT NOT NULL,"
    " value TEXT, local_time TEXT NOT NULL, utc_time TEXT NOT NULL, user_name TEXT);"
    "CREATE INDEX case_event_by_outcome ON case_event(outcome_id);",
    // 3 -> 4: deliveries checked at goods-in, and the delivery of each scan
    // taken while one was checked.
    "ALTER TABLE outcome ADD COLUMN delivery INTEGER NOT NULL DEFAULT 0;"
    "CREATE INDEX outcome_by_delivery ON outcome(delivery) WHERE delivery <> 0;"
    "CREATE TABLE delivery (id INTEGER PRIMARY KEY, supplier TEXT NOT NULL DEFAULT '',"
    " note_number TEXT NOT NULL DEFAULT '', opened_local TEXT NOT NULL, opened_utc TEXT NOT NULL,"
    " closed_local TEXT NOT NULL DEFAULT '', closed_utc TEXT NOT NULL DEFAULT '', user_name TEXT,"
    " computer_name TEXT);",
    // 4 -> 5: how long a scan waited for the service through an outage.
    "ALTER TABLE outcome ADD COLUMN waited_seconds INTEGER NOT NULL DEFAULT 0;",
};
static_assert(sizeof kSchemaSteps / sizeof kSchemaSteps[0] == HistoryStore::kSchemaVersion);

bool IsDamage(int code) { return (code & 0xFF) == SQLITE_CORRUPT || (code & 0xFF) == SQLITE_NOTADB; }

std::string Reason(sqlite3* db) { return db ? sqlite3_errmsg(db) : "out of memory"; }

bool FileExists(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

bool WriteMark(const std::string& path, const std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

// This program's file holds the outcome table (from schema 1 on) with its
// indexes and nothing that runs by itself: no trigger, no view, no virtual
// table in its place.
const char kForeignObjects[] =
    "SELECT (SELECT count(*) FROM sqlite_schema WHERE type IN ('trigger', 'view')),"
    " (SELECT count(*) FROM sqlite_schema WHERE name = 'outcome' COLLATE NOCASE),"
    " (SELECT count(*) FROM sqlite_schema WHERE name = 'outcome' COLLATE NOCASE AND type = 'table'"
    "  AND sql NOT LIKE 'CREATE VIRTUAL%')";

}  // namespace

HistoryStore::HistoryStore() = default;
HistoryStore::~HistoryStore() { Close(); }

void HistoryStore::Close()
{
    if (m_db) sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool HistoryStore::Execute(const char* sql, std::string& reason)
{
    char* message = nullptr;
    int code = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    if (code == SQLITE_OK) return true;
    reason = message ? message : sqlite3_errstr(code);
    sqlite3_free(message);
    return false;
}

bool HistoryStore::OpenFile(const std::string& path, std::string& reason)
{
    Close();
    m_path = path;
    m_damageReported = false;
    std::string name = m_encodeName ? m_encodeName(path) : path;
    int code = OpenGuarded(name, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, &m_db);
    if (code != SQLITE_OK) {
        reason = Reason(m_db);
        Close();
        return false;
    }
    // Another connection (the export, the window) may hold the file briefly.
    sqlite3_busy_timeout(m_db, 5000);
    return Execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", reason);
}

int HistoryStore::SchemaVersion() const
{
    Statement statement = Prepare(m_db, "PRAGMA user_version");
    return statement && sqlite3_step(statement.get()) == SQLITE_ROW ? sqlite3_column_int(statement.get(), 0) : -1;
}

bool HistoryStore::Migrate(int target, std::string& reason)
{
    for (int version = SchemaVersion(); version < target; ++version) {
        // Each step and its version number commit together. The worker and
        // the delivery window may both open the file: the version is read
        // again inside the write lock, so a step runs once.
        std::string ignored;
        if (!Execute("BEGIN IMMEDIATE", reason)) return false;
        version = SchemaVersion();
        if (version >= target) return Execute("COMMIT", reason);
        std::string sql = std::string(kSchemaSteps[version]) + "PRAGMA user_version=" + std::to_string(version + 1) +
                          ";COMMIT;";
        if (!Execute(sql.c_str(), reason)) {
            int code = sqlite3_errcode(m_db);
            Execute("ROLLBACK", ignored);
            ReportIfDamaged(code);
            return false;
        }
    }
    return true;
}

HistoryStore::Opened HistoryStore::OpenChecked(const std::string& path, int version, std::string& reason)
{
    auto failed = [this, &reason] {
        bool damaged = m_db && IsDamage(sqlite3_errcode(m_db));
        if (m_db) reason = Reason(m_db);
        Close();
        return damaged ? Opened::Damaged : Opened::Failed;
    };
    if (!OpenFile(path, reason)) return failed();
    Statement read = Prepare(m_db, "PRAGMA user_version");
    if (!read || sqlite3_step(read.get()) != SQLITE_ROW) return failed();
    const int stored = sqlite3_column_int(read.get(), 0);
    read.reset();
    if (stored > kSchemaVersion) {
        Close();
        reason = "the history file comes from a newer version of the program";
        return Opened::Failed;
    }
    Statement check = Prepare(m_db, kForeignObjects);
    if (!check || sqlite3_step(check.get()) != SQLITE_ROW) return failed();
    bool runsCode = sqlite3_column_int(check.get(), 0) > 0;
    int named = sqlite3_column_int(check.get(), 1), plain = sqlite3_column_int(check.get(), 2);
    check.reset();
    if (stored < 0 || runsCode || named != (stored >= 1 ? 1 : 0) || named != plain) {
        Close();
        reason = "the history file holds more than the scan history";
        return Opened::Damaged;
    }
    return Migrate(version, reason) ? Opened::Yes : failed();
}

bool HistoryStore::OpenAtVersion(const std::string& path, int version, std::string& reason)
{
    return OpenChecked(path, version, reason) == Opened::Yes;
}

bool HistoryStore::Open(const std::string& path, const std::string& today, std::string& reason)
{
    m_damagedCopy.clear();
    if (FileExists(DamageMarkName(path)) && !SetAside(path, today, reason)) return false;
    Opened opened = OpenChecked(path, kSchemaVersion, reason);
    if (opened != Opened::Damaged || !m_damagedCopy.empty()) return opened == Opened::Yes;
    return SetAside(path, today, reason) && OpenChecked(path, kSchemaVersion, reason) == Opened::Yes;
}

bool HistoryStore::SetAside(const std::string& path, const std::string& today, std::string& reason)
{
    Close();
    // The mark goes first: left behind, it would set aside the new file too.
    const std::string mark = DamageMarkName(path);
    const bool marked = FileExists(mark);
    if (marked && std::remove(mark.c_str()) != 0) {
        reason = "the damaged history file's mark \"" + mark + "\" cannot be removed";
        return false;
    }
    if (!FileExists(path)) return true;  // nothing left to set aside
    for (int attempt = 1; attempt < 100; ++attempt) {
        std::string aside = DamagedHistoryName(path, today, attempt);
        if (FileExists(aside)) continue;
        if (std::rename(path.c_str(), aside.c_str()) != 0) break;
        m_damagedCopy = aside;
        // A journal of the damaged file must not be applied to the new one.
        std::rename((path + "-wal").c_str(), (aside + "-wal").c_str());
        std::remove((path + "-shm").c_str());
        return true;
    }
    // Held open elsewhere (the History window): the mark stays for the next try.
    if (marked) MarkIfDamaged(SQLITE_CORRUPT, mark);
    reason = "the damaged history file cannot be renamed aside";
    return false;
}

void HistoryStore::ReportIfDamaged(int sqliteCode) const
{
    if (!IsDamage(sqliteCode) || m_path.empty()) return;
    m_damageReported = true;
    MarkIfDamaged(sqliteCode, DamageMarkName(m_path));
}

void MarkIfDamaged(int sqliteCode, const std::string& markPath)
{
    if (IsDamage(sqliteCode) && !markPath.empty()) WriteMark(markPath, "damaged\r\n");
}

bool HistoryStore::Add(const HistoryEntry& e, std::string& reason)
{
    if (!m_db) {
        reason = "the history is not open";
        return false;
    }
    // A scan of no delivery leaves the column to its default, as a file of
    // an earlier schema (still being brought up elsewhere) has it.
    const bool tagged = e.delivery != 0, waited = e.waitedSeconds > 0;
    Statement insert = Prepare(m_db, std::string(
        "INSERT INTO outcome (local_time, utc_time, spool_key, mode, barcode, status_text, kind, status,"
        " message_heading, message_body, post_transaction_id, reply_transaction_id, gtin, lot, exp, sn,"
        " curl_result, user_name, computer_name, program_version, read_format, read_product_code, read_batch,"
        " read_expiry, read_serial, read_faults, handled, handled_note") + (tagged ? ", delivery" : "") +
        (waited ? ", waited_seconds" : "") + ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?" +
        (tagged ? ",?" : "") + (waited ? ",?" : "") + ")");
    if (!insert) {
        reason = Reason(m_db);
        ReportIfDamaged(sqlite3_errcode(m_db));
        return false;
    }
    sqlite3_stmt* s = insert.get();
    const std::string* texts1[] = {&e.localTime, &e.utcTime, &e.spoolKey};
    for (int i = 0; i < 3; ++i) BindText(s, 1 + i, *texts1[i]);
    sqlite3_bind_int(s, 4, e.mode);
    sqlite3_bind_blob(s, 5, e.barcode.data(), static_cast<int>(e.barcode.size()), SQLITE_TRANSIENT);
    BindText(s, 6, e.statusText);
    sqlite3_bind_int(s, 7, e.kind);
    const std::string* texts2[] = {&e.status, &e.messageHeading, &e.messageBody, &e.postTransactionId,
                                   &e.replyTransactionId, &e.gtin, &e.lot, &e.exp, &e.sn};
    for (int i = 0; i < 9; ++i) BindText(s, 8 + i, *texts2[i]);
    sqlite3_bind_int(s, 17, e.curlResult);
    const std::string* texts3[] = {&e.userName, &e.computerName, &e.programVersion, &e.readFormat,
                                   &e.readProductCode, &e.readBatch, &e.readExpiry, &e.readSerial, &e.readFaults};
    for (int i = 0; i < 9; ++i) BindText(s, 18 + i, *texts3[i]);
    sqlite3_bind_int(s, 27, e.handled ? 1 : 0);
    BindText(s, 28, e.handledNote);
    if (tagged) sqlite3_bind_int64(s, 29, e.delivery);
    if (waited) sqlite3_bind_int64(s, tagged ? 30 : 29, e.waitedSeconds);
    // Outside an explicit transaction the insert is one transaction of its own.
    int code = sqlite3_step(s);
    if (code == SQLITE_DONE) return true;
    reason = Reason(m_db);
    ReportIfDamaged(code);
    return false;
}

int HistoryStore::DeleteBatchBefore(const std::string& utcCutoff, int batch)
{
    if (utcCutoff.empty()) return 0;  // no date, nothing is old enough
    Statement remove = Prepare(m_db, "DELETE FROM outcome WHERE id IN"
                                     " (SELECT id FROM outcome WHERE utc_time < ? ORDER BY utc_time LIMIT ?)");
    if (!remove) {
        ReportIfDamaged(sqlite3_errcode(m_db));
        return -1;
    }
    BindText(remove.get(), 1, utcCutoff);
    sqlite3_bind_int(remove.get(), 2, batch);
    int code = sqlite3_step(remove.get());
    if (code == SQLITE_DONE) return sqlite3_changes(m_db);
    ReportIfDamaged(code);
    return -1;
}

int64_t HistoryStore::Count() const
{
    Statement count = Prepare(m_db, "SELECT count(*) FROM outcome");
    return count && sqlite3_step(count.get()) == SQLITE_ROW ? sqlite3_column_int64(count.get(), 0) : -1;
}

std::string UtcCutoff(std::time_t now, long days)
{
    std::time_t then = now - static_cast<std::time_t>(days) * 24 * 60 * 60;
    std::tm parts{};
#ifdef _WIN32
    if (gmtime_s(&parts, &then) != 0) return "";
#else
    if (!gmtime_r(&then, &parts)) return "";
#endif
    // Only four-digit years sort as text with the stored times.
    if (parts.tm_year < 1000 - 1900 || parts.tm_year > 9999 - 1900) return "";
    char text[32];
    if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts) == 0) return "";
    return text;
}

std::string DamageMarkName(const std::string& livePath) { return livePath + "-damaged"; }

std::string DamagedHistoryName(const std::string& livePath, const std::string& date, int attempt)
{
    std::string folder = livePath.substr(0, livePath.find_last_of("\\/") + 1);
    std::string suffix = attempt > 1 ? "-" + std::to_string(attempt) : "";
    return folder + "history-damaged-" + date + suffix + ".db";
}
