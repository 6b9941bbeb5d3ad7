// CSettingsDialog: Save only what the service accepts; Cancel puts the stored
// values back, and hides the main window soon when they are not usable.
#include "ui/settings/settings_dialog.h"

#include "base/text_catalog.h"
#include "core/log.h"
#include "core/settings_store.h"
#include "res/resource.h"
#include "ui/controls/message_box.h"
#include "verify/fmd_thread.h"

namespace {

constexpr unsigned kHideAfterCancelMs = 2000;
// Room for the notice of a refused password, in dialog units: two lines.
constexpr int kNoticeHeightDlu = 22;
constexpr COLORREF kNoticeColour = RGB(160, 0, 0);

// The credentials check holds the window until the service answers: the
// hourglass tells the pharmacist that the program is working.
class WaitCursor {
public:
    WaitCursor() : m_previous(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(m_previous); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR m_previous;
};

}  // namespace

CSettingsDialog::CSettingsDialog(SettingsSheetOwner& owner) : CSheetDialog(IDD_SETTINGS), m_owner(owner)
{
    AppSettings loaded;
    LoadSettings(loaded);
    m_values.Replace(loaded);
}

BOOL CSettingsDialog::OnInitDialog()
{
    AttachControls();
    AppSettings values = m_values.Snapshot();
    SetDlgItemTextA(m_hWnd, IDC_USERNAME, values.Username.c_str());
    SetDlgItemTextA(m_hWnd, IDC_PASSWORD, values.Password.c_str());
    SetDlgItemTextA(m_hWnd, IDC_PROXY, values.Proxy.c_str());
    if (CFMDThread::KnownRefused(values, m_owner.ScanFolder())) ShowNotice(Text(TextId::SettingsPasswordRefused));
    return TRUE;
}

void CSettingsDialog::ShowNotice(const std::string& text)
{
    RECT room{5, 4, 345, 4 + kNoticeHeightDlu};
    MapDialogRect(m_hWnd, &room);
    int shift = room.bottom;
    for (HWND child = GetWindow(m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
        SetWindowPos(child, nullptr, place.left, place.top + shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame;
    GetWindowRect(m_hWnd, &frame);
    SetWindowPos(m_hWnd, nullptr, frame.left, frame.top - shift / 2, frame.right - frame.left,
                 frame.bottom - frame.top + shift, SWP_NOZORDER | SWP_NOACTIVATE);
    HWND notice = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, room.left, room.top,
                                  room.right - room.left, room.bottom - room.top, m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SETTINGS_NOTICE)),
                                  GetModuleHandleA(nullptr), nullptr);
    m_notice.Attach(m_hWnd, IDC_SETTINGS_NOTICE);
    m_notice.SetColour(kNoticeColour);
    InvalidateRect(notice, nullptr, TRUE);
}

void CSettingsDialog::AttachControls()
{
    const std::pair<CColorButton*, int> buttons[] = {
        {&m_saveButton, IDOK},
        {&m_cancelButton, IDCANCEL},
        {&m_cipherLabDriverButton, IDC_INSTALL_CIPHERLAB},
        {&m_symbolDriverButton, IDC_INSTALL_SYMBOL},
        {&m_resetButton, IDC_RESET_SCANNER}};
    for (const auto& [button, id] : buttons) button->Attach(m_hWnd, id);
    const std::pair<CFramePanel*, int> frames[] = {
        {&m_accountFrame, IDC_ACCOUNT_FRAME}, {&m_cipherLabFrame, IDC_CIPHERLAB_FRAME}, {&m_symbolFrame, IDC_SYMBOL_FRAME}};
    for (const auto& [frame, id] : frames) frame->Attach(m_hWnd, id);
    const std::pair<CTextLabel*, int> labels[] = {
        {&m_usernameLabel, IDC_USERNAME_LABEL}, {&m_passwordLabel, IDC_PASSWORD_LABEL},
        {&m_proxyLabel, IDC_PROXY_LABEL},       {&m_cipherLabText, IDC_CIPHERLAB_TEXT},
        {&m_symbolText, IDC_SYMBOL_TEXT},       {&m_webVersionText, IDC_WEB_VERSION_TEXT}};
    for (const auto& [label, id] : labels) label->Attach(m_hWnd, id);
}

bool CSettingsDialog::OnCommand(int id, int notifyCode, HWND control)
{
    switch (id) {
    case IDOK: OnSave(); return true;
    case IDCANCEL: OnCancel(); return true;
    case IDC_RESET_SCANNER: m_resetScanner.RunModal(m_hWnd); return true;
    case IDC_INSTALL_CIPHERLAB: InstallDriver(ScannerDriver::CipherLab); return true;
    case IDC_INSTALL_SYMBOL: InstallDriver(ScannerDriver::Symbol); return true;
    default: return CSheetDialog::OnCommand(id, notifyCode, control);
    }
}

void CSettingsDialog::InstallDriver(ScannerDriver driver)
{
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    m_owner.DownloadAndRun(DriverInstallerName(driver, folder));
}

std::string CSettingsDialog::EditText(int id) const
{
    char text[1025] = "";
    GetDlgItemTextA(m_hWnd, id, text, sizeof text);
    return text;
}

bool CSettingsDialog::CheckLogin(const AppSettings& settings)
{
    return CFMDThread::CheckLogin(settings, m_owner.ScanFolder());
}

bool CSettingsDialog::CredentialsAccepted(const AppSettings& settings, bool typedIn)
{
    if (settings.Username.empty() || settings.Password.empty()) return false;
    // Only the pharmacist's own Save sends a refused password again.
    if (!typedIn && CFMDThread::KnownRefused(settings, m_owner.ScanFolder())) return false;
    WaitCursor wait;
    return CheckLogin(settings);
}

void CSettingsDialog::OnSave()
{
    AppSettings values = m_values.Snapshot();
    values.Username = EditText(IDC_USERNAME);
    values.Password = EditText(IDC_PASSWORD);
    values.Proxy = EditText(IDC_PROXY);
    // The worker sends with these from now on, accepted or not, until a
    // Cancel puts the stored ones back.
    m_values.Replace(values);
    if (CredentialsAccepted(values, true)) {
        SaveSettings(values);
        EndDialog(IDOK);
        return;
    }
    Log("Settings not saved: scans are sent with the unsaved credentials until the settings are cancelled");
    ShowMessageBox(Text(TextId::InvalidCredentials), "", MessageBoxButtons::Ok);
}

void CSettingsDialog::OnCancel()
{
    AppSettings stored = m_values.Snapshot();
    LoadSettings(stored);
    m_values.Replace(stored);
    if (!CredentialsAccepted(stored, false)) m_owner.HideToTrayAfter(kHideAfterCancelMs);
    EndDialog(IDCANCEL);
}

void CSettingsDialog::ReloadSwitches()
{
    AppSettings stored;
    LoadSettings(stored);
    AppSettings values = m_values.Snapshot();
    values.AllowPlainHttp = stored.AllowPlainHttp;
    values.KeepScansDuringOutage = stored.KeepScansDuringOutage;
    values.GuardDoubleScans = stored.GuardDoubleScans;
    values.DoubleScanMinutes = stored.DoubleScanMinutes;
    values.HoldImplausibleScans = stored.HoldImplausibleScans;
    values.ExplainAnswers = stored.ExplainAnswers;
    m_values.Replace(values);
}
