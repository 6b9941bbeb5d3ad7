// Start-up: single instance, folders, crash handler, log, sockets, controls,
// and the main dialog for the life of the process.
#include "app/fmd_app.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <winsock2.h>

#include <memory>

#include "app/crash_filter.h"
#include "app/export_history_command.h"
#include "app/report_command.h"
#include "app/instance_rules.h"
#include "base/text_catalog.h"
#include "core/log.h"
#include "core/settings_store.h"
#include "framework/ui_language.h"
#include "app/single_instance.h"
#include "res/resource.h"
#include "framework/file_ops.h"
#include "framework/system_library.h"
#include "ui/main/main_dialog.h"
#include "ui/update/installer_fetch.h"

namespace {

// How long the end of the process waits for other threads to let go of the
// main dialog before it leaves the object alive instead of destroying it.
constexpr std::chrono::milliseconds kMainDialogRetireWait{2000};

}  // namespace

CFMDApp::CFMDApp() : m_startTick(GetTickCount64()) {}

CFMDApp::~CFMDApp() = default;

CFMDApp* CFMDApp::Current() { return static_cast<CFMDApp*>(CWinApp::Current()); }

uint64_t CFMDApp::MillisecondsSinceStart() const { return GetTickCount64() - m_startTick; }

void CFMDApp::SetCommandLine(const std::string& commandLine)
{
    m_strCmdLine = commandLine;
    m_bRestarted = IsRestartCommandLine(commandLine.c_str());
}

bool CFMDApp::InitInstance()
{
    RestrictDllSearchToSystemFolder();
    SetCommandLine(m_strCmdLine);
    // A scheduled export runs beside the counter's instance, with no window.
    if (IsExportHistoryCommand(m_strCmdLine)) {
        m_exitCode = RunExportHistoryCommand(m_strCmdLine);
        return false;
    }
    if (IsReportCommand(m_strCmdLine)) {
        // The page is printed for the pharmacy: in its language. What the
        // command says on the console stays English, for scripts.
        ApplyLanguageSetting();
        m_exitCode = RunReportCommand(m_strCmdLine);
        return false;
    }
    if (!CheckSingleInstance()) {
        m_exitCode = 1;
        return false;
    }
    CreateFolders();
    ApplyLanguageSetting();
    if (!InitSockets()) return false;
    InitControls();
    RunMainDialog();
    return false;
}

bool CFMDApp::CheckSingleInstance()
{
    if (m_bRestarted) {
        // The crashed process may still be ending; it is not looked for.
        Sleep(100);
        return true;
    }
    HWND running = FindRunningInstance();
    if (!running) return true;
    BringInstanceForward(running);
    return false;
}

void CFMDApp::CreateFolders()
{
    char roaming[MAX_PATH] = "";
    HRESULT result = SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming);
    if (FAILED(result)) {
        // Without the per-user folder there is nowhere to keep scans: stop.
        SetLastError(static_cast<DWORD>(result));
        Failure("Failed to create application folder");
    }
    SetAppFolder(std::string(roaming) + "\\QuorvixFMD Pellwick");
    if (!EnsureDirectory(AppFolder)) Failure("Failed to create application folder");

    InstallCrashFilter();
    Log("Application started");
    Log("AppFolder %s", AppFolder.c_str());

    DownloadFolder = AppFolder + "\\Downloads";
    if (!EnsureDirectory(DownloadFolder)) Failure("Unable to create download folder");
    RemoveLeftoverDownloads(DownloadFolder);
}

void CFMDApp::ApplyLanguageSetting()
{
    // Read once: a language chosen later applies at the next start.
    std::string code = ReadSetting("Language", "en");
    if (!ApplyUiLanguage(code)) Log("Language %s cannot be shown in this code page: English stays", code.c_str());
}

bool CFMDApp::InitSockets()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) == 0) return true;
    MessageBoxA(nullptr, Text(TextId::SocketsInitFailed), "QuorvixFMD Pellwick", MB_OK);
    return false;
}

void CFMDApp::InitControls()
{
    // The main window, the message box and the pop-ups use rich-edit controls.
    LoadSystemLibrary("riched20.dll");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
}

void CFMDApp::RunMainDialog()
{
    auto dialog = std::make_unique<CMainDialog>();
    g_mainDialog.Publish(dialog.get());
    dialog->DoModal();
    // Reader and worker threads are not stopped at the end; they reach the
    // dialog only through leases, so it is destroyed only once none is held.
    if (!g_mainDialog.Retire(kMainDialogRetireWait)) {
        Log("Main dialog still in use at exit; left to the end of the process");
        dialog.release();
    }
}
