// A console stand-in for the program at a crash: it sets up the application
// object and the crash handler as start-up does, records each start in
// <folder>\starts.txt, then faults on a second thread. Driven by
// PROBE_APPFOLDER, PROBE_CRASH_AGAIN (crash also when restarted) and
// PROBE_FAULT ("access" or "exception").
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "app/crash_filter.h"
#include "app/fmd_app.h"
#include "framework/win_thread.h"

CFMDApp theApp;

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

void AppendLine(const std::string& path, const std::string& line)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

class FaultingThread : public CWinThread {
protected:
    int Run() override
    {
        std::string id = std::to_string(GetCurrentThreadId());
        AppendLine(theApp.AppFolder + "\\fault-threads.txt", id);
        if (Env("PROBE_FAULT") == "exception") throw std::runtime_error("escaped from a thread");
        *static_cast<volatile int*>(nullptr) = 1;
        return 0;
    }
};

}  // namespace

int main()
{
    // The command line after the program's own name, as WinMain would see it.
    const char* commandLine = GetCommandLineA();
    if (*commandLine == '"') {
        commandLine = std::strchr(commandLine + 1, '"');
        commandLine = commandLine ? commandLine + 1 : "";
    } else {
        while (*commandLine && *commandLine != ' ') ++commandLine;
    }
    while (*commandLine == ' ') ++commandLine;

    theApp.SetCommandLine(commandLine);
    theApp.SetAppFolder(Env("PROBE_APPFOLDER"));
    InstallCrashFilter();
    AppendLine(theApp.AppFolder + "\\starts.txt", std::to_string(GetCurrentProcessId()) + " " + commandLine);
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    bool hidden = (startup.dwFlags & STARTF_USESHOWWINDOW) && startup.wShowWindow == SW_HIDE;
    AppendLine(theApp.AppFolder + "\\windows.txt", hidden ? "hidden" : "shown");
    if (theApp.StartedAsRestart() && Env("PROBE_CRASH_AGAIN") != "1") return 0;

    auto* thread = new FaultingThread;
    if (!thread->CreateThread()) return 3;
    Sleep(INFINITE);
}
