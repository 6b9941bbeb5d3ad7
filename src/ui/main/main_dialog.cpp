// The main window's start-up, messages, commands, timers and close rule.
#include "ui/main/main_dialog.h"

#include <richedit.h>

#include <thread>

#include "base/text_catalog.h"
#include "core/log.h"
#include "core/program_context.h"
#include "core/test_barcodes.h"
#include "framework/file_ops.h"
#include "res/resource.h"
#include "ui/controls/message_box.h"
#include "ui/controls/popup_window.h"
#include "ui/controls/tooltip.h"
#include "verify/fmd_thread.h"

namespace {

enum Timer : UINT_PTR { kSettingsTimer = 1, kHideTimer = 2, kUpdateTimer = 3, kDecommissionTimer = 6 };
constexpr UINT kSettingsDelayMs = 500, kHideDelayMs = 200, kDecommissionDelayMs = 100;
constexpr UINT kFirstUpdateCheckMs = 5000, kUpdateCheckPeriodMs = 3600000;
constexpr UINT WM_TRAYICON = WM_APP + 1;  // 32769, the icon's callback message
constexpr int kMinTrackWidth = 700, kMinTrackHeight = 400;


}  // namespace

CMainDialog::CMainDialog()
    : CDialog(IDD_MAIN),
      m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))),
      m_taskbarCreated(RegisterWindowMessageA("TaskbarCreated"))
{
}

BOOL CMainDialog::OnInitDialog()
{
    const std::pair<CColorButton*, int> buttons[] = {
        {&m_settingsButton, IDC_SETTINGS},         {&m_contactButton, IDC_CONTACT},
        {&m_updateButton, IDC_UPDATE},             {&m_decommissionButton, IDC_DECOMMISSION_MODE},
        {&m_verifyButton, IDC_VERIFY_MODE},        {&m_recommissionButton, IDC_RECOMMISSION_MODE}};
    for (const auto& [button, id] : buttons) button->Attach(m_hWnd, id);
    m_resultsList.Attach(m_hWnd, IDC_RESULTS);
    m_mainWindow = m_hWnd;
    AddSystemMenuEntry();
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_resultsList.Initialise();
    m_resultsWindow = m_resultsList.Handle();

    ProgramContext* program = ProgramContext::Current();
    m_strScanFolder = (program ? program->AppFolder : std::string()) + "\\Scanned";
    Log("ScanFolder %s", m_strScanFolder.c_str());
    if (!EnsureDirectory(m_strScanFolder)) Failure("Unable to create ScanFolder");
    CFMDThread::RemoveLeftoverFiles(m_strScanFolder);
    m_ports.Attach(m_hWnd);
    m_ports.ScanPorts();
    StartWorker();
    AddTrayIcon();
    ArmStartTimers();
    ShowStatusText();

    RECT outer;
    GetWindowRect(m_hWnd, &outer);
    SetWindowPos(m_hWnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top - 1,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    AddToolTips();
    return FALSE;  // the focus is not moved to the first control
}

void CMainDialog::AddSystemMenuEntry()
{
    HMENU menu = GetSystemMenu(m_hWnd, FALSE);
    if (!menu) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, Text(TextId::MenuAbout));
    AppendMenuA(menu, MF_STRING, IDM_COUNTER_SAFETY, Text(TextId::MenuCounterSafety));
    AppendMenuA(menu, MF_STRING, IDM_SCANNER_TEST, Text(TextId::MenuScannerTest));
    AppendMenuA(menu, MF_STRING, IDM_HISTORY, Text(TextId::MenuScanHistory));
    AppendMenuA(menu, MF_STRING, IDM_DELIVERY, Text(TextId::MenuCheckDelivery));
    AppendMenuA(menu, MF_STRING, IDM_ACTIVITY, Text(TextId::MenuActivityReport));
    AppendMenuA(menu, MF_STRING, IDM_LANGUAGE, Text(TextId::MenuLanguage));
}

void CMainDialog::StartWorker()
{
    m_pWorker = new CFMDThread;
    if (!m_pWorker->CreateThread()) {
        Warning("Unable to start the verification worker");
        delete m_pWorker;
        m_pWorker = nullptr;
    }
}

void CMainDialog::AddTrayIcon()
{
    m_trayIcon.Attach(m_hWnd);
    m_trayIcon.icon = m_hIcon;
    m_trayIcon.callbackMessage = WM_TRAYICON;
    m_trayIcon.Notify(NIM_ADD);
    m_trayIcon.shown = true;
}

