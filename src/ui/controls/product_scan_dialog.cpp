// The product pop-up's text, layout and placement.
#include "ui/controls/product_scan_dialog.h"

#include <richedit.h>

#include "core/main_window_facade.h"
#include "res/resource.h"
#include "ui/controls/box_layout.h"
#include "ui/controls/popup_window.h"
#include "ui/controls/rich_text.h"

namespace {

// Tab stops in twips, right-aligned (alignment code 2 in bits 24 to 27).
constexpr LONG kTabStops[] = {1000, 3000, 4000, 6000};
constexpr LONG kRightAlignedTab = 2L << 24;
// Pixels the pop-up grows by when it explains the answer.
constexpr int kWhatToDoHeight = 130;

void SetParagraphFormat(HWND textArea)
{
    PARAFORMAT2 format{};
    format.cbSize = sizeof format;
    SendMessageA(textArea, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    format.dwMask |= PFM_TABSTOPS | PFM_SPACEBEFORE | PFM_SHADING;
    format.cTabCount = 4;
    for (int i = 0; i < 4; ++i) format.rgxTabs[i] = kTabStops[i] | kRightAlignedTab;
    format.dySpaceBefore = 100;
    format.wShadingWeight = 100;
    SendMessageA(textArea, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

LayoutSize WindowSize(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

bool ExplainsAnswers()
{
    RetirablePointer<MainWindowFacade>::Lease mainDialog(g_mainDialog);
    return mainDialog && mainDialog->SettingsSnapshot().ExplainAnswers;
}

void BringMainWindowForward()
{
    HWND main = nullptr;
    {
        RetirablePointer<MainWindowFacade>::Lease mainDialog(g_mainDialog);
        if (!mainDialog) return;
        mainDialog->BringToFront();
        main = mainDialog->MainWindow();
    }
    if (main) BringWindowToTop(main);
}

}  // namespace

CProductScanDialog::CProductScanDialog(HWND owner)
    : CDialog(IDD_PRODUCT_SCAN, owner), m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)))
{
}

BOOL CProductScanDialog::OnInitDialog()
{
    m_closeButton.Attach(m_hWnd, IDC_POPUP_CLOSE);
    SetApplicationIcon(m_hWnd, m_hIcon);
    bool explain = m_pResult && ExplainsAnswers();
    // Room for What to do below the specified text, so that it shows unscrolled.
    if (explain) {
        LayoutSize template_ = WindowSize(m_hWnd);
        SetWindowPos(m_hWnd, nullptr, 0, 0, template_.width, template_.height + kWhatToDoHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayoutSize outer = WindowSize(m_hWnd);
    m_textArea.Create(m_hWnd, RECT{10, 10, outer.width, outer.height});
    SetParagraphFormat(m_textArea.Handle());
    if (m_pResult) {
        SetWindowTextA(m_hWnd, ProductTitle(*m_pResult).c_str());
        std::vector<TextRun> runs = ProductRuns(*m_pResult, m_strScanTime);
        if (explain) AppendWhatToDo(runs, *m_pResult);
        for (const TextRun& run : runs) AppendRun(run);
    }
    ShowWindow(m_textArea.Handle(), SW_SHOW);
    // No size event comes before the first show: without this pass the text
    // area would cover the Close button until the user resizes the window.
    RECT client;
    GetClientRect(m_hWnd, &client);
    Layout(client.right, client.bottom);

    BringMainWindowForward();
    BringWindowToTop(m_hWnd);
    return TRUE;
}

void CProductScanDialog::AppendRun(const TextRun& run)
{
    m_textArea.Append(run);
}

void CProductScanDialog::Layout(int cx, int cy)
{
    HWND button = m_closeButton.Handle();
    if (!button) return;
    LayoutSize size = WindowSize(button);
    LayoutPoint place = CentredButton(cx, cy, size);
    SetWindowPos(button, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!m_textArea.Handle()) return;
    LayoutSize area = TextAreaSize(cx, cy, size.height);
    SetWindowPos(m_textArea.Handle(), nullptr, 0, 0, area.width, area.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CProductScanDialog::OnCommand(int id, int, HWND)
{
    if (id == IDC_POPUP_CLOSE) EndDialog(IDOK);
    if (id == IDCANCEL) EndDialog(IDCANCEL);
    return true;  // Enter (IDOK) is ignored
}

INT_PTR CProductScanDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HandlePopUpWindowMessage(m_hWnd, message, wParam, lParam)) return TRUE;
    if (message == WM_SIZE) {
        Layout(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    }
    if (message == WM_DESTROY) m_textArea.Destroy();
    return CDialog::DialogProc(message, wParam, lParam);
}
