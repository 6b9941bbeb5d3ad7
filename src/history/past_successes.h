// What the double-scan guard needs from the history to remember across a
// restart: the successes since a time, oldest first. Portable.
#pragma once
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "history/history_store.h"

struct PastSuccess {
    int mode = 0;
    std::string barcode;  // the raw bytes as scanned
    std::time_t when = 0;
};

// Rows of `successKind` at or after `since`, oldest first. A row that only
// says the pack was done before is no success of its own and is left out.
std::vector<PastSuccess> SuccessesSince(const HistoryStore& store, std::time_t since, int successKind);

// The time of an ISO 8601 UTC text such as "2026-12-08T03:00:00Z".
std::optional<std::time_t> ParseUtcTime(const std::string& text);
