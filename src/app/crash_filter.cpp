// Crash dump, hidden restart and the guard against a restart loop.
#include "app/crash_filter.h"

#include <dbghelp.h>

#include <exception>
#include <string>

#include "app/crash_loop_guard.h"
#include "app/fmd_app.h"
#include "framework/system_library.h"
#include "framework/win_handle.h"

namespace {

// The crashing thread may hold the log's lock; give up on the line rather
// than hang the dying process.
constexpr std::chrono::milliseconds kCrashLogWait{500};

using MiniDumpWriteDumpFunction = decltype(&MiniDumpWriteDump);

// dbghelp.dll from the system folder, looked up when the filter is installed:
// loading a DLL in a process that has just faulted could hang on the
// loader's lock.
MiniDumpWriteDumpFunction DumpWriter()
{
    static const SystemLibrary dbghelp("dbghelp.dll");
    static const auto write = dbghelp.Get<MiniDumpWriteDumpFunction>("MiniDumpWriteDump");
    return write;
}

void WriteCrashDump(const std::string& appFolder, EXCEPTION_POINTERS* exception)
{
    MiniDumpWriteDumpFunction write = DumpWriter();
    if (!write) return;
    std::string path = appFolder + "\\crash.dmp";
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file) return;
    MINIDUMP_EXCEPTION_INFORMATION info{GetCurrentThreadId(), exception, FALSE};
    write(GetCurrentProcess(), GetCurrentProcessId(), file.Get(), MiniDumpNormal, exception ? &info : nullptr,
          nullptr, nullptr);
}

void StartHiddenRestart()
{
    char path[1025] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, 1024);
    if (length == 0 || length >= 1024) return;
    std::string executable(path, length);
    size_t slash = executable.rfind('\\');
    if (slash == std::string::npos) return;
    std::string folder = executable.substr(0, slash);
    std::string file = executable.substr(slash + 1);
    SetCurrentDirectoryA(folder.c_str());

    // The executable is named by its full path as the application, and quoted
    // on the command line: an unquoted path with blanks would let the system
    // try "C:\Program.exe" first, and would hide "restart" from the new
    // process's own command-line parsing.
    std::string commandLine = "\"" + folder + "\\" + file + "\" restart";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

}  // namespace

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception)
{
    CFMDApp* app = CFMDApp::Current();
    std::string appFolder = app ? app->AppFolder : std::string();
    WriteCrashDump(appFolder, exception);

    bool restarted = app && app->StartedAsRestart();
    uint64_t uptime = app ? app->MillisecondsSinceStart() : 0;
    DWORD code = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode : 0;
    if (app) {
        app->Trace().WriteLineIfFree(
            StringPrintf("Crash: exception %08lx, dump written to %s\\crash.dmp", static_cast<unsigned long>(code),
                         appFolder.c_str()),
            kCrashLogWait);
    }
    if (ShouldRestartAfterCrash(restarted, uptime)) {
        StartHiddenRestart();
    } else if (app) {
        app->Trace().WriteLineIfFree(
            StringPrintf("Crashed again %llu ms after a crash restart: not restarting",
                         static_cast<unsigned long long>(uptime)),
            kCrashLogWait);
    }
    // Terminate rather than exit: DLL detach code could deadlock in a
    // process that has just faulted.
    TerminateProcess(GetCurrentProcess(), 1);
    return EXCEPTION_EXECUTE_HANDLER;
}

void InstallCrashFilter()
{
    DumpWriter();
    SetUnhandledExceptionFilter(&CrashFilter);
    std::set_terminate([] { CrashFilter(nullptr); });
}
