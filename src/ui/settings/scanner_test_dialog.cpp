// CScannerTestDialog: the verdict comes from the portable comparison; the
// printable sheet is the PNG the build drew, stored in the resources.
#include "ui/settings/scanner_test_dialog.h"

#include <memory>

#include "base/string_format.h"
#include "base/text_catalog.h"
#include "core/log.h"
#include "framework/win_handle.h"
#include "packcode/scanner_test_check.h"
#include "packcode/scanner_test_codes.h"
#include "res/resource.h"
#include "ui/controls/save_dialog.h"

namespace {

std::string SheetPicture()
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_SCANNER_TEST_SHEET), MAKEINTRESOURCEA(10));  // RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    return bytes ? std::string(static_cast<const char*>(bytes), SizeofResource(module, found)) : std::string();
}

bool WritePicture(const std::string& path, const std::string& bytes)
{
    FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && !bytes.empty() &&
           WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string VerdictText(const ScannerTestVerdict& verdict)
{
    // The findings come in English, as the trace log keeps them.
    auto shown = [](const std::string& english) { return ShownTextIn(english, kScannerTestFirst, kScannerTestLast); };
    std::string codeName = shown(verdict.codeName);
    if (verdict.faults.empty()) return StringPrintf(Text(TextId::ScannerSetUpCorrectly), codeName.c_str());
    std::string text = codeName.empty() ? "" : StringPrintf(Text(TextId::ScannerChangeSettings), codeName.c_str());
    for (const std::string& fault : verdict.faults) text += "- " + shown(fault) + "\r\n";
    return text;
}

}  // namespace

CScannerTestDialog::CScannerTestDialog(std::atomic<HWND>& openWindow)
    : CSheetDialog(IDD_SCANNER_TEST), m_openWindow(openWindow)
{
}

bool CScannerTestDialog::PostScan(HWND window, const std::string& scan)
{
    auto copy = std::make_unique<std::string>(scan);
    if (!window || !PostMessageA(window, WM_SCANNERTESTSCAN, 0, reinterpret_cast<LPARAM>(copy.get()))) return false;
    copy.release();  // the window owns it now
    return true;
}

BOOL CScannerTestDialog::OnInitDialog()
{
    std::string left = Text(TextId::ScannerTestLeft) + ShowControlCharacters(SCANNER_TEST_GS1_CODE);
    std::string right = Text(TextId::ScannerTestRight) + ShowControlCharacters(SCANNER_TEST_PPN_CODE);
    SetDlgItemTextA(m_hWnd, IDC_SCANNER_TEST_GS1_TEXT, left.c_str());
    SetDlgItemTextA(m_hWnd, IDC_SCANNER_TEST_PPN_TEXT, right.c_str());
    m_saveButton.Attach(m_hWnd, IDC_SCANNER_TEST_SAVE);
    m_closeButton.Attach(m_hWnd, IDOK);
    m_intro.Attach(m_hWnd, IDC_SCANNER_TEST_INTRO);
    m_gs1Text.Attach(m_hWnd, IDC_SCANNER_TEST_GS1_TEXT);
    m_ppnText.Attach(m_hWnd, IDC_SCANNER_TEST_PPN_TEXT);
    m_verdict.Attach(m_hWnd, IDC_SCANNER_TEST_VERDICT);
    m_openWindow.store(m_hWnd);
    Log("Scanner test opened: scans are checked, not sent");
    return TRUE;
}

bool CScannerTestDialog::OnCommand(int id, int notifyCode, HWND control)
{
    switch (id) {
    case IDC_SCANNER_TEST_SAVE: SavePicture(); return true;
    case IDOK:
    case IDCANCEL: Close(); return true;
    default: return CSheetDialog::OnCommand(id, notifyCode, control);
    }
}

INT_PTR CScannerTestDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SCANNERTESTSCAN) {
        std::unique_ptr<std::string> scan(reinterpret_cast<std::string*>(lParam));
        ShowVerdict(*scan);
        return TRUE;
    }
    return CSheetDialog::DialogProc(message, wParam, lParam);
}

void CScannerTestDialog::ShowVerdict(const std::string& scan)
{
    ScannerTestVerdict verdict = CheckScannerTestScan(scan);
    Log("Scanner test: scan |%s| - %s", ShowControlCharacters(scan).c_str(),
        verdict.faults.empty() ? kScannerSetUpCorrectly : verdict.faults.front().c_str());
    m_verdict.SetText(VerdictText(verdict));
}

void CScannerTestDialog::SavePicture()
{
    std::string path = "scanner-test.png";
    if (!AskSavePath(m_hWnd, Text(TextId::FileTypePicture), "png", path)) return;
    bool saved = WritePicture(path, SheetPicture());
    Log("Scanner test picture %s %s", saved ? "saved to" : "could not be saved to", path.c_str());
    m_verdict.SetText(StringPrintf(Text(saved ? TextId::PictureSaved : TextId::PictureNotSaved), path.c_str()));
}

void CScannerTestDialog::Close()
{
    // From here on scans are spooled again; one already posted is a test scan
    // and is dropped with the window.
    m_openWindow.store(nullptr);
    MSG pending;
    while (PeekMessageA(&pending, m_hWnd, WM_SCANNERTESTSCAN, WM_SCANNERTESTSCAN, PM_REMOVE))
        delete reinterpret_cast<std::string*>(pending.lParam);
    EndDialog(IDOK);
}
