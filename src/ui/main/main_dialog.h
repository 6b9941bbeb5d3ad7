// The main window: dialog 102, run modally for the life of the process.
#pragma once
#include "app/retirable_pointer.h"
#include "framework/dialog.h"
#include "framework/win_handle.h"

class CMainDialog : public CDialog {
public:
    CMainDialog();

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;

private:
    HICON m_hIcon;
    BrushHandle m_whiteBrush;
};

// The running main dialog, for the other threads: use it through a Lease.
// Start-up publishes it and retires it before destroying the object.
extern RetirablePointer<CMainDialog> g_mainDialog;
