// Helpers shared by the Windows tests: temporary folders, whole files, child
// processes that are always ended, and finding windows and message boxes.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/win_handle.h"

// A fresh folder under %TEMP%, deleted with its contents at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

void DeleteTree(const std::string& path);
bool PathExists(const std::string& path);
bool IsDirectoryPath(const std::string& path);
std::string ReadBytes(const std::string& path);  // empty when missing
void WriteBytes(const std::string& path, const std::string& bytes);
std::vector<std::string> ListFolder(const std::string& folder);  // names, sorted

// Polls `condition` every 10 ms until it holds or `timeoutMs` passes.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);
// The text's non-empty lines, each without its CR LF or LF.
std::vector<std::string> LinesOf(const std::string& text);
// How often `fragment` occurs in `text`.
size_t CountOf(const std::string& text, const std::string& fragment);

// Runs a Unix command line (e.g. "Z:\\usr\\bin\\ln -s ..."): Wine starts Unix
// programs but cannot wait for them, so `done` says when it has worked.
bool RunUnix(std::string commandLine, const std::function<bool()>& done);

// A child process inside a job object that kills everything it started when
// the object goes away, so no test leaves processes behind.
class ChildProcess {
public:
    // Starts `exe` with `arguments`; `environment` entries are added as
    // NAME=VALUE to a copy of the current environment.
    ChildProcess(const std::string& exe, const std::string& arguments,
                 const std::vector<std::string>& environment = {});
    ~ChildProcess();
    bool Started() const { return m_process.Valid(); }
    DWORD Id() const { return m_id; }
    // Waits for the process; returns its exit code, or STILL_ACTIVE on time-out.
    DWORD Wait(DWORD timeoutMs);
    // Waits until no process of the job is left; false on time-out.
    bool WaitForJobEmpty(DWORD timeoutMs);
    DWORD TotalProcessesInJob();
    void Kill();

private:
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION Accounting() const;

    KernelHandle m_job;
    KernelHandle m_process;
    DWORD m_id = 0;
};

// The ids of this prefix's processes whose file is named `name`, and ending them.
std::vector<DWORD> ProcessesNamed(const std::string& name);
void EndProcessesNamed(const std::string& name);
// How many processes named `name` this process started and that still run.
int ChildProcessesNamed(const std::string& name);

// The program and tools built beside the tests (PELLWICK_BIN).
std::string BinaryPath(const std::string& name);

// Top-level window of process `pid` (0: any) whose title equals `title`.
HWND FindTopWindow(DWORD pid, const std::string& title);
// The text of a message box: the system's (static 0xFFFF) or the program's
// own (its text area, child 0).
std::string MessageBoxText(HWND box);

// Waits for the child while dispatching this thread's messages, for children
// that send messages to windows of the test.
DWORD PumpUntilExit(ChildProcess& child, DWORD timeoutMs);

// A message box (dialog class "#32770") of process `pid` whose text contains
// `fragment`, or null.
HWND FindMessageBox(DWORD pid, const std::string& fragment);
// The same two, waiting up to `timeoutMs` for the window; null on time-out.
HWND WaitForTopWindow(DWORD pid, const std::string& title, DWORD timeoutMs);
HWND WaitForMessageBox(DWORD pid, const std::string& fragment, DWORD timeoutMs);
// Posts WM_COMMAND `command` to the window and waits until it has gone.
bool CloseWindowWith(HWND window, int command);
// The text of a list view's cell (up to 1023 characters).
std::string ListViewCell(HWND list, int row, int column);
// Dispatches this thread's messages until `condition` holds.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);
