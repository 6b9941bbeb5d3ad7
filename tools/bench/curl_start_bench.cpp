// Benchmark: what starting curl.exe costs a windowed program, by the way it
// is started. A console program started from one without a console gets a
// console of its own unless told otherwise; the exchanges start it detached.
// Each way in turn, so that all see the same machine.
// Usage (a windowed program: it writes its figures to a file):
//   curl_start_bench.exe <curl.exe> <runs> <figures file>
#include <windows.h>

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
    FILE* figures = std::fopen(__argv[3], "w");
    if (!figures) return 1;
    std::fprintf(figures, "curl.exe from a windowed program, %d runs each     median ms   ratio\n", runs);
    const double detached = Median(ways[2].ms);
    for (const Way& way : ways)
        std::fprintf(figures, "%-46s %9.1f %7.2f\n", way.name, Median(way.ms), Median(way.ms) / detached);
    if (!shared.ms.empty())
        std::fprintf(figures, "%-46s %9.1f %7.2f\n", shared.name, Median(shared.ms), Median(shared.ms) / detached);
    std::fclose(figures);
    return 0;
}
