// The scan path's surroundings for tests: a hidden window that collects the
// records posted to it and stands in for the main window, a MainWindowFacade over a
// temporary scan folder, and a client for the stand-in service that
// tools/wine-run.sh starts for tests marked PELLWICK_STANDIN.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/main_window_facade.h"
#include "framework/win_handle.h"
#include "support/test_support.h"
#include "core/scan_result.h"

class CollectingWindow {
public:
    CollectingWindow();
    ~CollectingWindow();
    HWND Get() const { return m_window; }
    // Dispatches this thread's messages until `count` records have arrived.
    bool WaitForRecords(size_t count, DWORD timeoutMs);
    // Records that are not Log rows, and Log rows' texts.
    std::vector<const ScanResult*> Results() const;
    std::vector<std::string> LogRows() const;
    std::vector<std::unique_ptr<ScanResult>> records;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND m_window;
};

// Publishes itself as g_mainDialog for its lifetime.
class TestScanHost : public MainWindowFacade {
public:
    TestScanHost();
    ~TestScanHost() override;
    HWND MainWindow() const override { return window.Get(); }
    HWND ResultsWindow() const override { return window.Get(); }
    std::string ScanFolder() const override { return folder.Path(); }
    int32_t CurrentMode() const override { return mode; }
    AppSettings SettingsSnapshot() const override { return settings.Snapshot(); }
    HANDLE SpoolWrittenEvent() const override { return spoolWritten.Get(); }
    void PlayScanSound() override { ++sounds; }
    HFONT ListFont() const override { return nullptr; }
    MessageBoxFunction MessageBoxShower() const override;
    void AskAboutHeldScan(const HeldScan& scan) override { heldScans.push_back(scan); }
    void AccountRefused() override { ++refusalsReported; }
    void BringToFront() override { ++broughtForward; }
    void PinOnTop() override { pinned = true; }
    void UnpinFromTop() override { pinned = false; }
    bool IsPinned() const override { return pinned; }

    void SetCredentials(const std::string& user, const std::string& password, const std::string& host);

    TempFolder folder;
    CollectingWindow window;
    SharedSettings settings;
    KernelHandle spoolWritten{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    std::atomic<int32_t> mode{1};
    std::atomic<int> sounds{0};
    std::atomic<int> broughtForward{0};
    std::atomic<bool> pinned{false};
    std::vector<HeldScan> heldScans;  // written by the worker's thread
    std::atomic<int> refusalsReported{0};
};

// The stand-in service of this test (see tools/wine-run.sh).
class StandinClient {
public:
    StandinClient();
    bool Available() const { return m_port > 0; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    // POST /control with a JSON command; true on HTTP 200.
    bool Control(const std::string& json);
    // The stand-in's settings after the command; nothing unless HTTP 200.
    std::optional<std::string> ControlAnswer(const std::string& json);
    // How many service requests came over "tls" or over "plain" HTTP; -1
    // when the stand-in cannot be asked.
    long ServiceRequestsOver(const char* transport);
    // The request bodies received so far, byte for byte, oldest first.
    std::vector<std::string> Requests() const;
    // The folder the update server answers from, and the targets of the
    // update requests it received.
    const std::string& UpdateFolder() const { return m_updateDir; }
    std::vector<std::string> UpdateRequests() const;

private:
    int m_port = 0;
    std::string m_recordDir;
    std::string m_updateDir;
};
