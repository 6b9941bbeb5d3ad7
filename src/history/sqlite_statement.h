// SQLite connections and prepared statements owned by handles, connections
// opened guarded against a crafted file, and text bound by its length (a
// barcode may hold any byte). Portable.
#pragma once
#include <sqlite3.h>

#include <memory>
#include <string>

struct ConnectionDeleter {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionDeleter>;

// Opens like sqlite3_open_v2, then guards the connection: a history file is
// only data, so a crafted one must not run code of its own through triggers,
// views or functions in its schema, nor have its schema written directly.
inline int OpenGuarded(const std::string& name, int flags, sqlite3** db)
{
    int code = sqlite3_open_v2(name.c_str(), db, flags, nullptr);
    if (code != SQLITE_OK) return code;
    const int off[] = {SQLITE_DBCONFIG_TRUSTED_SCHEMA, SQLITE_DBCONFIG_ENABLE_TRIGGER, SQLITE_DBCONFIG_ENABLE_VIEW};
    for (int option : off)
        if (sqlite3_db_config(*db, option, 0, nullptr) != SQLITE_OK) return SQLITE_ERROR;
    return sqlite3_db_config(*db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
}

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Null when there is no connection or the SQL does not prepare.
inline Statement Prepare(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* statement = nullptr;
    if (db) sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    return Statement(statement);
}

inline void BindText(sqlite3_stmt* statement, int index, const std::string& text)
{
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}
