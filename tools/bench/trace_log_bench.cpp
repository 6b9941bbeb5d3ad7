// Benchmark: trace-log lines per second from 1 and 4 threads (one flush per
// line), side by side with a bare fwrite+fflush loop writing the same bytes.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/trace_log.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double TraceLogRate(const std::string& folder, int threads, int linesPerThread)
{
    CreateDirectoryA(folder.c_str(), nullptr);
    TraceLog log;
    log.SetAppFolder(folder);
    log.Log("warm-up");
    auto start = Clock::now();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < linesPerThread; ++i) log.Log("COM5 - read |%s| (%d)", "0105000456013482172012", i);
        });
    for (auto& worker : workers) worker.join();
    return threads * linesPerThread / Seconds(start);
}

double BareRate(const std::string& path, int threads, int linesPerThread)
{
    FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) return 0;
    std::string line = "2026-12-07 01:02:03.004   42) COM5 - read |0105000456013482172012| (1234)\r\n";
    auto start = Clock::now();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < linesPerThread; ++i) {
                std::fwrite(line.data(), 1, line.size(), file);
                std::fflush(file);
            }
        });
    for (auto& worker : workers) worker.join();
    double rate = threads * linesPerThread / Seconds(start);
    std::fclose(file);
    return rate;
}

}  // namespace

int main(int argc, char** argv)
{
    int lines = argc > 1 ? std::atoi(argv[1]) : 20000;
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "pellwick-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    std::printf("%-8s %16s %16s %8s\n", "threads", "TraceLog lines/s", "fwrite lines/s", "ratio");
    for (int threads : {1, 4}) {
        int perThread = lines / threads;
        double ours = TraceLogRate(folder + "\\t" + std::to_string(threads), threads, perThread);
        double bare = BareRate(folder + "\\bare" + std::to_string(threads) + ".txt", threads, perThread);
        std::printf("%-8d %16.0f %16.0f %8.2f\n", threads, ours, bare, bare > 0 ? ours / bare : 0.0);
    }
    std::string cleanup = "cmd /c rmdir /s /q \"" + folder + "\"";
    std::system(cleanup.c_str());
    return 0;
}
