// The main window: dialog 102, run modally for the life of the process. It
// starts the readers and the worker, owns the settings, the results list, the
// mode and the notification-area icon, and decides when the window may be
// minimised, hidden or closed.
#pragma once
#include <atomic>
#include <deque>
#include <memory>

#include "core/app_settings.h"
#include "core/main_window_facade.h"
#include "core/scan_result.h"
#include "framework/dialog.h"
#include "framework/win_handle.h"
#include "scanner/port_discovery.h"
#include "ui/controls/color_button.h"
#include "ui/delivery/delivery_window.h"
#include "ui/history/history_window.h"
#include "ui/main/results_list.h"
#include "ui/main/tray_icon.h"
#include "ui/settings/settings_dialog.h"

class CMainDialog : public CDialog,
                    public MainWindowFacade,
                    public ResultsListOwner,
                    public SettingsSheetOwner,
                    public DeliveryWindowOwner {
public:
    CMainDialog();

    // MainWindowFacade, for the other threads and the boxes.
    HWND MainWindow() const override { return m_mainWindow.load(); }
    HWND ResultsWindow() const override { return m_resultsWindow.load(); }
    // Also the settings sheet's, for its credentials check.
    std::string ScanFolder() const override { return m_strScanFolder; }
    int32_t CurrentMode() const override { return m_mode.load(); }
    AppSettings SettingsSnapshot() const override { return m_settings.Snapshot(); }
    HANDLE SpoolWrittenEvent() const override { return m_spoolWritten.Get(); }
    void PlayScanSound() override;
    HFONT ListFont() const override { return m_resultsList.ListFont(); }
    MessageBoxFunction MessageBoxShower() const override;
    void AskAboutHeldScan(const HeldScan& scan) override;
    void AccountRefused() override;
    void BringToFront() override;
    void PinOnTop() override;
    void UnpinFromTop() override;
    bool IsPinned() const override { return m_bPinned.load(); }
    bool ScannerTestWaiting() const override { return m_scannerTestWindow.load() != nullptr; }
    bool TakeScannerTestScan(const std::string& scanWithLineEnding) override;
    int64_t CurrentDelivery() const override { return m_delivery.load(); }

    // ResultsListOwner.
    HWND OwnerWindow() const override { return m_hWnd; }
    void PlayAlertSound() override;
    void OnScanShown(const ScanResult& record) override;

    // DeliveryWindowOwner.
    void SetCurrentDelivery(int64_t delivery) override;
    long ShortDatedMonths() const override { return m_settings.Snapshot().ShortDatedMonths; }
    std::string AccountName() const override { return m_settings.Snapshot().Username; }

    // SettingsSheetOwner.
    void HideToTrayAfter(unsigned milliseconds) override;
    // Fetches a scanner driver's installer from the update server and starts
    // it when the maker signed it.
    void DownloadAndRun(const std::string& fileName) override;

    // Fetches the program's newer installer and starts it when the maker
    // signed it (the update button).
    void DownloadUpdate();

    void HideToTray();
    void ShowAbout();
    // The scanner test window (tray menu and system menu).
    void ShowScannerTest();
    // The History window (tray menu and system menu): opened, or brought
    // forward when it is open.
    void ShowHistory();
    // The Check a delivery window (tray menu and system menu): opened, or
    // brought forward when it is open.
    void ShowDelivery();
    // Asks for the period and writes the activity report.
    void ShowActivityReport();
    // The test bench: spools `text` as if COM1's scanner had read it.
    void InjectTestBarcode(const std::string& text);

    // The operating modes.
    void SetVerifyMode();
    void SetDecommissionMode(bool force);
    void SetRecommissionMode();
    void ShowModeBanner(const std::string& text);
    // The button of a mode (Decommission for any other value).
    CColorButton& ModeButton(int32_t mode);

    // The worker, started at initialisation; it ends with the process.
    class CFMDThread* m_pWorker = nullptr;
    // Set before any reader or the worker starts, never changed afterwards.
    std::string m_strScanFolder;
    // Written by the window thread only; read by readers as one value.
    std::atomic<int32_t> m_mode{Decommission};
    // Also set and cleared by a thread that shows a message box.
    std::atomic<bool> m_bPinned{false};
    bool UpdateBusy = false;
    // One reader per recognised scanner port.
    CPortDiscovery m_ports;
    TrayIcon m_trayIcon;
    CResultsList m_resultsList{*this};
    // The settings sheet and the settings (loaded at construction); other
    // threads take snapshots.
    CSettingsDialog m_settings{*this};

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    void OnTimer(UINT_PTR id) override;

    // Where the settings sheet and the update check are reached; tests
    // observe the calls.
    virtual void OpenSettings();
    virtual void CheckForUpdate();

private:
    // Held scans: lParam a heap HeldScan that this thread owns from then on.
    static constexpr UINT WM_HELDSCAN = WM_APP + 21;
    // The worker met a refused password: the settings sheet opens.
    static constexpr UINT WM_ACCOUNTREFUSED = WM_APP + 24;
    // The start's credentials check answered: wParam 1 when accepted.
    static constexpr UINT WM_STARTCHECKED = WM_APP + 25;
    void CheckLoginBesideTheWindow(const AppSettings& settings);
    void OnStartCheckAnswered(bool accepted);
    ULONGLONG m_startTick = 0;
    void OnHeldScanPosted(HeldScan* posted);
    void ShowCounterSafety();
    void ShowLanguageChooser();

    std::atomic<HWND> m_scannerTestWindow{nullptr};  // while the scanner test is open
    std::unique_ptr<CHistoryWindow> m_historyWindow;  // its window may have closed
    std::unique_ptr<CDeliveryWindow> m_deliveryWindow;  // its window may have closed
    // The delivery being checked; read by the readers as one value.
    std::atomic<int64_t> m_delivery{0};
    void ShowReleaseNotes(const std::string& title, const std::string& body);
    void AddSystemMenuEntry();
    void StartWorker();
    void AddTrayIcon();
    void ArmStartTimers();
    void ShowStatusText();
    void AddToolTips();
    void OnSize(UINT kind, int cx, int cy);
    void Layout(int cx, int cy);
    void OnClose();
    LRESULT OnTrayEvent(LPARAM mouseEvent);
    void ShowTrayMenu();
    bool OnPaintMinimised();
    void SwitchMode(int32_t mode, bool force);

    HICON m_hIcon;
    // Set while the windows exist; read by other threads.
    std::atomic<HWND> m_mainWindow{nullptr};
    std::atomic<HWND> m_resultsWindow{nullptr};
    UINT m_taskbarCreated;
    KernelHandle m_spoolWritten{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    CColorButton m_settingsButton, m_contactButton, m_updateButton;
    CColorButton m_decommissionButton, m_verifyButton, m_recommissionButton;
    std::deque<std::unique_ptr<HeldScan>> m_heldScans;  // waiting for their box
    bool m_bAskingHeld = false;
};
