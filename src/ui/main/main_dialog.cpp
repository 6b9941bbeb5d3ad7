// The main window's set-up and painting.
#include "ui/main/main_dialog.h"

#include "res/resource.h"

RetirablePointer<CMainDialog> g_mainDialog;

CMainDialog::CMainDialog()
    : CDialog(IDD_MAIN),
      m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))),
      m_whiteBrush(CreateSolidBrush(RGB(255, 255, 255)))
{
}

BOOL CMainDialog::OnInitDialog()
{
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
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
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(m_whiteBrush.Get());
    default:
        return CDialog::DialogProc(message, wParam, lParam);
    }
}
