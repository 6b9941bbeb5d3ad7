// The alert case: reading its ID from an answer, its record in the history,
// its deadline.
#include "history/alert_case.h"

#include <sqlite3.h>

#include <cctype>

#include "guide/guide_texts.h"
#include "history/history_view_rules.h"
#include "history/sqlite_statement.h"

namespace {

const GuideText kStateTexts[kCaseStateCount] = {GuideText::CaseOpen,           GuideText::CaseSetAside,
                                                GuideText::CaseResolvedOwnError, GuideText::CaseResolvedCleared,
                                                GuideText::CaseReported,       GuideText::CaseReturned};

// The states as the history stores them: English words, whatever the
// language shown.
const char* const kStoredStates[kCaseStateCount] = {
    "Open", "Set aside", "Resolved: own scan error", "Resolved: cleared and supplied", "Reported to the authority",
    "Returned"};

bool IsIdCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; }

std::string Trimmed(std::string id)
{
    while (!id.empty() && id.back() == '-') id.pop_back();
    return id;
}

// "XX-" followed by at least six letters or digits, and more parts: the
// national forms of an alert ID.
std::string PrefixedIdIn(const std::string& text)
{
    for (size_t at = 0; at + 9 < text.size(); ++at) {
        if (at > 0 && IsIdCharacter(text[at - 1])) continue;
        if (!std::isupper(static_cast<unsigned char>(text[at])) || !std::isupper(static_cast<unsigned char>(text[at + 1])) ||
            text[at + 2] != '-')
            continue;
        size_t end = at + 3;
        while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end]))) ++end;
        if (end - at - 3 < 6 || end >= text.size() || text[end] != '-') continue;
        while (end < text.size() && IsIdCharacter(text[end])) ++end;
        return Trimmed(text.substr(at, end - at));
    }
    return std::string();
}

std::string LabelledIdIn(const std::string& text)
{
    const char label[] = "Alert ID";
    size_t at = text.find(label);
    if (at == std::string::npos) return std::string();
    at += sizeof label - 1;
    while (at < text.size() && (text[at] == ':' || text[at] == ' ')) ++at;
    size_t end = at;
    while (end < text.size() && IsIdCharacter(text[end])) ++end;
    return Trimmed(text.substr(at, end - at));
}

std::string Column(sqlite3_stmt* s, int i)
{
    const unsigned char* text = sqlite3_column_text(s, i);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

}  // namespace

const char* CaseStateWord(CaseState state) { return GuideString(kStateTexts[static_cast<int>(state)]); }

const char* StoredCaseStateWord(CaseState state) { return kStoredStates[static_cast<int>(state)]; }

CaseState CaseStateOfStored(const std::string& word)
{
    for (int i = 0; i < kCaseStateCount; ++i)
        if (word == kStoredStates[i]) return static_cast<CaseState>(i);
    return CaseState::Open;
}

bool IsClosed(CaseState state) { return state != CaseState::Open && state != CaseState::SetAside; }

std::string AlertIdIn(const std::string& heading, const std::string& body)
{
    for (const std::string* text : {&heading, &body}) {
        std::string id = LabelledIdIn(*text);
        if (id.empty()) id = PrefixedIdIn(*text);
        if (!id.empty()) return id;
    }
    return std::string();
}

AlertCase ReadAlertCase(sqlite3* db, const HistoryEntry& entry)
{
    AlertCase record;
    record.outcomeId = entry.id;
    record.alertId = AlertIdIn(entry.messageHeading, entry.messageBody);
    Statement s = Prepare(db, "SELECT what, value, local_time, utc_time, user_name FROM case_event"
                              " WHERE outcome_id = ? ORDER BY id");
    if (!s) return record;
    sqlite3_bind_int64(s.get(), 1, entry.id);
    while (sqlite3_step(s.get()) == SQLITE_ROW) {
        CaseEvent event{Column(s.get(), 0), Column(s.get(), 1), Column(s.get(), 2), Column(s.get(), 3),
                        Column(s.get(), 4)};
        if (event.what == "State") record.state = CaseStateOfStored(event.value);
        if (event.what == "Alert ID") record.alertId = event.value;
        if (event.what == "Note") record.note = event.value;
        if (event.what == "Photo") record.photos.push_back(event.value);
        record.events.push_back(event);
    }
    return record;
}

bool RecordCaseEvent(const std::string& sqliteName, int64_t outcomeId, const CaseEvent& event, std::string& reason)
{
    sqlite3* raw = nullptr;
    int code = sqlite3_open_v2(sqliteName.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Connection db(raw);
    if (code != SQLITE_OK) {
        reason = raw ? sqlite3_errmsg(raw) : "out of memory";
        return false;
    }
    sqlite3_busy_timeout(raw, 5000);
    // The event and the current values go in together or not at all.
    sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    Statement insert = Prepare(raw, "INSERT INTO case_event (outcome_id, what, value, local_time, utc_time, user_name)"
                                    " SELECT id, ?, ?, ?, ?, ? FROM outcome WHERE id = ?");
    std::string column = event.what == "State" ? "case_state" : event.what == "Alert ID" ? "case_alert_id" : "";
    std::string set = (column.empty() ? "" : column + " = ?2, ") + "case_updated = ?1";
    Statement update = Prepare(raw, "UPDATE outcome SET " + set + " WHERE id = ?3");
    bool done = false;
    if (insert && update) {
        const std::string* texts[] = {&event.what, &event.value, &event.localTime, &event.utcTime, &event.userName};
        for (int i = 0; i < 5; ++i) BindText(insert.get(), i + 1, *texts[i]);
        sqlite3_bind_int64(insert.get(), 6, outcomeId);
        BindText(update.get(), 1, event.utcTime);
        BindText(update.get(), 2, event.value);
        sqlite3_bind_int64(update.get(), 3, outcomeId);
        done = sqlite3_step(insert.get()) == SQLITE_DONE && sqlite3_changes(raw) == 1 &&
               sqlite3_step(update.get()) == SQLITE_DONE;
    }
    if (done && sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    reason = sqlite3_errcode(raw) != SQLITE_OK && sqlite3_errcode(raw) != SQLITE_DONE ? sqlite3_errmsg(raw)
                                                                                     : "the row is no longer in the history";
    sqlite3_exec(raw, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

std::time_t CaseDeadline(std::time_t alertUtc, long answerDays)
{
    return alertUtc + static_cast<std::time_t>(answerDays) * 24 * 60 * 60;
}

bool IsOverdue(std::time_t deadline, std::time_t now, CaseState state) { return !IsClosed(state) && now > deadline; }

std::string DeadlineText(std::time_t deadline, std::time_t now, CaseState state)
{
    std::string text;
    GuideText format = GuideText::CaseTimeLeft;
    if (IsClosed(state)) return GuideString(GuideText::CaseClosed);
    if (IsOverdue(deadline, now, state)) format = GuideText::CaseOverdue;
    text = GuideString(format);
    long long seconds = static_cast<long long>(deadline) - static_cast<long long>(now);
    text.replace(text.find("%s"), 2, DurationText(seconds < 0 ? -seconds : seconds));
    return text;
}

std::string PhotoFileName(int64_t outcomeId, int number, const std::string& pickedPath)
{
    size_t slash = pickedPath.find_last_of("\\/");
    size_t dot = pickedPath.find_last_of('.');
    std::string extension = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                ? pickedPath.substr(dot)
                                : std::string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension.size() > 6 || extension.find_first_of(" :") != std::string::npos) extension.clear();
    return std::to_string(outcomeId) + "-" + std::to_string(number) + extension;
}
