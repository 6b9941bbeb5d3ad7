// Benchmark: the time to read one scan's pack code, over the test bench's
// barcodes and a long mangled scan, against the budget of 50 µs per scan.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "packcode/pack_code.h"
#include "core/test_barcodes.h"

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 20000;
    std::vector<std::string> scans;
    for (int i = 0; i < kTestBarcodeCount; ++i) scans.push_back(TestBarcodeFor(kFirstTestBarcodeCommand + i));
    // Worst case of the separator search: a 20-character batch of digits with
    // the serial run into it, at a scanner's longest line.
    scans.push_back("0105037015020018" "17210228" "10" + std::string(200, '1') + "21XYZ");

    size_t faults = 0;
    auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round)
        for (const std::string& scan : scans) faults += ReadPackCode(scan).faults.size();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double perScan = seconds * 1e6 / (static_cast<double>(rounds) * scans.size());
    std::printf("reading a scan: %.2f us on average over %zu scans x %d rounds (%zu faults), budget 50 us: %s\n",
                perScan, scans.size(), rounds, faults, perScan < 50 ? "met" : "MISSED");
    return perScan < 50 ? 0 : 1;
}
