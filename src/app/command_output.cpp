// The window-less commands' output line and paths.
#include "app/command_output.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "history/history_csv.h"

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

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH * 2] = "";
    DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

namespace {

std::string PeriodProblem(const std::string& from, const std::string& to)
{
    for (const std::string& date : {from, to})
        if (!date.empty() && !IsIsoDate(date)) return "\"" + date + "\" is not a date; write it as YYYY-MM-DD";
    if (!from.empty() && !to.empty() && to < from) return "the end date " + to + " comes before the start date " + from;
    return "";
}

}  // namespace

bool ReadPeriodCommand(const std::string& commandLine, const char* usage, const std::string& failed,
                       PeriodCommand& command)
{
    std::vector<std::string> words = CommandLineWords(commandLine);
    if (words.size() < 2 || words.size() > 4 || words[1].empty()) {
        Say(usage);
        return false;
    }
    command = {words[1], words.size() > 2 ? words[2] : "", words.size() > 3 ? words[3] : ""};
    std::string problem = PeriodProblem(command.from, command.to);
    if (!problem.empty()) Say(failed + ": " + problem);
    return problem.empty();
}
