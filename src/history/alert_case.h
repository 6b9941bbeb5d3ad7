// An alert's case: its alert ID, the states it went through (each with its
// time and the Windows user, never overwritten), a note, photos of the pack
// and the deadline to answer. Kept in the scan history's database. Portable.
#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "history/history_entry.h"

struct sqlite3;

enum class CaseState { Open, SetAside, ResolvedOwnError, ResolvedCleared, Reported, Returned };
constexpr int kCaseStateCount = 6;

// "Open", "Set aside", "Resolved: own scan error", ...
const char* CaseStateWord(CaseState state);
// The state as the history keeps it: English, whatever the language shown;
// and back (an unknown word is Open).
const char* StoredCaseStateWord(CaseState state);
CaseState CaseStateOfStored(const std::string& word);
// Closed cases have no deadline any more.
bool IsClosed(CaseState state);

// What one change recorded: "State", "Alert ID", "Note" or "Photo".
struct CaseEvent {
    std::string what, value;
    std::string localTime, utcTime;  // ISO 8601, as the history writes them
    std::string userName;
};

struct AlertCase {
    int64_t outcomeId = 0;
    std::string alertId;  // as recorded, else as read from the answer
    CaseState state = CaseState::Open;
    std::string note;
    std::vector<std::string> photos;  // file paths, oldest first
    std::vector<CaseEvent> events;    // oldest first
};

// The alert ID an answer carries ("Alert ID: AT-1A2B3C4D-0001", or a token
// such as "DE-XXXXXXXX-..." with a national prefix); empty when none.
std::string AlertIdIn(const std::string& heading, const std::string& body);

// The case of `entry`, read through `db`; an alert with no record yet is Open.
AlertCase ReadAlertCase(sqlite3* db, const HistoryEntry& entry);

// Records one change of the case of outcome `outcomeId`, through a short
// connection of its own: the event, and the case's current values that the
// views and the export show.
bool RecordCaseEvent(const std::string& sqliteName, int64_t outcomeId, const CaseEvent& event, std::string& reason);

// When the case of an alert settled at `alertUtc` must be answered.
std::time_t CaseDeadline(std::time_t alertUtc, long answerDays);
// "2 days 3 h left", "Overdue by 1 day 2 h", or "Closed".
std::string DeadlineText(std::time_t deadline, std::time_t now, CaseState state);
bool IsOverdue(std::time_t deadline, std::time_t now, CaseState state);

// A photo's name in the photos folder: the outcome, a running number and the
// picked file's extension ("17-2.jpg").
std::string PhotoFileName(int64_t outcomeId, int number, const std::string& pickedPath);
