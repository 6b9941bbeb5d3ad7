// The "Reset Scanner" sheet: the codes that return either scanner to the
// web version of the service.
#pragma once
#include "ui/controls/color_button.h"
#include "ui/controls/text_label.h"
#include "ui/settings/sheet_dialog.h"

class CResetScannerDialog : public CSheetDialog {
public:
    CResetScannerDialog();

protected:
    BOOL OnInitDialog() override;

private:
    CColorButton m_closeButton;
    CTextLabel m_text;
};
