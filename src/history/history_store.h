// The scan history's database: one row per settled scan in an SQLite file in
// WAL mode, its schema versioned and brought up to date on open. Portable.
#pragma once
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "history/history_entry.h"

struct sqlite3;

class HistoryStore {
public:
    // The newest schema; every earlier one is brought up to it on open.
    static constexpr int kSchemaVersion = 5;

    HistoryStore();
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens or creates the file. A file that is no database, is damaged, was
    // found damaged by an earlier read or write, or is not a history this
    // program made (its table replaced, triggers added) is renamed aside
    // (DamagedCopy() names it) and a new one started. False with the reason
    // when the history cannot be used now.
    bool Open(const std::string& path, const std::string& today, std::string& reason);
    // Opens with the schema of `version` only, as an earlier program left it.
    bool OpenAtVersion(const std::string& path, int version, std::string& reason);
    bool IsOpen() const { return m_db != nullptr; }
    void Close();
    const std::string& DamagedCopy() const { return m_damagedCopy; }
    // A read or write that met a damaged page marks the file (DamageMark
    // names the marker), so that the next Open sets it aside: a file whose
    // header is sound would otherwise open, and fail, on every start.
    void ReportIfDamaged(int sqliteCode) const;
    bool DamageReported() const { return m_damageReported; }

    // Writes one outcome in its own transaction.
    bool Add(const HistoryEntry& entry, std::string& reason);
    // Deletes up to `batch` rows older than the cutoff; the count deleted, or
    // -1 on failure.
    int DeleteBatchBefore(const std::string& utcCutoff, int batch);
    int SchemaVersion() const;
    int64_t Count() const;

    sqlite3* Connection() const { return m_db; }

    // SQLite takes file names in UTF-8; where the program's own are in the
    // system's 8-bit code page, this converts them.
    using NameEncoder = std::string (*)(const std::string&);
    void SetNameEncoder(NameEncoder encoder) { m_encodeName = encoder; }

private:
    enum class Opened { Yes, Damaged, Failed };
    Opened OpenChecked(const std::string& path, int version, std::string& reason);
    bool IsOwnSchema(std::string& reason);
    bool SetAside(const std::string& path, const std::string& today, std::string& reason);
    bool OpenFile(const std::string& path, std::string& reason);
    bool Migrate(int target, std::string& reason);
    bool Execute(const char* sql, std::string& reason);

    sqlite3* m_db = nullptr;
    std::string m_path;
    std::string m_damagedCopy;
    mutable bool m_damageReported = false;
    NameEncoder m_encodeName = nullptr;
};

// ISO 8601 UTC time ("2026-12-08T03:00:00Z") of `days` before `now`: rows
// older than it have passed their keeping time. Empty when that time has no
// calendar date (days far out of range).
std::string UtcCutoff(std::time_t now, long days);
// The marker beside the live file that says a read or write found it damaged.
std::string DamageMarkName(const std::string& livePath);
// Writes that marker when `sqliteCode` reports damage; `markPath` empty: none.
void MarkIfDamaged(int sqliteCode, const std::string& markPath);
// The name a damaged history gets beside the live one, on `date` (YYYY-MM-DD).
std::string DamagedHistoryName(const std::string& livePath, const std::string& date, int attempt);
