// The main window as a pharmacist meets it, in a real window under Wine:
// start-up timers, the mode banner, close, minimise, pin and tray rules, and
// the mode switches.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>

#include "res/resource.h"
#include "support/main_dialog_fixture.h"
#include "verify/account_refusal.h"
#include "verify/fmd_thread.h"
#include "support/scan_fixture.h"

namespace {

bool IsTopMost(HWND window) { return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

void Command(HWND window, int id) { SendMessageA(window, WM_COMMAND, id, 0); }

bool Highlighted(MainDialogFixture& main, int32_t mode)
{
    const ButtonColours& colours = main.Dialog().ModeButton(mode).Colours();
    return colours.m_color == RunColour{200, 230, 200};
}

}  // namespace

TEST(MainDialog, MissingCredentialsOpenTheSettingsSheetAfterHalfASecondAndCancelHidesTheWindow)
{
    MainDialogFixture main({"", "s3cret", "1", "", ""});
    main.Dialog().openRealSettings = true;
    ASSERT_TRUE(main.Start());
    ASSERT_TRUE(WaitFor([&] { return main.Dialog().settingsOpened == 1; }, 5000));
    ULONGLONG after = main.Dialog().settingsOpenedAt - main.StartedAt();
    EXPECT_GE(after, 500u);
    EXPECT_LT(after, 3000u);
    Sleep(400);
    EXPECT_TRUE(IsWindowVisible(main.Window())) << "missing credentials never hide the window";
    EXPECT_EQ(main.Dialog().settingsOpened, 1) << "timer 1 fires once";

    // Exactly one Decommission switch at start, from the forced timer.
    EXPECT_EQ(main.LogRows(), std::vector<std::string>{"Decommission Mode On"});
    EXPECT_EQ(CountOf(main.Trace(), ") Decommission Mode On\r\n"), 1u);
    char banner[128] = "";
    GetWindowTextA(GetDlgItem(main.Window(), IDC_MODE_BANNER), banner, sizeof banner);
    EXPECT_EQ(std::string(banner).rfind("Decommission Mode On", 0), 0u) << banner;
    EXPECT_TRUE(Highlighted(main, Decommission));
    EXPECT_TRUE(TrayIconPresent(main.Window()));

    HWND sheet = FindTopWindow(GetCurrentProcessId(), "Settings");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(GetWindow(sheet, GW_OWNER), main.Window());
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(sheet); }, 5000));
    ULONGLONG cancelled = GetTickCount64();
    EXPECT_TRUE(IsWindowVisible(main.Window()));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main.Window()); }, 6000)) << "hidden after a Cancel without an account";
    EXPECT_GE(GetTickCount64() - cancelled, 1500u);
}

// With scans kept through outages, a password the service refused is not
// sent again at the next start: the sheet opens and says why; its Cancel
// sends nothing either.
TEST(MainDialog, ARefusedPasswordIsNotSentAgainAtStartAndTheSheetSaysWhy)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Control(R"({"set_password":{"account":"PHARM01","password":"n3w"}})"));
    MainDialogFixture main({"PHARM01", "s3cret", "1", "", "1"});
    // The refusal met by the last run.
    AppSettings last = main.Dialog().SettingsSnapshot();
    ASSERT_TRUE(last.KeepScansDuringOutage);
    std::string scanFolder = main.AppFolder() + "\\Scanned";
    CreateDirectoryA(scanFolder.c_str(), nullptr);
    ASSERT_FALSE(CFMDThread::CheckLogin(last, scanFolder));
    ASSERT_EQ(standin.Requests().size(), 1u);

    main.Dialog().openRealSettings = true;
    ASSERT_TRUE(main.Start());
    ASSERT_TRUE(WaitFor([&] { return main.Dialog().settingsOpened == 1; }, 5000));
    HWND sheet = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (sheet = FindTopWindow(GetCurrentProcessId(), "Settings")) != nullptr; }, 5000));
    char notice[256] = "";
    GetWindowTextA(GetDlgItem(sheet, IDC_SETTINGS_NOTICE), notice, sizeof notice);
    EXPECT_STREQ(notice, kAccountRefusedReason);
    RECT noticeArea, frameArea;
    GetWindowRect(GetDlgItem(sheet, IDC_SETTINGS_NOTICE), &noticeArea);
    GetWindowRect(GetDlgItem(sheet, IDC_ACCOUNT_FRAME), &frameArea);
    EXPECT_LE(noticeArea.bottom, frameArea.top) << "above the fields, not over them";
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(sheet); }, 5000));
    Sleep(500);
    EXPECT_EQ(standin.Requests().size(), 1u) << "neither the start, the worker nor the Cancel sent it again";
}

