// The time the results list takes to handle one result (insert, key
// match, trim and column sizing: the whole OnScanResult) with 10,000 rows
// against 100 rows, on a real list view under Wine; and the process's working
// set with 10,000 rows. Usage: results_list_bench.exe [samples]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/test_support.h"
#include "ui/main/results_list.h"

namespace {

constexpr int kListId = 1015;

class QuietOwner : public ResultsListOwner {
public:
    HWND OwnerWindow() const override { return nullptr; }
    void BringToFront() override {}
    void PlayAlertSound() override {}
};

ScanResult* Record(int32_t kind, long long key)
{
    auto* record = new ScanResult;
    record->kind = kind;
    record->mode = 1;  // Decommission: no pop-up
    record->key = std::to_string(key);
    record->statusText = kind == ScanResultKind::Scanned ? "Scanned" : "Success";
    record->barcode = "01041501234567821729123110LOT24A\x1d" "21SERIAL" + std::to_string(key);
    return record;
}

class Bench {
public:
    Bench()
    {
        // Filled while hidden (a list on screen fills slowly under Wine), then
        // shown for the measurements.
        m_frame = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 900, 600, nullptr,
                                  nullptr, nullptr, nullptr);
        CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 0, 0, 880, 560, m_frame,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), nullptr, nullptr);
        m_list.Attach(m_frame, kListId);
        m_list.Initialise();
    }
    ~Bench() { DestroyWindow(m_frame); }

    void FillTo(int rows)
    {
        while (m_list.RowCount() < rows) m_list.OnScanResult(Record(ScanResultKind::Scanned, m_next++));
        ShowWindow(m_frame, SW_SHOW);
        Pump();
    }

    // Microseconds per result over `samples` rounds of a new scan and its
    // result, as they come from a scanner (the new row goes on top; at
    // 10,000 rows the oldest goes).
    double MicrosecondsPerResult(int samples)
    {
        return Time(samples, 2, [this] {
            long long key = m_next++;
            m_list.OnScanResult(Record(ScanResultKind::Scanned, key));
            m_list.OnScanResult(Record(ScanResultKind::Success, key));
        });
    }

    // The result of the oldest scan still in the list: the deepest key
    // match, with the list scrolled down to its row.
    double MicrosecondsPerDeepResult(int samples)
    {
        return Time(samples, 1, [this] { m_list.OnScanResult(Record(ScanResultKind::Success, m_oldest++)); });
    }

    void SkipOldestTo(long long key) { m_oldest = key; }
    long long Next() const { return m_next; }

private:
    template <typename Round>
    double Time(int samples, int resultsPerRound, Round round)
    {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        for (int i = 0; i < samples; ++i) {
            round();
            Pump();  // and paint, as the program's message loop does
        }
        QueryPerformanceCounter(&end);
        return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart /
               (static_cast<double>(resultsPerRound) * samples);
    }

    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }

    HWND m_frame;
    QuietOwner m_owner;
    CResultsList m_list{m_owner};
    long long m_next = 0, m_oldest = 0;
};

long WorkingSetKiB()
{
    std::string status = ReadBytes("Z:\\proc\\self\\status");
    size_t at = status.find("VmRSS:");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 6);
}

}  // namespace

int main(int argc, char** argv)
{
    int samples = argc > 1 ? std::atoi(argv[1]) : 300;
    LoadLibraryA("comctl32.dll");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    Bench small;
    small.FillTo(100);
    small.MicrosecondsPerResult(20);  // warm-up
    double atHundred = small.MicrosecondsPerResult(samples);
    double deepAtHundred = small.MicrosecondsPerDeepResult(samples / 4);

    Bench large;
    large.FillTo(10000);
    large.MicrosecondsPerResult(20);
    double atTenThousand = large.MicrosecondsPerResult(samples);
    large.SkipOldestTo(large.Next() - 10000 + 1);
    double deepAtTenThousand = large.MicrosecondsPerDeepResult(samples / 4);

    std::printf("results list: one result at ~100 rows %.1f us, at 10,000 rows %.1f us, ratio %.2f (target <= 1.5)\n",
                atHundred, atTenThousand, atTenThousand / atHundred);
    std::printf("results list: result of the oldest scan in the list at ~100 rows %.1f us, at 10,000 rows %.1f us, "
                "ratio %.2f\n", deepAtHundred, deepAtTenThousand, deepAtTenThousand / deepAtHundred);
    std::printf("working set with 10,000 rows (and a 100-row list): %.1f MiB (target under 64 MiB)\n",
                WorkingSetKiB() / 1024.0);
    return 0;
}
