// CAboutDialog: the version label comes from the one version the program has.
#include "ui/settings/about_dialog.h"

#include "res/resource.h"
#include "res/version.h"

CAboutDialog::CAboutDialog() : CSheetDialog(IDD_ABOUTBOX) {}

BOOL CAboutDialog::OnInitDialog()
{
    SetDlgItemTextA(m_hWnd, IDC_ABOUT_VERSION, "QuorvixFMD Pellwick Version " PELLWICK_VERSION);
    m_okButton.Attach(m_hWnd, IDOK);
    m_version.Attach(m_hWnd, IDC_ABOUT_VERSION);
    m_contact.Attach(m_hWnd, IDC_ABOUT_CONTACT);
    return TRUE;
}