// The tooltips of the main window's buttons, read back from the tooltip
// windows themselves.
TEST(MainDialog, SixButtonsHaveWhiteInformationTooltips)
{
    MainDialogFixture main({"", "", "0", "", ""});
    ASSERT_TRUE(main.Start());
    std::map<int, std::string> found;
    std::vector<HWND> tips;
    EnumThreadWindows(GetWindowThreadProcessId(main.Window(), nullptr), [](HWND window, LPARAM list) {
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&tips));
    // One tip per button, each named by its button; Wine gives back at most
    // 79 characters of a text and no title, so the texts are compared as far
    // as they come back, and the title's icon is looked for on screen below.
    const std::map<int, std::string> starts = {
        {IDC_DECOMMISSION_MODE, "Set the application into decommission mode."},
        {IDC_VERIFY_MODE, "Set the application into verification mode."},
        {IDC_RECOMMISSION_MODE, "Set the application into recommission mode."},
        {IDC_SETTINGS, "Click here to edit your credentials, proxy and other settings."},
        {IDC_CONTACT, "View the application version and support contact details."},
        {IDC_UPDATE, "A new update is available.  Please click this button to perform the update now."}};
    for (HWND tip : tips) {
        EXPECT_EQ(GetWindow(tip, GW_OWNER), main.Window());
        EXPECT_EQ(static_cast<COLORREF>(SendMessageA(tip, TTM_GETTIPBKCOLOR, 0, 0)), RGB(255, 255, 255));
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool));
        char text[512] = "";
        tool.lpszText = text;
        SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
        found[GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId))] = text;
    }
    ASSERT_EQ(found.size(), starts.size());
    for (const auto& [id, start] : starts) EXPECT_EQ(found[id].substr(0, start.size()), start) << id;

    // Hovering over Verify shows its tip: white, with the blue information
    // icon that only a tip with a title has.
    RECT verify;
    GetWindowRect(GetDlgItem(main.Window(), IDC_VERIFY_MODE), &verify);
    SetCursorPos((verify.left + verify.right) / 2, (verify.top + verify.bottom) / 2);
    HWND shown = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND tip : tips)
            if (IsWindowVisible(tip)) shown = tip;
        return shown != nullptr;
    }, 3000));
    Sleep(300);  // painted
    RECT area;
    GetClientRect(shown, &area);
    WindowDC dc(shown);
    int blue = 0, white = 0;
    for (int y = 0; y < area.bottom; ++y)
        for (int x = 0; x < std::min<LONG>(area.right, 40); ++x) {
            COLORREF pixel = GetPixel(dc.Get(), x, y);
            blue += GetBValue(pixel) > 150 && GetRValue(pixel) < 100;
            white += pixel == RGB(255, 255, 255);
        }
    EXPECT_GT(blue, 20) << "the information icon";
    EXPECT_GT(white, blue) << "on white";
    EXPECT_LE(area.right, 300 + 40) << "wrapped at 300 pixels";
    SetCursorPos(0, 0);
}

