// The main window's placement (front, tray, pinning), sounds, About box,
// size rules and layout, and the notification-area icon's mouse events.
#include "ui/main/main_dialog.h"

#include <mmsystem.h>

#include "framework/system_library.h"
#include "framework/ui_language.h"
#include "res/resource.h"
#include "ui/main/main_layout.h"
#include "ui/settings/about_dialog.h"
#include "ui/settings/counter_safety_dialog.h"
#include "ui/settings/language_dialog.h"

namespace {

constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

LayoutSize ClientSize(HWND control)
{
    RECT rect{};
    if (control) GetClientRect(control, &rect);
    return {rect.right, rect.bottom};
}

void MoveControl(HWND control, LayoutPoint place)
{
    if (control) SetWindowPos(control, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceControl(HWND control, LayoutRect place)
{
    if (control)
        SetWindowPos(control, nullptr, place.x, place.y, place.width, place.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void CMainDialog::BringToFront()
{
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hWnd);
    SetFocus(m_hWnd);
    SetActiveWindow(m_hWnd);
    ShowWindow(m_hWnd, SW_RESTORE);
    SetForegroundWindow(m_hWnd);
}

void CMainDialog::HideToTray()
{
    if (m_bPinned) return;
    ShowWindow(m_hWnd, SW_HIDE);
    if (!m_trayIcon.shown) {
        m_trayIcon.Notify(NIM_ADD);
        m_trayIcon.shown = true;
    }
}

void CMainDialog::PinOnTop()
{
    m_bPinned = true;
    BringToFront();
    SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE) | WS_EX_TOPMOST);
    BringWindowToTop(m_hWnd);
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlace);
}

void CMainDialog::UnpinFromTop()
{
    m_bPinned = false;
    SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE) & ~WS_EX_TOPMOST);
    SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
}

namespace {

// winmm.dll from the system folder; false when it or the sound is missing.
bool PlaySystemSound(const char* alias)
{
    static const SystemLibrary winmm("winmm.dll");
    static const auto play = winmm.Get<decltype(&PlaySoundA)>("PlaySoundA");
    return play && play(alias, nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
}

}  // namespace

void CMainDialog::PlayScanSound()
{
    if (!PlaySystemSound("SystemDefault")) MessageBeep(MB_OK);
}

void CMainDialog::PlayAlertSound()
{
    if (!PlaySystemSound("SystemHand")) MessageBeep(MB_ICONHAND);
}

void CMainDialog::ShowAbout()
{
    CAboutDialog about;
    about.RunModal(m_hWnd);
}

void CMainDialog::ShowCounterSafety()
{
    CCounterSafetyDialog safety(m_settings);
    safety.RunModal(m_hWnd);
}

void CMainDialog::ShowLanguageChooser()
{
    CLanguageDialog chooser;
    chooser.RunModal(m_hWnd);
}

void CMainDialog::OnSize(UINT kind, int cx, int cy)
{
    if (kind == SIZE_MINIMIZED) {
        if (m_bPinned)
            PostMessageA(m_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        else if (m_settings.Snapshot().ToTray)
            HideToTray();
    }
    Layout(cx, cy);
}

void CMainDialog::Layout(int cx, int cy)
{
    HWND settings = m_settingsButton.Handle();
    if (!settings) return;  // before the controls are attached
    HWND logo = GetDlgItem(m_hWnd, IDC_LOGO);
    HWND status = GetDlgItem(m_hWnd, IDC_STATUS_TEXT);
    MainLayout layout =
        ComputeMainLayout(cx, cy, ClientSize(settings), ClientSize(logo), ClientSize(m_decommissionButton.Handle()));
    MoveControl(settings, layout.settings);
    MoveControl(m_contactButton.Handle(), layout.contact);
    MoveControl(m_updateButton.Handle(), layout.update);
    MoveControl(logo, layout.logo);
    PlaceControl(status, layout.status);
    if (status) RedrawWindow(status, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    MoveControl(m_decommissionButton.Handle(), layout.decommission);
    MoveControl(m_verifyButton.Handle(), layout.verify);
    MoveControl(m_recommissionButton.Handle(), layout.recommission);
    PlaceControl(GetDlgItem(m_hWnd, IDC_MODE_BANNER), layout.banner);
    PlaceControl(m_resultsList.Handle(), layout.results);
}

LRESULT CMainDialog::OnTrayEvent(LPARAM mouseEvent)
{
    if (mouseEvent == WM_LBUTTONDBLCLK) BringToFront();
    if (mouseEvent == WM_RBUTTONUP) ShowTrayMenu();
    return 0;
}

void CMainDialog::ShowTrayMenu()
{
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(m_hWnd);
    HMENU menu = LoadUiMenu(IDR_TRAY_MENU);
    if (!menu) return;
    // The choice arrives as WM_COMMAND, handled like the buttons.
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessageA(m_hWnd, WM_NULL, 0, 0);
}
