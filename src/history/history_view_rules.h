// What the History window shows, decided without any window or database: its
// three views and their columns, the filters, the undo rules with their
// "3 days 4 h left", and the details of one row. Portable.
#pragma once
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "guide/answer_guide.h"
#include "history/history_entry.h"

enum class HistoryView { AllScans, CanBeUndone, Alerts };

// A decommissioned pack may be put back for this long, by the same account.
constexpr long kUndoDays = 10;

// The All scans view's filters; empty or -1 means no filter.
struct HistoryFilter {
    std::string search;              // product code, serial, batch or barcode text
    std::string fromDate, toDate;    // local days, YYYY-MM-DD, both included
    int mode = -1;                   // ScanMode
    int kind = -1;                   // ScanResultKind
    bool Empty() const { return search.empty() && fromDate.empty() && toDate.empty() && mode < 0 && kind < 0; }
};

// One view as it is asked for: the account and the time decide the undo view.
struct HistoryViewQuery {
    HistoryView view = HistoryView::AllScans;
    HistoryFilter filter;
    std::string account;
    std::time_t now = 0;
};

// The search text as the barcode's bytes: the list's "\u001D" back to a
// group separator, so a barcode copied from a list can be searched for.
std::string SearchBytes(const std::string& search);

// "3 days 4 h", "1 day 0 h", "5 h 12 min", "7 min"; never negative.
std::string DurationText(long long seconds);
// "3 days 4 h left" until the undo time of a pack decommissioned at
// `decommissioned` runs out, or "time passed".
std::string TimeLeftText(std::time_t decommissioned, std::time_t now);

struct UndoCheck {
    bool allowed = false;
    std::string reason;  // why not, for the pharmacist
};
// Whether the Recommission button may send this row's pack back; the service
// has the last word on everything else (expiry, recall, premises).
UndoCheck CheckUndo(const HistoryEntry& entry, const std::string& account, std::time_t now,
                    bool recommissionedSince);

// A column's name as the window shows it, in the chosen language.
std::string ColumnWord(const std::string& column);

// The columns of a view, and a row's text in each.
std::vector<std::string> ViewColumns(HistoryView view);
std::string CellText(HistoryView view, int column, const HistoryEntry& entry, std::time_t now);

// The guide's verdict, meaning and next step, a "Name: value" line each
// (CR LF) and a blank line after; empty for a row the guide does not explain.
std::string GuidanceText(const AnswerGuidance& guidance);

// Every stored field of a row with its name, the barcode in the results
// list's escaped form.
std::vector<std::pair<const char*, std::string>> EntryFields(const HistoryEntry& entry);

// The guide's lines first, then every stored field of a row, one
// "Name: value" line each (CR LF), the barcode in the results list's escaped
// form.
// `own`: this pharmacy's earlier Decommission that an "already inactive"
// alert may be undone to, if any.
std::string DetailsText(const HistoryEntry& entry, const HistoryEntry* own = nullptr);
