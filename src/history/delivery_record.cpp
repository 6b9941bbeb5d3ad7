// The delivery table and the scans tagged with a delivery.
#include "history/delivery_record.h"

#include <sqlite3.h>

#include "history/history_csv.h"
#include "history/sqlite_statement.h"

namespace {

const char kDeliveryColumns[] =
    "id, supplier, note_number, opened_local, opened_utc, closed_local, closed_utc, ifnull(user_name, ''),"
    " ifnull(computer_name, '')";

std::string Text(sqlite3_stmt* s, int column)
{
    const unsigned char* text = sqlite3_column_text(s, column);
    return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(s, column)) : std::string();
}

std::vector<DeliveryRecord> Deliveries(sqlite3_stmt* s)
{
    std::vector<DeliveryRecord> found;
    while (s && sqlite3_step(s) == SQLITE_ROW) {
        DeliveryRecord record;
        record.id = sqlite3_column_int64(s, 0);
        std::string* texts[] = {&record.supplier,  &record.noteNumber, &record.openedLocal, &record.openedUtc,
                                &record.closedLocal, &record.closedUtc, &record.userName,    &record.computerName};
        for (int i = 0; i < 8; ++i) *texts[i] = Text(s, 1 + i);
        found.push_back(record);
    }
    return found;
}

std::vector<HistoryEntry> Entries(sqlite3_stmt* s)
{
    std::vector<HistoryEntry> scans;
    while (s && sqlite3_step(s) == SQLITE_ROW) {
        scans.push_back(EntryOfRow(s, 1));
        scans.back().id = sqlite3_column_int64(s, 0);
    }
    return scans;
}

bool Done(sqlite3* db, sqlite3_stmt* s, std::string& reason)
{
    if (s && sqlite3_step(s) == SQLITE_DONE && sqlite3_changes(db) == 1) return true;
    reason = !s || sqlite3_errcode(db) != SQLITE_DONE ? sqlite3_errmsg(db) : "the delivery is not in the history";
    if (reason == "not an error") reason = "the delivery is not in the history";
    return false;
}

}  // namespace

int64_t StartDelivery(sqlite3* db, const DeliveryRecord& r, std::string& reason)
{
    Statement insert = Prepare(db, "INSERT INTO delivery (supplier, note_number, opened_local, opened_utc,"
                                   " user_name, computer_name) VALUES (?,?,?,?,?,?)");
    if (insert) {
        const std::string* texts[] = {&r.supplier, &r.noteNumber, &r.openedLocal, &r.openedUtc, &r.userName,
                                      &r.computerName};
        for (int i = 0; i < 6; ++i) BindText(insert.get(), i + 1, *texts[i]);
    }
    return Done(db, insert.get(), reason) ? sqlite3_last_insert_rowid(db) : 0;
}

bool SaveDeliveryDetails(sqlite3* db, int64_t id, const std::string& supplier, const std::string& noteNumber,
                         std::string& reason)
{
    Statement update = Prepare(db, "UPDATE delivery SET supplier = ?, note_number = ? WHERE id = ?");
    if (update) {
        BindText(update.get(), 1, supplier);
        BindText(update.get(), 2, noteNumber);
        sqlite3_bind_int64(update.get(), 3, id);
    }
    return Done(db, update.get(), reason);
}

bool CloseDelivery(sqlite3* db, int64_t id, const std::string& closedLocal, const std::string& closedUtc,
                   std::string& reason)
{
    // A closed delivery keeps its first closing time.
    Statement update =
        Prepare(db, "UPDATE delivery SET closed_local = ?, closed_utc = ? WHERE id = ? AND closed_utc = ''");
    if (update) {
        BindText(update.get(), 1, closedLocal);
        BindText(update.get(), 2, closedUtc);
        sqlite3_bind_int64(update.get(), 3, id);
    }
    return Done(db, update.get(), reason);
}

std::optional<DeliveryRecord> DeliveryById(sqlite3* db, int64_t id)
{
    Statement s = Prepare(db, std::string("SELECT ") + kDeliveryColumns + " FROM delivery WHERE id = ?");
    if (s) sqlite3_bind_int64(s.get(), 1, id);
    std::vector<DeliveryRecord> found = Deliveries(s.get());
    if (found.empty()) return std::nullopt;
    return found.front();
}

std::optional<DeliveryRecord> OpenDeliveryOn(sqlite3* db, const std::string& computerName)
{
    Statement s = Prepare(db, std::string("SELECT ") + kDeliveryColumns +
                                  " FROM delivery WHERE closed_utc = '' AND ifnull(computer_name, '') = ?"
                                  " ORDER BY id DESC LIMIT 1");
    if (s) BindText(s.get(), 1, computerName);
    std::vector<DeliveryRecord> found = Deliveries(s.get());
    if (found.empty()) return std::nullopt;
    return found.front();
}

std::vector<HistoryEntry> DeliveryScans(sqlite3* db, int64_t id)
{
    Statement s = Prepare(db, std::string("SELECT id, ") + kEntryColumns + " FROM outcome WHERE delivery = ?"
                                                                         " AND delivery <> 0 ORDER BY id");
    if (s) sqlite3_bind_int64(s.get(), 1, id);
    return Entries(s.get());
}

std::vector<HistoryEntry> ScansOfDays(sqlite3* db, const std::string& from, const std::string& to)
{
    Statement s = Prepare(db, std::string("SELECT id, ") + kEntryColumns +
                                  " FROM outcome WHERE (?1 = '' OR local_time >= ?1)"
                                  " AND (?2 = '' OR local_time < ?2 || 'T99') ORDER BY id");
    if (s) {
        BindText(s.get(), 1, from);
        BindText(s.get(), 2, to);
    }
    return Entries(s.get());
}

std::vector<DeliveryRecord> DeliveriesOpened(sqlite3* db, const std::string& from, const std::string& to)
{
    Statement s = Prepare(db, std::string("SELECT ") + kDeliveryColumns +
                                  " FROM delivery WHERE (?1 = '' OR opened_local >= ?1)"
                                  " AND (?2 = '' OR opened_local < ?2 || 'T99') ORDER BY id");
    if (s) {
        BindText(s.get(), 1, from);
        BindText(s.get(), 2, to);
    }
    return Deliveries(s.get());
}