// The check runs beside the shown window: it answers while the service does.
TEST(MainDialog, GoodCredentialsWithToTrayHideToTheTrayAfterTheLoginCheck)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    ASSERT_TRUE(standin.Control(R"({"delay_ms":1500})"));
    MainDialogFixture main;
    ASSERT_TRUE(main.Start());
    ULONGLONG started = GetTickCount64();
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(main.Window(), WM_NULL, 0, 0, SMTO_BLOCK, 500, &answer))
        << "the window answers while the service is slow";
    EXPECT_TRUE(IsWindowVisible(main.Window()));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main.Window()); }, 10000));
    EXPECT_GE(GetTickCount64() - started, 1000u) << "hidden only once the check has answered";
    ASSERT_EQ(standin.Requests().size(), 1u) << "the credentials check runs at start";
    EXPECT_NE(standin.Requests().at(0).find("API.Login.Request"), std::string::npos);
    EXPECT_TRUE(TrayIconPresent(main.Window()));
    EXPECT_EQ(main.Dialog().settingsOpened, 0);
}

TEST(MainDialog, CloseRuleForOrdinaryAccounts)
{
    struct Case {
        const char* toTray;
        int32_t mode;
        bool hides;
    };
    const Case cases[] = {{"1", Decommission, true}, {"0", Decommission, false}, {"1", Verify, false}};
    for (const Case& c : cases) {
        MainDialogFixture main({"PHARM01", "s3cret", c.toTray, "", ""});
        ASSERT_TRUE(main.Start());
        ASSERT_TRUE(WaitFor([&] { return main.LogRows().size() == 1; }, 5000));
        if (c.mode == Verify) Command(main.Window(), IDC_VERIFY_MODE);
        SendMessageA(main.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        Sleep(200);
        EXPECT_EQ(!IsWindowVisible(main.Window()), c.hides) << "ToTray " << c.toTray << " mode " << c.mode;
        EXPECT_TRUE(main.Running());
    }
}

TEST(MainDialog, TestAccountQuitsOnlyOnYes)
{
    for (int answerYes : {0, 1}) {
        MainDialogFixture main({"KVDEMO1", "x", "1", "", ""});
        ASSERT_TRUE(main.Start());
        HWND window = main.Window();
        // A user closes a window that is on screen: after its first timers.
        ASSERT_TRUE(WaitFor([&] { return main.LogRows().size() == 1; }, 5000));
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        HWND box = WaitForMessageBox(GetCurrentProcessId(), "Are you sure you want to quit", 10000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), "Are you sure you want to quit ?\r\n\r\nAny scanning will not be detected")
            << "two lines with an empty line between";
        PostMessageA(box, WM_COMMAND, answerYes ? IDC_BOX_FIRST : IDC_BOX_SECOND, 0);
        // The end removes the tray icon, which waits on the shell: generous under load.
        bool ended = WaitFor([&] { return !main.Running(); }, answerYes ? 20000 : 3000);
        EXPECT_EQ(ended, answerYes == 1) << main.Trace();
        if (answerYes) {
            EXPECT_FALSE(TrayIconPresent(window)) << "the icon goes with the window";
        }
    }
}

