// The product result pop-up (dialog 134): one scan result in detail, with the
// pack's GTIN, lot, expiry and serial number when the service knew the pack.
// It only reads the record, which its opener keeps alive while it is open.
#pragma once
#include <string>

#include "core/scan_result.h"
#include "framework/dialog.h"
#include "ui/controls/color_button.h"
#include "ui/controls/rich_text.h"
#include "ui/controls/text_runs.h"

class CProductScanDialog : public CDialog {
public:
    explicit CProductScanDialog(HWND owner);

    void AppendRun(const TextRun& run);
    HWND TextArea() const { return m_textArea.Handle(); }

    const ScanResult* m_pResult = nullptr;  // not owned; may be null
    std::string m_strScanTime;              // the Date/Time text of the result's row

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout(int cx, int cy);

    RichTextArea m_textArea;
    HICON m_hIcon;
    CColorButton m_closeButton;
};
