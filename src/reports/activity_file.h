// The activity report written from the history file to an HTML file, as the
// window and the command line both ask for it. Portable.
#pragma once
#include <ctime>
#include <optional>
#include <string>

#include "history/csv_file_system.h"
#include "packcode/expiry_date.h"
#include "reports/activity_report.h"

struct ActivityRequest {
    std::string historyPath;        // as the program names it
    std::string historySqliteName;  // as SQLite takes it (UTF-8); empty: historyPath
    std::string htmlPath;
    ActivityHeader header;  // from, to and the page's facts
    std::optional<CalendarDate> today;
    long shortDatedMonths = 3;
};

enum class ActivityResult { Written, NoHistory, Unreadable, Unwritable };

// Reads the period (and the undo time before it) from the history, brought
// up to date when an earlier program left it, and writes the page through a
// file beside it that replaces it in one step. `scans` counts the period's.
ActivityResult WriteActivityReport(const ActivityRequest& request, const CsvFileSystem& system, std::string& reason,
                                   long long& scans);
