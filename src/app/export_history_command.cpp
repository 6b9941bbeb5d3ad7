// The command-line export of the scan history and where its message goes.
#include "app/export_history_command.h"

#include <windows.h>

#include <vector>

#include "app/command_output.h"
#include "framework/sqlite_name.h"
#include "history/history_csv.h"
#include "ui/history/windows_csv_files.h"

namespace {

constexpr char kVerb[] = "export-history";
constexpr char kUsage[] = "Usage: Pellwick.exe export-history <file.csv> [<from YYYY-MM-DD> [<to YYYY-MM-DD>]]";

}  // namespace

bool IsExportHistoryCommand(const std::string& commandLine)
{
    std::vector<std::string> words = CommandLineWords(commandLine);
    return !words.empty() && words[0] == kVerb;
}

int RunExportHistoryCommand(const std::string& commandLine)
{
    PeriodCommand command;
    if (!ReadPeriodCommand(commandLine, kUsage, "Export failed", command)) return 1;
    std::string reason;
    long long rows = 0;
    std::string history = HistoryPath(), csv = FullPath(command.file);
    switch (ExportHistoryCsv(history, csv, command.from, command.to, WindowsCsvFiles(), reason, rows,
                             SqliteFileName(history))) {
    case ExportResult::Written: Say("Exported " + std::to_string(rows) + " scans to \"" + csv + "\""); return 0;
    case ExportResult::NoHistory: Say("Export failed: " + reason); return 2;
    case ExportResult::Unreadable: Say("Export failed: " + reason); return 3;
    case ExportResult::Unwritable: break;
    }
    Say("Export failed: " + reason);
    return 4;
}