void CMainDialog::ArmStartTimers()
{
    m_startTick = GetTickCount64();
    AppSettings settings = m_settings.Snapshot();
    // A password the service refused is not sent again: the sheet asks for another.
    if (settings.Username.empty() || settings.Password.empty() || CFMDThread::KnownRefused(settings, m_strScanFolder))
        SetOneShotTimer(kSettingsTimer, kSettingsDelayMs);
    else
        CheckLoginBesideTheWindow(settings);
    SetOneShotTimer(kUpdateTimer, kFirstUpdateCheckMs);
    SetOneShotTimer(kDecommissionTimer, kDecommissionDelayMs);
}

// The check waits for the service (up to the exchange's time-outs): on a
// thread of its own, the window shows and answers meanwhile, and its answer
// arms the timer that the check decides, counted from the start.
void CMainDialog::CheckLoginBesideTheWindow(const AppSettings& settings)
{
    HWND window = m_hWnd;
    std::string scanFolder = m_strScanFolder;
    std::thread([window, settings, scanFolder] {
        bool accepted = CFMDThread::CheckLogin(settings, scanFolder);
        PostMessageA(window, WM_STARTCHECKED, accepted ? 1 : 0, 0);
    }).detach();
}

void CMainDialog::OnStartCheckAnswered(bool accepted)
{
    ULONGLONG elapsed = GetTickCount64() - m_startTick;
    auto left = [elapsed](UINT delayMs) { return elapsed < delayMs ? static_cast<UINT>(delayMs - elapsed) : 1u; };
    if (!accepted) {
        if (!m_settings.GetSafeHwnd()) SetOneShotTimer(kSettingsTimer, left(kSettingsDelayMs));
    } else if (m_settings.Snapshot().ToTray) {
        SetOneShotTimer(kHideTimer, left(kHideDelayMs));
    }
}

