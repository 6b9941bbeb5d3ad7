// Benchmark: the scan history under Wine with the Windows SQLite build:
// writing one outcome as the worker does (median and slowest of N), finding a
// serial among a million rows, and the file size per million rows; and the
// History window on that million: its first page (the real window, and the
// reads alone) and a serial typed into its search box.
// Usage: history_bench.exe [writes] [rows]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <ctime>
#include <vector>

#include <commctrl.h>

#include <sqlite3.h>

#include "core/program_context.h"
#include "history/history_view_rows.h"
#include "ui/history/history_window.h"
#include "core/scan_result.h"
#include "res/resource.h"
#include "verify/scan_history.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

std::string TempFolder()
{
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "pellwick-history-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

ScanResult Outcome(int i)
{
    ScanResult r;
    r.kind = ScanResultKind::Success;
    r.mode = Decommission;
    r.key = "20261208-031500-" + std::to_string(i);
    char serial[16];
    std::snprintf(serial, sizeof serial, "S%09d", i);
    r.barcode = std::string("0104150123456782" "17291231" "10LOT24A\x1D" "21") + serial;
    r.statusText = "Success";
    r.status = "Supplied";
    r.messageHeading = "Pack decommissioned";
    r.postTransactionId = "5d0c8e61-6b7a-4c8e-9f0e-0d7f1b2a" + std::to_string(100000 + i % 900000);
    r.gtin = "04150123456782";
    r.lot = "LOT24A";
    r.exp = "291231";
    r.sn = serial;
    return r;
}

void MeasureWrites(const std::string& folder, int writes)
{
    ProgramContext context;
    context.SetAppFolder(folder);
    ScanHistory history;
    history.Record(Outcome(0), 0, "PHARM01");  // opens the file
    // A burst keeps the file open; a lone scan opens it, and the idle pass
    // after it closes it.
    for (bool release : {false, true}) {
        std::vector<double> times, closes;
        for (int i = 1; i <= writes; ++i) {
            auto start = Clock::now();
            history.Record(Outcome(i), 0, "PHARM01");
            times.push_back(Ms(start));
            if (release) {
                // The close comes in the idle pass after the row was posted.
                auto close = Clock::now();
                history.ReleaseWhenIdle();  // the pass that wrote
                history.ReleaseWhenIdle();  // the idle pass after it
                closes.push_back(Ms(close));
            }
        }
        std::sort(times.begin(), times.end());
        std::printf("write one outcome (%s, WAL, %d writes): median %.3f ms, 90th %.3f ms, slowest %.3f ms\n",
                    release ? "a lone scan: open and write" : "in a burst, file open", writes, times[times.size() / 2],
                    times[times.size() * 9 / 10], times.back());
        std::sort(closes.begin(), closes.end());
        if (!closes.empty()) std::printf("  and its close in the idle pass: median %.3f ms\n", closes[closes.size() / 2]);
    }
}

long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void MeasureHistoryViews(const std::string& path, int rows);
void MeasureHistoryWindow(const std::string& path, int rows);

void MeasureLargeHistory(const std::string& folder, int rows)
{
    std::string path = folder + "\\large.db";
    HistoryStore store;
    std::string reason;
    if (!store.Open(path, "2026-12-08", reason)) {
        std::printf("cannot open %s: %s\n", path.c_str(), reason.c_str());
        return;
    }
    HistoryEntry entry;
    entry.localTime = "2026-12-08T04:15:00";
    entry.utcTime = "2026-12-08T03:15:00Z";
    entry.userName = "PHARM01";
    entry.computerName = "COUNTER-1";
    entry.programVersion = "1.190416";
    auto fill = Clock::now();
    sqlite3_exec(store.Connection(), "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < rows; ++i) {
        ScanResult r = Outcome(i);
        entry.spoolKey = r.key;
        entry.mode = r.mode;
        entry.barcode = r.barcode;
        entry.statusText = r.statusText;
        entry.status = r.status;
        entry.messageHeading = r.messageHeading;
        entry.postTransactionId = r.postTransactionId;
        entry.gtin = r.gtin;
        entry.lot = r.lot;
        entry.exp = r.exp;
        entry.sn = entry.readSerial = r.sn;
        entry.readProductCode = r.gtin;
        entry.readBatch = r.lot;
        entry.readExpiry = r.exp;
        entry.readFormat = "GS1";
        store.Add(entry, reason);
        if (i % 50000 == 49999) {
            sqlite3_exec(store.Connection(), "COMMIT; BEGIN", nullptr, nullptr, nullptr);
        }
    }
    sqlite3_exec(store.Connection(), "COMMIT; PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    std::printf("filled %d rows in %.1f s\n", rows, Ms(fill) / 1000);
    std::printf("file size: %.1f MB for %d rows (%.0f bytes a row)\n", FileSize(path) / 1e6, rows,
                static_cast<double>(FileSize(path)) / rows);

    sqlite3_stmt* find = nullptr;
    sqlite3_prepare_v2(store.Connection(), "SELECT id FROM outcome WHERE sn = ? OR read_serial = ?", -1, &find, nullptr);
    std::vector<double> times;
    for (int probe = 0; probe < 21; ++probe) {
        char serial[16];
        std::snprintf(serial, sizeof serial, "S%09d", (probe * 47617) % rows);
        auto start = Clock::now();
        sqlite3_bind_text(find, 1, serial, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(find, 2, serial, -1, SQLITE_TRANSIENT);
        int found = 0;
        while (sqlite3_step(find) == SQLITE_ROW) ++found;
        sqlite3_reset(find);
        times.push_back(Ms(start));
        if (found != 1) std::printf("serial %s found %d times\n", serial, found);
    }
    sqlite3_finalize(find);
    std::sort(times.begin(), times.end());
    std::printf("find a serial among %d rows: median %.3f ms, slowest %.3f ms\n", rows, times[times.size() / 2],
                times.back());
    store.Close();
    MeasureHistoryViews(path, rows);
    MeasureHistoryWindow(path, rows);
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// What the window does when it opens, and when a serial is typed into it.
void MeasureHistoryViews(const std::string& path, int rows)
{
    std::vector<double> opens, counts, serials, searches;
    for (int probe = 0; probe < 7; ++probe) {
        auto start = Clock::now();
        HistoryReader reader;
        std::string reason;
        if (!reader.Open(path, reason)) {
            std::printf("cannot read %s: %s\n", path.c_str(), reason.c_str());
            return;
        }
        HistoryViewRows view;
        view.Start(reader, {HistoryView::AllScans, {}, "PHARM01", std::time(nullptr)});
        for (int i = 0; i < 40; ++i) view.Row(reader, i);  // a screenful
        opens.push_back(Ms(start));
        start = Clock::now();
        view.SettleCount(reader);
        counts.push_back(Ms(start));

        char serial[16];
        std::snprintf(serial, sizeof serial, "S%09d", (probe * 131071) % rows);
        start = Clock::now();
        view.Start(reader, {HistoryView::AllScans, {serial, "", "", -1, -1}, "PHARM01", std::time(nullptr)});
        const HistoryEntry* found = view.Row(reader, 0);
        serials.push_back(Ms(start));
        if (!found || found->sn != serial) std::printf("serial %s not listed first\n", serial);
        if (probe < 2) {  // the rest of the search, a slice at a time, as the window runs it
            while (view.Step(reader)) {
            }
            searches.push_back(Ms(start));
        }
    }
    std::printf("History window's first page on %d rows (open, 40 rows): median %.1f ms, slowest %.1f ms\n", rows,
                Median(opens), *std::max_element(opens.begin(), opens.end()));
    std::printf("  and the exact count that follows it: median %.1f ms\n", Median(counts));
    std::printf("History window: a serial typed into the search box listed in median %.1f ms, slowest %.1f ms\n",
                Median(serials), *std::max_element(serials.begin(), serials.end()));
    std::printf("  and the search through every row's product code, batch and barcode done in %.0f ms\n",
                Median(searches));
}

// The real window over the same file: created, its list painted.
void MeasureHistoryWindow(const std::string& path, int rows)
{
    std::vector<double> times;
    for (int probe = 0; probe < 5; ++probe) {
        auto start = Clock::now();
        CHistoryWindow window(path);
        if (!window.Open(nullptr)) {
            std::printf("History window: cannot be created here (no display?)\n");
            return;
        }
        ShowWindow(window.Handle(), SW_SHOW);
        UpdateWindow(GetDlgItem(window.Handle(), IDC_HISTORY_LIST));
        times.push_back(Ms(start));
        DestroyWindow(window.Handle());
    }
    std::printf("History window opened and its first page painted on %d rows: median %.1f ms, slowest %.1f ms\n",
                rows, Median(times), *std::max_element(times.begin(), times.end()));
}

}  // namespace

int main(int argc, char** argv)
{
    int writes = argc > 1 ? std::atoi(argv[1]) : 200;
    int rows = argc > 2 ? std::atoi(argv[2]) : 1000000;
    std::string folder = TempFolder();
    MeasureWrites(folder, writes);
    MeasureLargeHistory(folder, rows);
    for (const char* name : {"\\History\\history.db", "\\History\\history.db-wal", "\\History\\history.db-shm",
                             "\\large.db", "\\large.db-wal", "\\large.db-shm"})
        DeleteFileA((folder + name).c_str());
    RemoveDirectoryA((folder + "\\History").c_str());
    RemoveDirectoryA((folder + "\\Logs").c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
