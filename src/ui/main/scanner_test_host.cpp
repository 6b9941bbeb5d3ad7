// The main window's side of the scanner test: it opens the window and
// passes the readers' scans to it while it is open.
#include "ui/main/main_dialog.h"
#include "ui/settings/scanner_test_dialog.h"

bool CMainDialog::TakeScannerTestScan(const std::string& scanWithLineEnding)
{
    return CScannerTestDialog::PostScan(m_scannerTestWindow.load(), scanWithLineEnding);
}

void CMainDialog::ShowScannerTest()
{
    if (HWND open = m_scannerTestWindow.load()) {
        SetForegroundWindow(open);
        return;
    }
    CScannerTestDialog test(m_scannerTestWindow);
    test.RunModal(m_hWnd);
}
