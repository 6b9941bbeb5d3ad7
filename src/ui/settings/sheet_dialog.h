// The settings family's modal sheets: white all over, owned by a window
// chosen when they are run (the main window object exists before its window).
#pragma once
#include "framework/dialog.h"

class CSheetDialog : public CDialog {
public:
    using CDialog::CDialog;

    INT_PTR RunModal(HWND owner)
    {
        m_hParent = owner;
        return DoModal();
    }

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