TEST(MainDialog, MinimiseEnterTrayAndShellRestart)
{
    MainDialogFixture main({"PHARM01", "s3cret", "1", "", ""});
    ASSERT_TRUE(main.Start());
    HWND window = main.Window();
    ASSERT_TRUE(WaitFor([&] { return main.LogRows().size() == 1; }, 5000));

    Command(window, IDOK);  // Enter
    EXPECT_TRUE(main.Running());

    Command(window, IDC_VERIFY_MODE);  // pinned: a minimise comes straight back
    SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(window) && IsWindowVisible(window); }, 3000));

    Command(window, IDC_DECOMMISSION_MODE);  // released: a minimise hides to the tray
    SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(window); }, 3000));

    SendMessageA(window, WM_APP + 1, 0, WM_LBUTTONDBLCLK);  // the icon's double-click
    EXPECT_TRUE(IsWindowVisible(window));
    for (int command : {ID_TRAY_SHOW, ID_TRAY_TITLE}) {
        ShowWindow(window, SW_HIDE);
        Command(window, command);
        EXPECT_TRUE(IsWindowVisible(window)) << command;
    }
    // About: from the icon's menu and from the system menu's own entry.
    char entry[64] = "";
    GetMenuStringA(GetSystemMenu(window, FALSE), IDM_ABOUTBOX, entry, sizeof entry, MF_BYCOMMAND);
    EXPECT_STREQ(entry, "&About QuorvixFMD Pellwick...");
    for (auto [message, command] : {std::pair<UINT, WPARAM>{WM_COMMAND, ID_TRAY_ABOUT}, {WM_SYSCOMMAND, IDM_ABOUTBOX}}) {
        PostMessageA(window, message, command, 0);
        HWND about = WaitForTopWindow(GetCurrentProcessId(), "About QuorvixFMD Pellwick", 5000);
        EXPECT_TRUE(about && CloseWindowWith(about, IDOK)) << message;
    }

    // The icon's right button opens its menu; Escape closes it.
    PostMessageA(window, WM_APP + 1, 0, WM_RBUTTONUP);
    auto menuShown = [] {
        HWND menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu);
    };
    EXPECT_TRUE(WaitFor(menuShown, 5000));
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return !menuShown(); }, 5000));

    // The shell restarted and forgot the icon: it comes back on the broadcast.
    NOTIFYICONDATAA gone{};
    gone.cbSize = NOTIFYICONDATAA_V1_SIZE;
    gone.hWnd = window;
    Shell_NotifyIconA(NIM_DELETE, &gone);
    ASSERT_FALSE(TrayIconPresent(window));
    SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(TrayIconPresent(window));
}

TEST(MainDialog, MinimumTrackingSizeAndLayoutAtIt)
{
    MainDialogFixture main({"PHARM01", "s3cret", "0", "", ""});
    ASSERT_TRUE(main.Start());
    HWND window = main.Window();
    MINMAXINFO limits{};
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 700);
    EXPECT_EQ(limits.ptMinTrackSize.y, 400);
    SetWindowPos(window, nullptr, 0, 0, 700, 400, SWP_NOMOVE | SWP_NOZORDER);
    RECT client, list;
    GetClientRect(window, &client);
    GetWindowRect(main.List(), &list);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&list), 2);
    EXPECT_EQ(list.right - list.left, client.right) << "the list spans the width";
    EXPECT_EQ(list.bottom, client.bottom) << "and takes the rest of the height";
    RECT settings;
    GetWindowRect(GetDlgItem(window, IDC_SETTINGS), &settings);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&settings), 2);
    EXPECT_LT(settings.right, client.right);
    EXPECT_GT(settings.left, client.right / 2);
}

TEST(Modes, SwitchesLogPinAndHighlight)
{
    MainDialogFixture main({"PHARM01", "s3cret", "1", "", ""});
    ASSERT_TRUE(main.Start());
    HWND window = main.Window();
    ASSERT_TRUE(WaitFor([&] { return main.LogRows().size() == 1; }, 5000));

    Command(window, IDC_DECOMMISSION_MODE);  // already the mode: nothing
    Sleep(100);
    EXPECT_EQ(main.LogRows().size(), 1u);
    EXPECT_EQ(CountOf(main.Trace(), "Mode On\r\n"), 1u);

    Command(window, IDC_VERIFY_MODE);
    Command(window, IDC_RECOMMISSION_MODE);
    ASSERT_TRUE(WaitFor([&] { return main.LogRows().size() == 3; }, 5000));
    EXPECT_EQ(main.LogRows(), (std::vector<std::string>{"Recommission Mode On", "Verify Mode On", "Decommission Mode On"}));
    EXPECT_TRUE(IsTopMost(window));
    EXPECT_TRUE(main.Dialog().IsPinned());
    EXPECT_TRUE(Highlighted(main, Recommission));
    EXPECT_FALSE(Highlighted(main, Verify));
    EXPECT_FALSE(Highlighted(main, Decommission));
    EXPECT_EQ(main.Dialog().CurrentMode(), Recommission);

    Command(window, IDC_DECOMMISSION_MODE);
    EXPECT_FALSE(IsTopMost(window));
    EXPECT_FALSE(main.Dialog().IsPinned());
    EXPECT_TRUE(Highlighted(main, Decommission));
    SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(window); }, 3000)) << "can be hidden again";
}
