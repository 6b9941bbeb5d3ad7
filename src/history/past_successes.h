// What the worker takes from the history across a restart: the outcomes of
// Decommissions and Recommissions since a time, oldest first. Portable.
#pragma once
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "history/history_store.h"

// Every pack outcome at or after `since`, oldest first: what the worker needs
// to tell which packs were left uncertain.
struct PastOutcome {
    int mode = 0;
    int kind = 0;
    std::string barcode;  // the raw bytes as scanned
    std::string statusText, status, messageHeading;
    int curlResult = 0;
    std::time_t when = 0;
};
std::vector<PastOutcome> OutcomesSince(const HistoryStore& store, std::time_t since);

// The time of an ISO 8601 UTC text such as "2026-12-08T03:00:00Z".
std::optional<std::time_t> ParseUtcTime(const std::string& text);
