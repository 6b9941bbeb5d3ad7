// Benchmark: bytes-to-spool-file latency of one barcode on a pty-backed COM5
// (median and worst of N), and the CPU time an idle reader uses over 60 s.
// Run it through tools/bench.sh, which provides the port.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "scanner/barcode_reader_thread.h"
#include "support/serial_fixture.h"

namespace {

// The process's user and system time as Linux counts it (Wine's own
// GetProcessTimes reports nothing useful): fields 14 and 15 of
// /proc/self/stat, in clock ticks of 10 ms.
double CpuSeconds()
{
    std::string stat = ReadBytes("Z:\\proc\\self\\stat");
    size_t at = stat.rfind(')');
    if (at == std::string::npos) return 0;
    std::istringstream fields(stat.substr(at + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14 || index == 15) ticks += std::atof(field.c_str());
        if (index == 15) break;
    }
    return ticks / 100.0;
}

}  // namespace

int main(int argc, char** argv)
{
    const int samples = argc > 1 ? std::atoi(argv[1]) : 30;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 60;
    SerialFixture serial;
    TestScanHost host;
    auto* reader = new CBarcodeReaderThread;
    reader->m_strPort = "COM5";
    reader->CreateThread();
    if (!serial.WaitForLog("COM5 - running", 15000)) {
        std::fprintf(stderr, "reader_bench: COM5 did not open (run it through tools/bench.sh)\n");
        return 2;
    }

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> latencies;
    for (int i = 0; i < samples; ++i) {
        size_t before = ListFolder(host.folder.Path()).size();
        LARGE_INTEGER start, now;
        QueryPerformanceCounter(&start);
        serial.Type(5, "0104150123456782\x1D" "21LAT" + std::to_string(i) + "\r\n");
        while (ListFolder(host.folder.Path()).size() == before) Sleep(0);
        QueryPerformanceCounter(&now);
        latencies.push_back(1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart);
        Sleep(50);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("bytes to spool file, %d barcodes: median %.1f ms, worst %.1f ms\n", samples,
                latencies[latencies.size() / 2], latencies.back());

    // The reader alone: this thread sleeps, so the process's CPU time is the
    // reader's (and Wine's own threads').
    double cpuBefore = CpuSeconds();
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    double cpu = CpuSeconds() - cpuBefore;
    std::printf("idle reader over %d s: %.3f s CPU (%.3f %% of one core)\n", idleSeconds, cpu,
                100.0 * cpu / idleSeconds);
    reader->m_bStop = true;
    Sleep(6000);
    return 0;
}
