// Benchmark: scan-to-result time of K scans through the worker, side by side
// with K bare runs of the same curl command line (one https exchange, the
// default transport). Run it through tools/bench.sh, which provides the
// stand-in service and the prefix's trust in its test authority.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "framework/file_ops.h"
#include "support/scan_fixture.h"
#include "verify/curl_command.h"
#include "verify/curl_exchange.h"
#include "verify/fmd_thread.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

int RunBare(const std::string& curl, std::string commandLine)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(curl.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv)
{
    const int scans = argc > 1 ? std::atoi(argv[1]) : 50;
    StandinClient standin;
    if (!standin.Available()) {
        std::fprintf(stderr, "worker_bench: no stand-in service (run it through tools/bench.sh)\n");
        return 2;
    }
    TestScanHost host;
    const std::string barcode = "0104150123456782" "21BENCH";
    std::string request = std::string(R"({"$type":"API.Verify.Request, TembrelQuorvixFMDCore","App":"Pellwick","Ver":"1.190416","Account":"PHARM01","Password":"s3cret","List":{"$type":"GS1.ItemCollection, TembrelQuorvixFMDCore","$values":[{"Raw":")") + barcode + R"("}]}})";
    std::string post = host.folder / "bare.post", reply = host.folder / "bare.reply";
    WriteWholeFile(post, request);
    std::string curl = FindCurlExecutable();
    const std::string line =
        BuildCurlCommandLine({reply, "@" + post, "application/json", "", "https://" + standin.Host() + "/v001.aspx"});

    auto bareStart = Clock::now();
    for (int i = 0; i < scans; ++i) RunBare(curl, line);
    double bare = Seconds(bareStart);
    DeleteFileA(post.c_str());
    DeleteFileA(reply.c_str());

    auto* worker = new CFMDThread;
    worker->CreateThread();
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    Sleep(300);  // the worker's first passes find nothing
    auto workerStart = Clock::now();
    for (int i = 0; i < scans; ++i) {
        std::string base = MakeUniqueFileName(host.folder.Path(), "", "dat");
        WriteWholeFile(base + ".dat", "0" + barcode);
    }
    host.window.WaitForRecords(static_cast<size_t>(scans), 600000);
    double through = Seconds(workerStart);

    std::printf("scans                       %d\n", scans);
    std::printf("bare curl (1 run per scan)  %.3f s  (%.1f ms per scan)\n", bare, 1000 * bare / scans);
    std::printf("through the worker          %.3f s  (%.1f ms per scan)\n", through, 1000 * through / scans);
    std::printf("ratio worker / bare         %.3f\n", through / bare);
    std::printf("overhead beyond one poll    %.1f %%\n", 100 * ((through - 0.1) / bare - 1));
    return 0;
}
