// White background of the sheets, also behind their pictures and icons.
#include "ui/settings/sheet_dialog.h"

#include "ui/controls/popup_window.h"

INT_PTR CSheetDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (EraseToWhite(m_hWnd, message, wParam)) return TRUE;
    if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(WhiteBrush());
    return CDialog::DialogProc(message, wParam, lParam);
}
