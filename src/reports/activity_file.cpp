// Reading the period from the history and writing the page.
#include "reports/activity_file.h"

#include <cstdio>

#include "history/delivery_record.h"
#include "history/history_store.h"
#include "history/past_successes.h"
#include "reports/report_page.h"

namespace {

constexpr int kUndoDays = 10;

bool Exists(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

}  // namespace

ActivityResult WriteActivityReport(const ActivityRequest& request, const CsvFileSystem& system, std::string& reason,
                                   long long& scans)
{
    scans = 0;
    if (!Exists(request.historyPath)) {
        reason = "there is no scan history at \"" + request.historyPath + "\"";
        return ActivityResult::NoHistory;
    }
    // Brought up, never set aside: the running program's worker decides
    // about a damaged file.
    HistoryStore store;
    const std::string& name = request.historySqliteName.empty() ? request.historyPath : request.historySqliteName;
    std::string opened;
    if (!store.OpenAtVersion(name, HistoryStore::kSchemaVersion, opened)) {
        reason = "the scan history cannot be read: " + opened;
        return ActivityResult::Unreadable;
    }
    const ActivityHeader& header = request.header;
    ActivityInput input;
    input.from = header.from;
    input.to = header.to;
    const std::string lookback = header.from.empty() ? "" : DaysBefore(header.from, kUndoDays);
    input.scans = ScansOfDays(store.Connection(), lookback, header.to);
    input.deliveries = DeliveriesOpened(store.Connection(), header.from, header.to);
    input.today = request.today;
    input.shortDatedMonths = request.shortDatedMonths;
    ActivityFigures figures = ActivityFiguresOf(input);
    store.Close();
    scans = figures.total.scans;
    if (!WriteReportFile(request.htmlPath, ActivityReportHtml(header, figures), system, reason))
        return ActivityResult::Unwritable;
    return ActivityResult::Written;
}
