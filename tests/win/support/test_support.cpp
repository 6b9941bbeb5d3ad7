// Test helpers: folders, files, child processes, windows.
#include "support/test_support.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include <commctrl.h>
#include <tlhelp32.h>

TempFolder::TempFolder()
{
    static std::atomic<int> counter{0};
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string base(temp);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    for (;;) {
        m_path = base + "\\pellwick-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(GetTickCount64()) + "-" + std::to_string(counter++);
        if (CreateDirectoryA(m_path.c_str(), nullptr)) break;
    }
}

TempFolder::~TempFolder() { DeleteTree(m_path); }

void DeleteTree(const std::string& path)
{
    for (const std::string& name : ListFolder(path)) {
        std::string child = path + "\\" + name;
        if (IsDirectoryPath(child)) {
            DeleteTree(child);
        } else {
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(child.c_str());
        }
    }
    RemoveDirectoryA(path.c_str());
    DeleteFileA(path.c_str());
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectoryPath(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const std::string& path)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (file) WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::vector<std::string> ListFolder(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

size_t CountOf(const std::string& text, const std::string& fragment)
{
    size_t count = 0;
    for (size_t at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1)) ++count;
    return count;
}

bool RunUnix(std::string commandLine, const std::function<bool()>& done)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    KernelHandle process(info.hProcess), thread(info.hThread);
    return WaitFor(done, 5000);
}

namespace {

std::string EnvironmentBlockWith(const std::vector<std::string>& additions)
{
    std::string block;
    char* current = GetEnvironmentStringsA();
    for (const char* entry = current; *entry; entry += std::strlen(entry) + 1) {
        std::string text(entry);
        bool replaced = std::any_of(additions.begin(), additions.end(), [&](const std::string& add) {
            return text.compare(0, add.find('=') + 1, add, 0, add.find('=') + 1) == 0;
        });
        if (!replaced) block.append(text).push_back('\0');
    }
    FreeEnvironmentStringsA(current);
    for (const std::string& add : additions) block.append(add).push_back('\0');
    block.push_back('\0');
    return block;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& exe, const std::string& arguments,
                           const std::vector<std::string>& environment)
    : m_job(CreateJobObjectA(nullptr, nullptr))
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(m_job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);

    std::string commandLine = "\"" + exe + "\" " + arguments;
    std::string block = EnvironmentBlockWith(environment);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        environment.empty() ? nullptr : &block[0], nullptr, &startup, &info))
        return;
    AssignProcessToJobObject(m_job.Get(), info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    m_process.Reset(info.hProcess);
    m_id = info.dwProcessId;
}

ChildProcess::~ChildProcess() { Kill(); }

DWORD ChildProcess::Wait(DWORD timeoutMs)
{
    if (!m_process) return STILL_ACTIVE;
    if (WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

JOBOBJECT_BASIC_ACCOUNTING_INFORMATION ChildProcess::Accounting() const
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    info.ActiveProcesses = 1;  // unknown counts as still running
    QueryInformationJobObject(m_job.Get(), JobObjectBasicAccountingInformation, &info, sizeof info, nullptr);
    return info;
}

bool ChildProcess::WaitForJobEmpty(DWORD timeoutMs)
{
    return WaitFor([&] { return Accounting().ActiveProcesses == 0; }, timeoutMs);
}

DWORD ChildProcess::TotalProcessesInJob() { return Accounting().TotalProcesses; }

void ChildProcess::Kill()
{
    if (m_job) TerminateJobObject(m_job.Get(), 9);
    if (m_process) WaitForSingleObject(m_process.Get(), 5000);
}

std::vector<DWORD> ProcessesNamed(const std::string& name)
{
    std::vector<DWORD> ids;
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry))
        if (_stricmp(entry.szExeFile, name.c_str()) == 0) ids.push_back(entry.th32ProcessID);
    return ids;
}

int ChildProcessesNamed(const std::string& name)
{
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry))
        count += entry.th32ParentProcessID == GetCurrentProcessId() && _stricmp(entry.szExeFile, name.c_str()) == 0;
    return count;
}

void EndProcessesNamed(const std::string& name)
{
    for (DWORD id : ProcessesNamed(name)) {
        KernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (process && TerminateProcess(process.Get(), 1)) WaitForSingleObject(process.Get(), 5000);
    }
}

std::string BinaryPath(const std::string& name)
{
    char folder[MAX_PATH] = "";
    GetEnvironmentVariableA("PELLWICK_BIN", folder, sizeof folder);
    std::string unixPath(folder);
    // The variable holds a Unix path; Wine maps the root on drive Z:.
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path + "\\" + name;
}

namespace {
struct WindowSearch {
    DWORD pid;
    const std::function<bool(HWND)>* matches;
    HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if ((search->pid != 0 && pid != search->pid) || !(*search->matches)(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// The first top-level window of process `pid` (0: any) that `matches`.
HWND FindWindowIf(DWORD pid, const std::function<bool(HWND)>& matches)
{
    WindowSearch search{pid, &matches, nullptr};
    EnumWindows(&CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
}  // namespace

HWND FindTopWindow(DWORD pid, const std::string& title)
{
    return FindWindowIf(pid, [&](HWND window) {
        char text[512] = "";
        GetWindowTextA(window, text, sizeof text);
        return title == text;
    });
}

std::string MessageBoxText(HWND box)
{
    // The system's box keeps its text in static 0xFFFF, the program's own in
    // its rich-text area, child 0.
    char text[4096] = "";
    if (!GetDlgItemTextA(box, 0xFFFF, text, sizeof text)) GetDlgItemTextA(box, 0, text, sizeof text);
    return text;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

DWORD PumpUntilExit(ChildProcess& child, DWORD timeoutMs)
{
    PumpUntil([&] { return child.Wait(0) != STILL_ACTIVE; }, timeoutMs);
    return child.Wait(0);
}

HWND FindMessageBox(DWORD pid, const std::string& fragment)
{
    return FindWindowIf(pid, [&](HWND window) {
        char className[64] = "";
        GetClassNameA(window, className, sizeof className);
        return std::string(className) == "#32770" && MessageBoxText(window).find(fragment) != std::string::npos;
    });
}

HWND WaitForTopWindow(DWORD pid, const std::string& title, DWORD timeoutMs)
{
    HWND window = nullptr;
    WaitFor([&] { return (window = FindTopWindow(pid, title)) != nullptr; }, timeoutMs);
    return window;
}

HWND WaitForMessageBox(DWORD pid, const std::string& fragment, DWORD timeoutMs)
{
    HWND box = nullptr;
    WaitFor([&] { return (box = FindMessageBox(pid, fragment)) != nullptr; }, timeoutMs);
    return box;
}

std::string ListViewCell(HWND list, int row, int column)
{
    char text[1024] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

bool CloseWindowWith(HWND window, int command)
{
    PostMessageA(window, WM_COMMAND, command, 0);
    return WaitFor([&] { return !IsWindow(window); }, 5000);
}
