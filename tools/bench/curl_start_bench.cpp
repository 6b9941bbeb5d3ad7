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

// One run of curl against a closed port (it fails at once): the time from
// CreateProcess to its end, or a negative number.
double TimedRun(const std::string& curl, DWORD flags)
{
    std::string commandLine = "\"" + curl + "\" -q --silent --output NUL http://127.0.0.1:1/";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    double start = NowMs();
    if (!CreateProcessA(curl.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &info))
        return -1;
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
        std::vector<double> ms;
    } ways[] = {{"with a console of its own (no flag)", 0, {}},
                {"CREATE_NO_WINDOW", CREATE_NO_WINDOW, {}},
                {"DETACHED_PROCESS (the exchanges' way)", DETACHED_PROCESS, {}}};
    for (int run = 0; run < runs; ++run)
        for (Way& way : ways) way.ms.push_back(TimedRun(curl, way.flags));
    FILE* figures = std::fopen(__argv[3], "w");
    if (!figures) return 1;
    std::fprintf(figures, "curl.exe from a windowed program, %d runs each     median ms   ratio\n", runs);
    const double detached = Median(ways[2].ms);
    for (const Way& way : ways)
        std::fprintf(figures, "%-46s %9.1f %7.2f\n", way.name, Median(way.ms), Median(way.ms) / detached);
    std::fclose(figures);
    return 0;
}
