// The main window's set-up and painting.
#include "ui/main/main_dialog.h"

#include <mmsystem.h>

#include "core/program_context.h"
#include "core/log.h"
#include "core/settings_store.h"
#include "framework/file_ops.h"
#include "verify/fmd_thread.h"
#include "res/resource.h"
#include "ui/controls/message_box.h"

CMainDialog::CMainDialog()
    : CDialog(IDD_MAIN),
      m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))),
      m_whiteBrush(CreateSolidBrush(RGB(255, 255, 255)))
{
    AppSettings loaded;
    LoadSettings(loaded);
    m_settings.Replace(loaded);
}

BOOL CMainDialog::OnInitDialog()
{
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_resultsWindow = GetDlgItem(m_hWnd, IDC_RESULTS);
    m_mainWindow = m_hWnd;

    ProgramContext* app = ProgramContext::Current();
    m_strScanFolder = (app ? app->AppFolder : std::string()) + "\\Scanned";
    if (!EnsureDirectory(m_strScanFolder)) Failure("Unable to create ScanFolder");
    m_ports.Attach(m_hWnd);
    m_ports.ScanPorts();
    m_pWorker = new CFMDThread;
    if (!m_pWorker->CreateThread()) {
        Warning("Unable to start the verification worker");
        delete m_pWorker;
        m_pWorker = nullptr;
    }
    return TRUE;
}

bool CMainDialog::OnCommand(int id, int notifyCode, HWND control)
{
    // Enter must never end the program's one window.
    if (id == IDOK) return true;
    return CDialog::OnCommand(id, notifyCode, control);
}

INT_PTR CMainDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DEVICECHANGE:
    case WM_READERENDED: {
        LRESULT result = 0;
        m_ports.HandleMessage(message, wParam, lParam, result);
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_DESTROY:
        m_ports.CloseAllPorts();
        m_resultsWindow = nullptr;
        m_mainWindow = nullptr;
        return CDialog::DialogProc(message, wParam, lParam);
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(m_whiteBrush.Get());
    default:
        return CDialog::DialogProc(message, wParam, lParam);
    }
}

void CMainDialog::PlayScanSound()
{
    if (!PlaySoundA("SystemDefault", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT)) MessageBeep(MB_OK);
}

MessageBoxFunction CMainDialog::MessageBoxShower() const { return &ShowMessageBox; }
