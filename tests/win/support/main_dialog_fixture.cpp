// Running the real main dialog on a window thread of the test.
#include "support/main_dialog_fixture.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include "core/scan_result_post.h"
#include "core/settings_store.h"
#include "res/resource.h"
#include "support/scan_fixture.h"

BOOL TestMainDialog::OnInitDialog()
{
    BOOL result = CMainDialog::OnInitDialog();
    initialised = true;
    return result;
}

void TestMainDialog::OpenSettings()
{
    settingsOpenedAt = GetTickCount64();
    ++settingsOpened;
    if (openRealSettings) CMainDialog::OpenSettings();
}

INT_PTR TestMainDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_END_TEST) {
        m_ports.CloseAllPorts();
        EndDialog(IDCANCEL);
        return TRUE;
    }
    if (message == WM_CHECK_FOR_UPDATE) CheckForUpdate();
    if (message == WM_DOWNLOAD_DRIVER) DownloadAndRun(driverName);
    return CMainDialog::DialogProc(message, wParam, lParam);
}

void SetProgramSetting(const char* name, const std::string& value)
{
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (value.empty())
        RegDeleteValueA(key, name);
    else
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

MainDialogFixture::MainDialogFixture(const MainDialogSettings& settings)
{
    // As start-up does: the main window's template uses both libraries.
    LoadLibraryA("riched20.dll");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (!ProgramContext::Current()) m_context = std::make_unique<ProgramContext>();
    ProgramContext::Current()->SetAppFolder(m_folder.Path());
    // As the program's start-up makes it.
    ProgramContext::Current()->DownloadFolder = m_folder / "Downloads";
    CreateDirectoryA(ProgramContext::Current()->DownloadFolder.c_str(), nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    SetProgramSetting("Username", settings.username);
    SetProgramSetting("Password", settings.password);
    SetProgramSetting("ToTray", settings.toTray);
    StandinClient standin;
    std::string standinHost = standin.Available() ? standin.Host() : "127.0.0.1:1";
    SetProgramSetting("ServiceHost", settings.serviceHost.empty() ? standinHost : settings.serviceHost);
    SetProgramSetting("UpdateHost", standinHost);
    SetProgramSetting("KeepScansDuringOutage", settings.keepScans);
    m_dialog = std::make_unique<TestMainDialog>();
}

MainDialogFixture::~MainDialogFixture()
{
    End();
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

bool MainDialogFixture::Start()
{
    g_mainDialog.Publish(m_dialog.get());
    m_startedAt = GetTickCount64();
    m_ended = false;
    m_thread = std::thread([this] {
        m_dialog->DoModal();
        m_ended = true;
    });
    WaitFor([&] { return m_dialog->initialised.load(); }, 30000);
    m_window = m_dialog->GetSafeHwnd();
    return m_window != nullptr;
}

void MainDialogFixture::End()
{
    if (!m_thread.joinable()) return;
    // A pop-up or sheet still open would keep the dialog's thread in its
    // modal loop: close them, and again any that an answer still on its way
    // opens meanwhile, until the thread has ended.
    const DWORD thread = GetWindowThreadProcessId(m_window, nullptr);
    while (!m_ended.load()) {
        std::vector<HWND> open;
        EnumThreadWindows(thread, [](HWND window, LPARAM list) {
            auto* windows = reinterpret_cast<std::vector<HWND>*>(list);
            char name[16] = "";
            GetClassNameA(window, name, sizeof name);
            if (IsWindowVisible(window) && std::string(name) == "#32770") windows->push_back(window);
            return TRUE;
        }, reinterpret_cast<LPARAM>(&open));
        for (HWND window : open)
            if (window != m_window) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        if (HWND window = m_dialog->GetSafeHwnd()) PostMessageA(window, TestMainDialog::WM_END_TEST, 0, 0);
        WaitFor([&] { return m_ended.load(); }, 1000);
    }
    m_thread.join();
    g_mainDialog.Retire(std::chrono::seconds(10));
}

bool MainDialogFixture::Running() const { return m_dialog->GetSafeHwnd() != nullptr; }

HWND MainDialogFixture::List() const { return GetDlgItem(m_window, IDC_RESULTS); }

int MainDialogFixture::RowCount() const { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }

std::string MainDialogFixture::Cell(int row, int column) const { return ListViewCell(List(), row, column); }

ScanResult* MainDialogFixture::RowRecord(int row) const
{
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return reinterpret_cast<ScanResult*>(item.lParam);
}

bool MainDialogFixture::RowColour(int row, COLORREF& colour) const
{
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.hwndFrom = List();
    draw.nmcd.hdr.idFrom = IDC_RESULTS;
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.nmcd.dwItemSpec = row;
    draw.clrTextBk = CLR_DEFAULT;
    LRESULT answer = SendMessageA(m_window, WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&draw));
    colour = draw.clrTextBk;
    return answer != CDRF_DODEFAULT && draw.clrTextBk != CLR_DEFAULT;
}

std::vector<std::string> MainDialogFixture::LogRows() const
{
    std::vector<std::string> rows;
    for (int row = 0; row < RowCount(); ++row)
        if (!RowRecord(row)) rows.push_back(Cell(row, 3));
    return rows;
}

std::string MainDialogFixture::Trace() const { return ReadBytes(m_folder / "Logs\\trace-1.txt"); }

void MainDialogFixture::Send(ScanResult* record) const
{
    SendMessageA(List(), WM_SCANRESULT, 0, reinterpret_cast<LPARAM>(record));
}

void MainDialogFixture::Post(ScanResult* record) const { PostScanResult(List(), record); }

ScanResult* MakeRecord(int32_t kind, int32_t mode, const std::string& key, const std::string& statusText,
                       const std::string& status)
{
    auto* record = new ScanResult;
    record->kind = kind;
    record->mode = mode;
    record->key = key;
    record->statusText = statusText;
    record->status = status;
    record->barcode = "0104150123456782" "21" + key;
    return record;
}

bool TrayIconPresent(HWND window)
{
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = 0;
    data.uFlags = 0;  // changes nothing of the icon
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}