void CMainDialog::ShowStatusText()
{
    HWND status = GetDlgItem(m_hWnd, IDC_STATUS_TEXT);
    SendMessageA(status, EM_SETSEL, 0, -1);
    SendMessageA(status, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Text(TextId::MainStatusText)));
    SendMessageA(status, EM_SETSEL, 0, -1);
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR;
    lstrcpynA(format.szFaceName, "Lucida Sans Unicode", LF_FACESIZE);
    format.yHeight = 250;
    format.crTextColor = RGB(100, 0, 0);
    SendMessageA(status, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

void CMainDialog::AddToolTips()
{
    const struct {
        int id;
        TextId title;
        TextId text;
    } tips[] = {
        {IDC_DECOMMISSION_MODE, TextId::TipDecommissionTitle, TextId::TipDecommission},
        {IDC_VERIFY_MODE, TextId::TipVerifyTitle, TextId::TipVerify},
        {IDC_RECOMMISSION_MODE, TextId::TipRecommissionTitle, TextId::TipRecommission},
        {IDC_SETTINGS, TextId::TipSettingsTitle, TextId::TipSettings},
        {IDC_CONTACT, TextId::TipContactTitle, TextId::TipContact},
        {IDC_UPDATE, TextId::TipUpdateTitle, TextId::TipUpdate},
    };
    for (const auto& tip : tips) CreateToolTip(tip.id, m_hWnd, Text(tip.title), Text(tip.text));
}

void CMainDialog::OnTimer(UINT_PTR id)
{
    switch (id) {
    case kSettingsTimer: OpenSettings(); break;
    case kHideTimer: HideToTray(); break;
    case kUpdateTimer:
        CheckForUpdate();
        SetOneShotTimer(kUpdateTimer, kUpdateCheckPeriodMs);
        break;
    case kDecommissionTimer: SetDecommissionMode(true); break;
    default: break;
    }
}

void CMainDialog::OpenSettings() { m_settings.RunModal(m_hWnd); }

void CMainDialog::AccountRefused()
{
    HWND window = m_mainWindow.load();
    if (window) PostMessageA(window, WM_ACCOUNTREFUSED, 0, 0);
}

void CMainDialog::HideToTrayAfter(unsigned milliseconds) { SetOneShotTimer(kHideTimer, milliseconds); }

bool CMainDialog::OnCommand(int id, int notifyCode, HWND control)
{
    switch (id) {
    case IDOK: return true;  // Enter must never end the program's one window
    case IDCANCEL: OnClose(); return true;
    case IDC_SETTINGS: OpenSettings(); return true;
    case IDC_CONTACT:
    case ID_TRAY_ABOUT: ShowAbout(); return true;
    case ID_TRAY_COUNTER_SAFETY: ShowCounterSafety(); return true;
    case IDC_UPDATE: DownloadUpdate(); return true;
    case IDC_VERIFY_MODE: SetVerifyMode(); return true;
    case IDC_RECOMMISSION_MODE: SetRecommissionMode(); return true;
    case IDC_DECOMMISSION_MODE: SetDecommissionMode(false); return true;
    case ID_TRAY_SHOW:
    case ID_TRAY_TITLE: BringToFront(); return true;
    case ID_TRAY_SCANNER_TEST: ShowScannerTest(); return true;
    case ID_TRAY_HISTORY: ShowHistory(); return true;
    case ID_TRAY_DELIVERY: ShowDelivery(); return true;
    case ID_TRAY_ACTIVITY: ShowActivityReport(); return true;
    case ID_TRAY_LANGUAGE: ShowLanguageChooser(); return true;
    default:
        if (const char* barcode = TestBarcodeFor(id)) {
            InjectTestBarcode(barcode);
            return true;
        }
        return CDialog::OnCommand(id, notifyCode, control);
    }
}

void CMainDialog::OnClose()
{
    AppSettings settings = m_settings.Snapshot();
    if (!IsTestAccount(settings.Username)) {
        if (settings.ToTray) HideToTray();
        return;
    }
    bool quit = ShowMessageBox(Text(TextId::MainQuitQuestion), "", MessageBoxButtons::YesNo) != 0;
    Log("Quit question answered %s", quit ? "Yes" : "No");
    if (!quit) return;
    m_ports.CloseAllPorts();
    EndDialog(IDCANCEL);
}

INT_PTR CMainDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == m_taskbarCreated) {
        // The shell restarted and forgot the icon: without it a hidden window
        // could only be reached by starting the program again.
        if (m_trayIcon.shown) m_trayIcon.Notify(NIM_ADD);
        return TRUE;
    }
    switch (message) {
    case WM_DEVICECHANGE:
    case WM_READERENDED: {
        LRESULT result = 0;
        m_ports.HandleMessage(message, wParam, lParam, result);
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_HELDSCAN:
        OnHeldScanPosted(reinterpret_cast<HeldScan*>(lParam));
        return TRUE;
    case WM_STARTCHECKED:
        OnStartCheckAnswered(wParam != 0);
        return TRUE;
    case WM_ACCOUNTREFUSED:
        // Asks for the password where it is typed in, unless already asking.
        if (!m_settings.GetSafeHwnd()) OpenSettings();
        return TRUE;
    case WM_TRAYICON:
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, OnTrayEvent(lParam));
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_COUNTER_SAFETY) {
            ShowCounterSafety();
            return TRUE;
        }
        if ((wParam & 0xFFF0) == IDM_SCANNER_TEST) {
            ShowScannerTest();
            return TRUE;
        }
        if ((wParam & 0xFFF0) == IDM_LANGUAGE) {
            ShowLanguageChooser();
            return TRUE;
        }
        if ((wParam & 0xFFF0) == IDM_HISTORY) {
            ShowHistory();
            return TRUE;
        }
        if ((wParam & 0xFFF0) == IDM_DELIVERY) {
            ShowDelivery();
            return TRUE;
        }
        if ((wParam & 0xFFF0) == IDM_ACTIVITY) {
            ShowActivityReport();
            return TRUE;
        }
        if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return FALSE;
        ShowAbout();
        return TRUE;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {kMinTrackWidth, kMinTrackHeight};
        return TRUE;
    case WM_ERASEBKGND: return EraseToWhite(m_hWnd, message, wParam);
    case WM_PAINT: return OnPaintMinimised();
    case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC: return reinterpret_cast<INT_PTR>(WhiteBrush());
    case WM_DESTROY:
        m_ports.CloseAllPorts();
        m_resultsWindow = nullptr;
        m_mainWindow = nullptr;
        return CDialog::DialogProc(message, wParam, lParam);
    case WM_NCDESTROY: {
        INT_PTR handled = CDialog::DialogProc(message, wParam, lParam);
        m_trayIcon.Remove();
        return handled;
    }
    default: return CDialog::DialogProc(message, wParam, lParam);
    }
}

bool CMainDialog::OnPaintMinimised()
{
    if (!IsIconic(m_hWnd)) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client;
    GetClientRect(m_hWnd, &client);
    int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return true;
}

MessageBoxFunction CMainDialog::MessageBoxShower() const { return &ShowMessageBox; }
