// The scanner test window: the two test codes with their text, and the
// verdict on each scan that arrives while it is open (no scan is spooled
// meanwhile). "Save picture..." writes the codes as a PNG for printing.
#pragma once
#include <atomic>
#include <string>

#include "ui/controls/color_button.h"
#include "ui/controls/text_label.h"
#include "ui/settings/sheet_dialog.h"

// Posted to the window with a heap-allocated std::string (the scan with its
// line ending) in lParam; the window deletes it.
constexpr UINT WM_SCANNERTESTSCAN = WM_APP + 22;

class CScannerTestDialog : public CSheetDialog {
public:
    // `openWindow` holds the window's handle while it is open: the readers'
    // way to it.
    explicit CScannerTestDialog(std::atomic<HWND>& openWindow);

    // Hands a scan to the open window; false when none is open.
    static bool PostScan(HWND window, const std::string& scan);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowVerdict(const std::string& scan);
    void SavePicture();
    void Close();

    std::atomic<HWND>& m_openWindow;
    CColorButton m_saveButton, m_closeButton;
    CTextLabel m_intro, m_gs1Text, m_ppnText, m_verdict;
};
