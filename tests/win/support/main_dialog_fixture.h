// The real main dialog in a test: run on a window thread of its own, with the
// settings in the registry and the program's folders in a temporary folder,
// so that the test thread can drive it with messages and read its windows.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/program_context.h"
#include "support/test_support.h"
#include "ui/main/main_dialog.h"

// Counts what the tests observe instead of playing sounds; opens the real
// settings sheet only when asked to.
class TestMainDialog : public CMainDialog {
public:
    static constexpr UINT WM_END_TEST = WM_APP + 60;
    // Runs the update check, or DownloadAndRun(driverName), on the window's thread.
    static constexpr UINT WM_CHECK_FOR_UPDATE = WM_APP + 61;
    static constexpr UINT WM_DOWNLOAD_DRIVER = WM_APP + 62;
    std::string driverName;
    std::atomic<int> alerts{0};
    std::atomic<int> settingsOpened{0};
    std::atomic<ULONGLONG> settingsOpenedAt{0};
    std::atomic<bool> initialised{false};
    std::atomic<bool> openRealSettings{false};

    void PlayAlertSound() override { ++alerts; }

protected:
    BOOL OnInitDialog() override;
    void OpenSettings() override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

struct MainDialogSettings {
    std::string username = "PHARM01";
    std::string password = "s3cret";
    std::string toTray = "1";
    std::string serviceHost;  // the test's stand-in when empty; it is the update server too
    std::string keepScans;    // KeepScansDuringOutage; absent when empty
};

// Sets or deletes (empty value) one value of the program's registry key.
void SetProgramSetting(const char* name, const std::string& value);

class MainDialogFixture {
public:
    explicit MainDialogFixture(const MainDialogSettings& settings = {});
    ~MainDialogFixture();

    // Starts the dialog's window thread; false when no window appeared.
    bool Start();
    // Ends the dialog (as a test account's quit would) and joins its thread.
    void End();
    bool Running() const;

    HWND Window() const { return m_window; }
    HWND List() const;
    TestMainDialog& Dialog() { return *m_dialog; }
    ULONGLONG StartedAt() const { return m_startedAt; }

    int RowCount() const;
    std::string Cell(int row, int column) const;
    ScanResult* RowRecord(int row) const;
    // The row background the custom-draw answer gives; false for the default.
    bool RowColour(int row, COLORREF& colour) const;
    // Log rows' texts, newest first.
    std::vector<std::string> LogRows() const;
    std::string Trace() const;
    std::string AppFolder() const { return m_folder.Path(); }
    // Sends the record to the list and returns when it has been handled
    // (or when a pop-up it raised has opened: use Post for those).
    void Send(ScanResult* record) const;
    void Post(ScanResult* record) const;

private:
    TempFolder m_folder;
    std::unique_ptr<ProgramContext> m_context;
    std::unique_ptr<TestMainDialog> m_dialog;
    std::thread m_thread;
    std::atomic<bool> m_ended{false};  // the dialog's thread has left its modal loop
    HWND m_window = nullptr;
    ULONGLONG m_startedAt = 0;
};

// A new record of `kind` with spool key `key`.
ScanResult* MakeRecord(int32_t kind, int32_t mode, const std::string& key, const std::string& statusText,
                       const std::string& status = "");
// Whether the shell still has the window's icon (id 0): NIM_MODIFY fails for
// an icon it does not know.
bool TrayIconPresent(HWND window);
