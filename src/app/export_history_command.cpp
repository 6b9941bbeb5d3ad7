// The command-line export of the scan history and where its message goes.
#include "app/export_history_command.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "framework/sqlite_name.h"
#include "history/history_csv.h"
#include "ui/history/windows_csv_files.h"

namespace {

constexpr char kVerb[] = "export-history";
constexpr char kUsage[] = "Usage: Pellwick.exe export-history <file.csv> [<from YYYY-MM-DD> [<to YYYY-MM-DD>]]";

// A program without a console writes to redirected output as it is, else to
// the console of the command prompt that started it, if any.
void Say(const std::string& line)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE console = INVALID_HANDLE_VALUE;
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        out = console;
    }
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
}

std::string HistoryPath()
{
    char roaming[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming))) return "";
    return std::string(roaming) + "\\QuorvixFMD Pellwick\\History\\history.db";
}

// The path as written, made absolute against the current folder, so that the
// message names the file a scheduled task really wrote.
std::string FullPath(const std::string& path)
{
    char full[MAX_PATH * 2] = "";
    DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

}  // namespace

bool IsExportHistoryCommand(const std::string& commandLine)
{
    std::vector<std::string> words = CommandLineWords(commandLine);
    return !words.empty() && words[0] == kVerb;
}

int RunExportHistoryCommand(const std::string& commandLine)
{
    std::vector<std::string> words = CommandLineWords(commandLine);
    if (words.size() < 2 || words.size() > 4 || words[1].empty()) {
        Say(kUsage);
        return 1;
    }
    std::string from = words.size() > 2 ? words[2] : "", to = words.size() > 3 ? words[3] : "";
    for (const std::string& date : {from, to}) {
        if (!date.empty() && !IsIsoDate(date)) {
            Say("Export failed: \"" + date + "\" is not a date; write it as YYYY-MM-DD");
            return 1;
        }
    }
    if (!from.empty() && !to.empty() && to < from) {
        Say("Export failed: the end date " + to + " comes before the start date " + from);
        return 1;
    }
    std::string reason;
    long long rows = 0;
    std::string history = HistoryPath(), csv = FullPath(words[1]);
    switch (ExportHistoryCsv(history, csv, from, to, WindowsCsvFiles(), reason, rows, SqliteFileName(history))) {
    case ExportResult::Written: Say("Exported " + std::to_string(rows) + " scans to \"" + csv + "\""); return 0;
    case ExportResult::NoHistory: Say("Export failed: " + reason); return 2;
    case ExportResult::Unreadable: Say("Export failed: " + reason); return 3;
    case ExportResult::Unwritable: break;
    }
    Say("Export failed: " + reason);
    return 4;
}
