// The worker's test surroundings: one worker for the test process, a host
// over a temporary scan folder, the stand-in service, and the waits and looks
// the worker's tests share.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <string>
#include <vector>

#include "app/fmd_app.h"
#include "framework/file_ops.h"
#include "support/scan_fixture.h"
#include "verify/fmd_thread.h"

inline const std::string kDemo1 = "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0001";
inline const std::string kDemo2 = "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0002";
inline const std::string kDemo3 = "0104150123456782" "21DEMO0003";

// One worker per test process: it is never stopped, and serves whichever
// host is published.
inline CFMDThread* EnsureWorker()
{
    static CFMDThread* worker = [] {
        auto* created = new CFMDThread;
        return created->CreateThread() ? created : nullptr;
    }();
    return worker;
}

inline std::atomic<std::time_t> g_guardNow{1800000000};
inline std::time_t GuardNow() { return g_guardNow.load(); }

// The file's saved time, `secondsAgo` before now.
inline void SetSavedAt(const std::string& path, int secondsAgo)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= static_cast<ULONGLONG>(secondsAgo) * 10000000ULL;
    FILETIME saved{time.LowPart, time.HighPart};
    FileHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file.Valid()) << path;
    ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &saved));
}

class Worker : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(standin.Available()) << "run through tools/wine-run.sh with PELLWICK_STANDIN";
        app.SetAppFolder(logFolder.Path());
        ASSERT_NE(EnsureWorker(), nullptr);
    }
    // The worker closes the history after a pass with nothing to write;
    // until then the file cannot be deleted with the test's folder.
    void TearDown() override
    {
        std::string history = logFolder / "History\\history.db";
        EXPECT_TRUE(WaitFor([&] { return !PathExists(history) || DeleteFileA(history.c_str()); }, 30000));
    }

    std::string Spool(char modeDigit, const std::string& barcode)
    {
        std::string base = MakeUniqueFileName(host.folder.Path(), "", "dat");
        EXPECT_TRUE(WriteWholeFile(base + ".dat", std::string(1, modeDigit) + barcode));
        return base.substr(base.rfind('\\') + 1);
    }
    bool WaitForResults(size_t count, DWORD timeoutMs = 30000)
    {
        ULONGLONG deadline = GetTickCount64() + timeoutMs;
        while (host.window.Results().size() < count) {
            if (GetTickCount64() >= deadline) return false;
            host.window.WaitForRecords(host.window.records.size() + 1, 50);
        }
        return true;
    }
    const ScanResult* ResultFor(const std::string& key)
    {
        for (const ScanResult* result : host.window.Results())
            if (result->key == key) return result;
        return nullptr;
    }
    std::string TraceLog() { return ReadBytes(logFolder / "Logs\\trace-1.txt"); }
    // The worker posts a result before it deletes the scan's files.
    bool ScanFolderEmptiesSoon() { return WaitFor([&] { return ListFolder(host.folder.Path()).empty(); }, 5000); }

    // Takes in the records posted meanwhile, for `ms`.
    void TakeRecordsFor(DWORD ms)
    {
        ULONGLONG end = GetTickCount64() + ms;
        while (GetTickCount64() < end) host.window.WaitForRecords(host.window.records.size() + 1, 50);
    }
    // The newest record posted for the key.
    const ScanResult* LastFor(const std::string& key)
    {
        const ScanResult* last = nullptr;
        for (const ScanResult* result : host.window.Results())
            if (result->key == key) last = result;
        return last;
    }
    bool WaitForFinal(const std::string& key, DWORD timeoutMs = 30000)
    {
        return WaitFor(
            [&] {
                host.window.WaitForRecords(host.window.records.size() + 1, 50);
                const ScanResult* last = LastFor(key);
                return last && last->kind != ScanResultKind::Waiting;
            },
            timeoutMs);
    }
    // "Decommission DEMO0001" and so on, from the `skip`th request on.
    std::vector<std::string> SentOperations(size_t skip = 0)
    {
        std::vector<std::string> operations;
        std::vector<std::string> bodies = standin.Requests();
        for (size_t i = skip; i < bodies.size(); ++i) {
            const std::string& body = bodies[i];
            operations.push_back(body.substr(14, body.find(".Request") - 14) + " " + body.substr(body.rfind("21DEMO") + 2, 8));
        }
        return operations;
    }

    TempFolder logFolder;
    CFMDApp app;
    StandinClient standin;
    TestScanHost host;
};

// Keeping scans through an outage (KeepScansDuringOutage on).
class Outage : public Worker {
protected:
    void SetUp() override
    {
        Worker::SetUp();
        host.SetCredentials("PHARM01", "s3cret", standin.Host());
        AppSettings values = host.SettingsSnapshot();
        values.KeepScansDuringOutage = true;
        host.settings.Replace(values);
    }
    std::string Waiting() { return host.folder / "Waiting"; }
};

