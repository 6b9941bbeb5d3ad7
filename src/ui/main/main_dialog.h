// The main window: dialog 102, run modally for the life of the process.
#pragma once
#include <atomic>

#include "app/app_settings.h"
#include "app/retirable_pointer.h"
#include "framework/dialog.h"
#include "framework/win_handle.h"

class CMainDialog : public CDialog {
public:
    CMainDialog();

    // For other threads, through a lease on g_mainDialog.
    bool HasIcon() const { return m_hIcon != nullptr; }
    HWND ResultsListWindow() const { return m_resultsWindow.load(); }

    // The settings (loaded at construction); other threads take snapshots.
    SharedSettings m_settings;

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;

private:
    HICON m_hIcon;
    // Set while the list window exists; read by other threads.
    std::atomic<HWND> m_resultsWindow{nullptr};
    BrushHandle m_whiteBrush;
};

// The running main dialog, for the other threads: use it through a Lease.
// Start-up publishes it and retires it before destroying the object.
extern RetirablePointer<CMainDialog> g_mainDialog;
