// The main window's set-up and painting.
#include "ui/main/main_dialog.h"

#include "app/settings_store.h"
#include "res/resource.h"

RetirablePointer<CMainDialog> g_mainDialog;

CMainDialog::CMainDialog()
    : CDialog(IDD_MAIN),
      m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))),
      m_whiteBrush(CreateSolidBrush(RGB(255, 255, 255)))
{
    AppSettings loaded;
    LoadSettings(loaded);
    m_settings.Replace(loaded);
}

BOOL CMainDialog::OnInitDialog()
{
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_resultsWindow = GetDlgItem(m_hWnd, IDC_RESULTS);
    return TRUE;
}

bool CMainDialog::OnCommand(int id, int notifyCode, HWND control)
{
    // Enter must never end the program's one window.
    if (id == IDOK) return true;
    return CDialog::OnCommand(id, notifyCode, control);
}

INT_PTR CMainDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        m_resultsWindow = nullptr;
        return CDialog::DialogProc(message, wParam, lParam);
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(m_whiteBrush.Get());
    default:
        return CDialog::DialogProc(message, wParam, lParam);
    }
}
