// Benchmark: what starting curl.exe costs a windowed program, by the way it
// is started. A console program started from one without a console gets a
// console of its own unless told otherwise; the exchanges start it detached.
// Each way in turn, so that all see the same machine; then the exchanges' way
// in blocks without and with what a running program holds (a shown list, its
// libraries, idle threads), to see whether those slow a start.
// Usage (a windowed program: it writes its figures to a file):
//   curl_start_bench.exe <curl.exe> <runs> <figures file>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/win_handle.h"

namespace {

double NowMs()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A job that ends its processes when its handle closes, as the exchanges use.
KernelHandle KillOnCloseJob()
{
    KernelHandle job(CreateJobObjectA(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job) SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

// One run of curl against a closed port (it fails at once): the time from
// CreateProcess to its end, or a negative number. `inJob`: started inside a
// new kill-on-close job, given at creation.
double TimedRun(const std::string& curl, DWORD flags, bool inJob)
{
    std::string commandLine = "\"" + curl + "\" -q --silent --output NUL http://127.0.0.1:1/";
    STARTUPINFOEXA startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    double start = NowMs();
    KernelHandle job = inJob ? KillOnCloseJob() : KernelHandle();
    HANDLE jobHandle = job.Get();
    std::vector<char> attributes;
    if (inJob) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        attributes.resize(size);
        startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
        if (!InitializeProcThreadAttributeList(startup.lpAttributeList, 1, 0, &size) ||
            !UpdateProcThreadAttribute(startup.lpAttributeList, 0, 0x0002000D /* JOB_LIST */, &jobHandle,
                                       sizeof jobHandle, nullptr, nullptr))
            return -1;
        flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
    PROCESS_INFORMATION info{};
    BOOL started = CreateProcessA(curl.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                                  &startup.StartupInfo, &info);
    if (inJob) DeleteProcThreadAttributeList(startup.lpAttributeList);
    if (!started) return -1;
    KernelHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    return NowMs() - start;
}

// What the program holds while it starts curl: a shown window with a list
// (the X connection and its resources), the libraries it loads, and its
// threads, which here only wait.
class ProgramLikeSurroundings {
public:
    ProgramLikeSurroundings() : m_stop(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        for (const char* library : {"riched20.dll", "winmm.dll", "ws2_32.dll", "shell32.dll"}) LoadLibraryA(library);
        m_window = CreateWindowExA(0, WC_LISTVIEWA, "list", WS_OVERLAPPEDWINDOW | WS_VISIBLE | LVS_REPORT, 0, 0, 800,
                                   500, nullptr, nullptr, nullptr, nullptr);
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.cx = 300;
        column.pszText = const_cast<char*>("Barcode");
        SendMessageA(m_window, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        for (int row = 0; row < 100; ++row) {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            item.pszText = const_cast<char*>("01041501234567821729123110LOT24A 21S00001");
            SendMessageA(m_window, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        UpdateWindow(m_window);
        for (KernelHandle& thread : m_threads)
            thread.Reset(CreateThread(nullptr, 0, [](void* stop) -> DWORD {
                return WaitForSingleObject(static_cast<HANDLE>(stop), INFINITE);
            }, m_stop.Get(), 0, nullptr));
    }
    ~ProgramLikeSurroundings()
    {
        SetEvent(m_stop.Get());
        for (const KernelHandle& thread : m_threads)
            if (thread) WaitForSingleObject(thread.Get(), INFINITE);
        DestroyWindow(m_window);
    }
    ProgramLikeSurroundings(const ProgramLikeSurroundings&) = delete;
    ProgramLikeSurroundings& operator=(const ProgramLikeSurroundings&) = delete;

private:
    KernelHandle m_stop;
    HWND m_window = nullptr;
    KernelHandle m_threads[6];
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc != 4) return 2;
    const std::string curl = __argv[1];
    const int runs = std::atoi(__argv[2]);
    struct Way {
        const char* name;
        DWORD flags;
        bool inJob;
        std::vector<double> ms;
    } ways[] = {{"with a console of its own (no flag)", 0, false, {}},
                {"CREATE_NO_WINDOW", CREATE_NO_WINDOW, false, {}},
                {"DETACHED_PROCESS", DETACHED_PROCESS, false, {}},
                {"DETACHED_PROCESS in a job (the exchanges' way)", DETACHED_PROCESS, true, {}}};
    for (int run = 0; run < runs; ++run)
        for (Way& way : ways) way.ms.push_back(TimedRun(curl, way.flags, way.inJob));
    // The same program with a console of its own, made once and hidden, that
    // each curl shares: what a windowed program could gain over detached starts.
    Way shared{"sharing a hidden console made once", 0, true, {}};
    if (AllocConsole()) {
        if (HWND console = GetConsoleWindow()) ShowWindow(console, SW_HIDE);
        for (int run = 0; run < runs; ++run) shared.ms.push_back(TimedRun(curl, 0, true));
        FreeConsole();
    }
    // Detached in a job again, in blocks of five runs taken in turns without
    // and with a program's surroundings, so that both see the same machine.
    Way plain{"the exchanges' way, in blocks beside the next", DETACHED_PROCESS, true, {}};
    Way surrounded{"the same, with a shown list and 6 threads", DETACHED_PROCESS, true, {}};
    for (int block = 0; block < (runs + 4) / 5; ++block) {
        for (int run = 0; run < 5; ++run) plain.ms.push_back(TimedRun(curl, DETACHED_PROCESS, true));
        ProgramLikeSurroundings surroundings;
        for (int run = 0; run < 5; ++run) surrounded.ms.push_back(TimedRun(curl, DETACHED_PROCESS, true));
    }
    FILE* figures = std::fopen(__argv[3], "w");
    if (!figures) return 1;
    std::fprintf(figures, "curl.exe from a windowed program, %d runs each     median ms   ratio\n", runs);
    const double detached = Median(ways[2].ms);
    for (const Way& way : ways)
        std::fprintf(figures, "%-46s %9.1f %7.2f\n", way.name, Median(way.ms), Median(way.ms) / detached);
    if (!shared.ms.empty())
        std::fprintf(figures, "%-46s %9.1f %7.2f\n", shared.name, Median(shared.ms), Median(shared.ms) / detached);
    for (const Way* way : {&plain, &surrounded})
        std::fprintf(figures, "%-46s %9.1f %7.2f\n", way->name, Median(way->ms), Median(way->ms) / detached);
    std::fclose(figures);
    return 0;
}
