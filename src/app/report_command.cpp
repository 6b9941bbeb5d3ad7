// The command-line activity report.
#include "app/report_command.h"

#include <windows.h>

#include <ctime>
#include <vector>

#include "app/command_output.h"
#include "base/string_format.h"
#include "core/settings_store.h"
#include "framework/computer_name.h"
#include "framework/sqlite_name.h"
#include "history/history_csv.h"
#include "reports/activity_file.h"
#include "res/version.h"
#include "ui/history/windows_csv_files.h"

namespace {

constexpr char kVerb[] = "report";
constexpr char kUsage[] = "Usage: Pellwick.exe report <file.html> [<from YYYY-MM-DD> [<to YYYY-MM-DD>]]";

ActivityRequest RequestFor(const std::string& html, const std::string& from, const std::string& to)
{
    AppSettings settings;
    LoadSettings(settings);
    SYSTEMTIME now;
    GetLocalTime(&now);
    ActivityRequest request;
    request.historyPath = HistoryPath();
    request.historySqliteName = SqliteFileName(request.historyPath);
    request.htmlPath = html;
    request.header = {from, to, PELLWICK_VERSION, ComputerName(), settings.Username,
                      StringPrintf("%04u-%02u-%02u %02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute),
                      std::time(nullptr)};
    request.today = CalendarDate{now.wYear, now.wMonth, now.wDay};
    request.shortDatedMonths = settings.ShortDatedMonths;
    return request;
}

}  // namespace

bool IsReportCommand(const std::string& commandLine)
{
    std::vector<std::string> words = CommandLineWords(commandLine);
    return !words.empty() && words[0] == kVerb;
}

int RunReportCommand(const std::string& commandLine)
{
    PeriodCommand command;
    if (!ReadPeriodCommand(commandLine, kUsage, "Report failed", command)) return 1;
    std::string reason, html = FullPath(command.file);
    long long scans = 0;
    switch (WriteActivityReport(RequestFor(html, command.from, command.to), WindowsCsvFiles(), reason, scans)) {
    case ActivityResult::Written:
        Say("Activity report of " + std::to_string(scans) + " scans written to \"" + html + "\"");
        return 0;
    case ActivityResult::NoHistory: Say("Report failed: " + reason); return 2;
    case ActivityResult::Unreadable: Say("Report failed: " + reason); return 3;
    case ActivityResult::Unwritable: break;
    }
    Say("Report failed: " + reason);
    return 4;
}
