// The About box: logo, icon, the program's version and the support contact.
#pragma once
#include "ui/controls/color_button.h"
#include "ui/controls/text_label.h"
#include "ui/settings/sheet_dialog.h"

class CAboutDialog : public CSheetDialog {
public:
    CAboutDialog();

protected:
    BOOL OnInitDialog() override;

private:
    CColorButton m_okButton;
    CTextLabel m_version, m_contact;
};
