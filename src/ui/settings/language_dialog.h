// The "Language" chooser: the six languages by their own names; the choice
// is written to the registry value "Language" and applies at the next start.
// A language the system's code page cannot show is not saved: the chooser
// says why and English stays.
#pragma once
#include "ui/settings/sheet_dialog.h"

class CLanguageDialog : public CSheetDialog {
public:
    CLanguageDialog();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;

private:
    void Choose();
};
