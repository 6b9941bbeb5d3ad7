// A delivery checked at goods-in, as the history keeps it: its number, the
// supplier and delivery note typed at the counter, when it was opened and
// closed, and the scans taken while it was checked. Every call works on a
// connection the caller owns (the delivery window's, the report's). Portable.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/history_entry.h"

struct sqlite3;

struct DeliveryRecord {
    int64_t id = 0;  // the delivery number
    std::string supplier, noteNumber;
    std::string openedLocal, openedUtc;  // ISO 8601, as the history writes times
    std::string closedLocal, closedUtc;  // empty while it is open
    std::string userName, computerName;
    bool IsClosed() const { return !closedUtc.empty(); }
};

// Writes a new delivery; its number, or 0 with the reason.
int64_t StartDelivery(sqlite3* db, const DeliveryRecord& record, std::string& reason);
bool SaveDeliveryDetails(sqlite3* db, int64_t id, const std::string& supplier, const std::string& noteNumber,
                         std::string& reason);
bool CloseDelivery(sqlite3* db, int64_t id, const std::string& closedLocal, const std::string& closedUtc,
                   std::string& reason);
std::optional<DeliveryRecord> DeliveryById(sqlite3* db, int64_t id);
// The newest delivery this computer left open: it is continued, not started
// again, after a restart.
std::optional<DeliveryRecord> OpenDeliveryOn(sqlite3* db, const std::string& computerName);
// The delivery's scans, oldest first.
std::vector<HistoryEntry> DeliveryScans(sqlite3* db, int64_t id);
// Every scan whose local time falls on the days `from` to `to` (YYYY-MM-DD,
// either empty for no bound), oldest first.
std::vector<HistoryEntry> ScansOfDays(sqlite3* db, const std::string& from, const std::string& to);
// Deliveries opened on the local days `from` to `to` (YYYY-MM-DD, either
// empty for no bound), oldest first.
std::vector<DeliveryRecord> DeliveriesOpened(sqlite3* db, const std::string& from, const std::string& to);
