// CResetScannerDialog: pictures only; "&Close" ends it.
#include "ui/settings/reset_scanner_dialog.h"

#include "res/resource.h"

CResetScannerDialog::CResetScannerDialog() : CSheetDialog(IDD_RESET_SCANNER) {}

BOOL CResetScannerDialog::OnInitDialog()
{
    m_closeButton.Attach(m_hWnd, IDOK);
    m_text.Attach(m_hWnd, IDC_RESET_TEXT);
    return TRUE;
}
