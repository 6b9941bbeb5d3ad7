// The main window: dialog 102, run modally for the life of the process.
#pragma once
#include <atomic>

#include "core/app_settings.h"
#include "core/main_window_facade.h"
#include "framework/dialog.h"
#include "framework/win_handle.h"
#include "scanner/port_discovery.h"
#include "core/scan_result.h"

class CMainDialog : public CDialog, public MainWindowFacade {
public:
    CMainDialog();

    // MainWindowFacade, for the other threads.
    HWND MainWindow() const override { return m_mainWindow.load(); }
    HWND ResultsWindow() const override { return m_resultsWindow.load(); }
    std::string ScanFolder() const override { return m_strScanFolder; }
    int32_t CurrentMode() const override { return m_mode.load(); }
    AppSettings SettingsSnapshot() const override { return m_settings.Snapshot(); }
    void PlayScanSound() override;
    MessageBoxFunction MessageBoxShower() const override;

    // The worker, started at initialisation; it ends with the process.
    class CFMDThread* m_pWorker = nullptr;
    // Set before any reader or the worker starts, never changed afterwards.
    std::string m_strScanFolder;
    // Written by the window thread only; read by readers as one value.
    std::atomic<int32_t> m_mode{Decommission};
    // The settings (loaded at construction); other threads take snapshots.
    SharedSettings m_settings;
    // One reader per recognised scanner port.
    CPortDiscovery m_ports;

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;

private:
    HICON m_hIcon;
    // Set while the windows exist; read by other threads.
    std::atomic<HWND> m_mainWindow{nullptr};
    std::atomic<HWND> m_resultsWindow{nullptr};
    BrushHandle m_whiteBrush;
};
