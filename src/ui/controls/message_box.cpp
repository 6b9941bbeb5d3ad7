// The message box: queued runs, buttons, layout and the main window's pinning.
#include "ui/controls/message_box.h"

#include "base/text_catalog.h"
#include "res/resource.h"
#include "ui/controls/box_layout.h"
#include "ui/controls/popup_window.h"
#include "ui/controls/rich_text.h"

namespace {

HWND MainWindow()
{
    RetirablePointer<MainWindowFacade>::Lease mainDialog(g_mainDialog);
    return mainDialog ? mainDialog->MainWindow() : nullptr;
}

std::string MainWindowTitle()
{
    char title[256] = "";
    if (HWND main = MainWindow()) GetWindowTextA(main, title, sizeof title);
    return title;
}

// Pins the main window unless it already is; returns whether it was.
bool PinMainWindow()
{
    RetirablePointer<MainWindowFacade>::Lease mainDialog(g_mainDialog);
    if (!mainDialog) return true;  // nothing to pin, nothing to undo
    bool wasPinned = mainDialog->IsPinned();
    if (!wasPinned) mainDialog->PinOnTop();
    return wasPinned;
}

void UnpinMainWindow()
{
    RetirablePointer<MainWindowFacade>::Lease mainDialog(g_mainDialog);
    if (mainDialog) mainDialog->UnpinFromTop();
}

LayoutSize WindowSize(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

CMessageBoxDialog::CMessageBoxDialog(HWND owner)
    : CDialog(IDD_MESSAGE_BOX, owner ? owner : MainWindow()),
      m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)))
{
}

void CMessageBoxDialog::AppendRun(const TextRun& run)
{
    if (m_textArea.Handle())
        m_textArea.Append(run);
    else
        m_pending.push_back(run);
}

BOOL CMessageBoxDialog::OnInitDialog()
{
    m_firstButton.Attach(m_hWnd, IDC_BOX_FIRST);
    m_secondButton.Attach(m_hWnd, IDC_BOX_SECOND);
    SetApplicationIcon(m_hWnd, m_hIcon);
    std::string title = MainWindowTitle();
    if (!m_strCaption.empty()) title = m_strCaption + " - " + title;
    SetWindowTextA(m_hWnd, title.c_str());

    LayoutSize outer = WindowSize(m_hWnd);
    SetWindowPos(m_hWnd, nullptr, 0, 0, outer.width, outer.height + 5, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    outer = WindowSize(m_hWnd);
    m_textArea.Create(m_hWnd, RECT{10, 10, outer.width - 18, outer.height - 90});
    std::deque<TextRun> pending;
    pending.swap(m_pending);
    for (const TextRun& run : pending) m_textArea.Append(run);
    ShowWindow(m_textArea.Handle(), SW_SHOW);
    SetUpButtons();
    // One layout with the text area in place, so that it starts clear of the
    // buttons as it will be after any resize.
    RECT client;
    GetClientRect(m_hWnd, &client);
    Layout(client.right, client.bottom);

    m_bWasPinned = PinMainWindow();
    BringWindowToTop(m_hWnd);
    return FALSE;  // the focus stays where it is
}

void CMessageBoxDialog::SetUpButtons()
{
    if (m_buttons == MessageBoxButtons::YesNo) {
        SetWindowTextA(m_firstButton.Handle(), Text(TextId::ButtonYes));
        SetWindowTextA(m_secondButton.Handle(), Text(TextId::ButtonNo));
    }
    if (m_buttons == MessageBoxButtons::OkCancel || m_buttons == MessageBoxButtons::YesNo)
        ShowWindow(m_secondButton.Handle(), SW_SHOW);
    if (!m_strFirstButton.empty()) SetWindowTextA(m_firstButton.Handle(), m_strFirstButton.c_str());
    if (!m_strSecondButton.empty()) SetWindowTextA(m_secondButton.Handle(), m_strSecondButton.c_str());
}

void CMessageBoxDialog::Layout(int cx, int cy)
{
    HWND first = m_firstButton.Handle();
    if (!first) return;
    LayoutSize size = WindowSize(first);
    const UINT moveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    if (m_buttons == MessageBoxButtons::Ok) {
        LayoutPoint place = CentredButton(cx, cy, size);
        SetWindowPos(first, nullptr, place.x, place.y, 0, 0, moveOnly);
    } else if (m_buttons == MessageBoxButtons::OkCancel || m_buttons == MessageBoxButtons::YesNo) {
        LayoutPoint one, two;
        ButtonPair(cx, cy, size, one, two);
        SetWindowPos(first, nullptr, one.x, one.y, 0, 0, moveOnly);
        SetWindowPos(m_secondButton.Handle(), nullptr, two.x, two.y, 0, 0, moveOnly);
    }
    if (!m_textArea.Handle()) return;
    LayoutSize area = TextAreaSize(cx, cy, size.height);
    SetWindowPos(m_textArea.Handle(), nullptr, 0, 0, area.width, area.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CMessageBoxDialog::OnCommand(int id, int, HWND)
{
    if (id == IDC_BOX_FIRST) EndDialog(1);
    if (id == IDC_BOX_SECOND || id == IDCANCEL) EndDialog(0);
    return true;  // Enter (IDOK) does nothing
}

INT_PTR CMessageBoxDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HandlePopUpWindowMessage(m_hWnd, message, wParam, lParam)) return TRUE;
    switch (message) {
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_DESTROY: {
        m_textArea.Destroy();
        INT_PTR handled = CDialog::DialogProc(message, wParam, lParam);
        if (!m_bWasPinned) UnpinMainWindow();
        return handled;
    }
    default:
        return CDialog::DialogProc(message, wParam, lParam);
    }
}

int ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons)
{
    return ShowOwnedMessageBox(nullptr, text, caption, buttons);
}

int ShowOwnedMessageBox(HWND owner, const std::string& text, const std::string& caption, MessageBoxButtons buttons)
{
    CMessageBoxDialog box(owner);
    box.m_strCaption = caption;
    for (const TextRun& run : MessageRuns(text, caption)) box.AppendRun(run);
    box.m_buttons = buttons;
    INT_PTR answer = box.DoModal();
    return answer == 1 ? 1 : 0;
}
