// The History window on the real main window, over a real history file:
// search and the three views, a Handled mark kept when the window opens
// again, Recommission from the undo view reaching the stand-in, and the
// refusals for a pack past its ten days and for another account.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

#include "history/history_store.h"
#include "res/resource.h"
#include "support/main_dialog_fixture.h"
#include "support/scan_fixture.h"

namespace {

constexpr DWORD kWaitMs = 20000;
constexpr std::time_t kDay = 24 * 60 * 60;

std::string Barcode(const std::string& serial) { return "0104150123456782" "17291231" "10LOT24A\x1D" "21" + serial; }

// Writes the rows the program would have written: {seconds ago, mode, kind, serial, account}.
struct SeedRow {
    std::time_t ago;
    int mode, kind;
    std::string serial, account;
};
void Seed(const MainDialogFixture& fixture, const std::vector<SeedRow>& rows)
{
    std::string folder = fixture.AppFolder() + "\\History", reason;
    CreateDirectoryA(folder.c_str(), nullptr);
    HistoryStore store;
    ASSERT_TRUE(store.Open(folder + "\\history.db", "2026-12-08", reason)) << reason;
    for (const SeedRow& row : rows) {
        HistoryEntry e;
        e.utcTime = UtcCutoff(std::time(nullptr) - row.ago, 0);
        e.localTime = e.utcTime.substr(0, 19);
        e.mode = row.mode;
        e.kind = row.kind;
        e.statusText = row.kind == ScanResultKind::Success ? "Success" : "Failed";
        e.barcode = Barcode(row.serial);
        e.sn = e.readSerial = row.serial;
        e.userName = row.account;
        ASSERT_TRUE(store.Add(e, reason)) << reason;
    }
}

std::string TraceTail(const std::string& trace) { return trace.substr(trace.size() > 3000 ? trace.size() - 3000 : 0); }

HWND List(HWND history) { return GetDlgItem(history, IDC_HISTORY_LIST); }
int Rows(HWND history) { return static_cast<int>(SendMessageA(List(history), LVM_GETITEMCOUNT, 0, 0)); }
std::string Cell(HWND history, int row, int column) { return ListViewCell(List(history), row, column); }
void Select(HWND history, int row)
{
    LVITEMA state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(List(history), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}
std::string Text(HWND window, int id)
{
    char text[4096] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}
void Press(HWND window, int id) { PostMessageA(window, WM_COMMAND, id, 0); }
// Presses the action button on `row` and closes the box that answers; false when none came.
bool ActionAnswers(HWND history, int row, const std::string& fragment, int boxButton = IDC_BOX_FIRST)
{
    Select(history, row);
    Press(history, IDC_HISTORY_ACTION);
    HWND box = WaitForMessageBox(GetCurrentProcessId(), fragment, kWaitMs);
    return box && CloseWindowWith(box, boxButton);
}

}  // namespace

TEST(HistoryWindow, SearchesItsViewsAndKeepsAHandledMarkWhenOpenedAgain)
{
    MainDialogFixture fixture;
    Seed(fixture, {{3 * kDay, Decommission, ScanResultKind::Success, "DEMO0001", "PHARM01"},
                   {2 * kDay, Verify, ScanResultKind::Failed, "NOTKNOWN", "PHARM01"},
                   {kDay, Decommission, ScanResultKind::Success, "DEMO0003", "PHARM02"}});
    ASSERT_TRUE(fixture.Start());
    PostMessageA(fixture.Window(), WM_COMMAND, ID_TRAY_HISTORY, 0);
    HWND history = WaitForTopWindow(GetCurrentProcessId(), "Scan history", kWaitMs);
    ASSERT_NE(history, nullptr);
    ASSERT_EQ(Rows(history), 3);
    EXPECT_EQ(Cell(history, 0, 3), "DEMO0003") << "newest first";
    EXPECT_NE(Text(history, IDC_HISTORY_DETAILS).find("User name: PHARM02\r\n"), std::string::npos);

    SetDlgItemTextA(history, IDC_HISTORY_SEARCH, "NOTKNOWN");
    ASSERT_TRUE(WaitFor([&] { return Rows(history) == 1; }, kWaitMs));
    EXPECT_EQ(Cell(history, 0, 1), "Failed");
    const std::string listed = "Barcode: 01041501234567821729123110LOT24A\\u001D21NOTKNOWN\r\n";
    EXPECT_NE(Text(history, IDC_HISTORY_DETAILS).find(listed), std::string::npos) << "as the results list shows it";
    SetDlgItemTextA(history, IDC_HISTORY_FROM, "8.12.2026");
    const std::string dateHint = "1 scan - write dates as YYYY-MM-DD, e.g. 2026-12-31";
    EXPECT_TRUE(WaitFor([&] { return Text(history, IDC_HISTORY_STATUS) == dateHint; }, kWaitMs));

    const struct {
        int button, column;
        const char* text;
    } views[] = {{IDC_HISTORY_UNDO, 1, "6 days 23 h left"}, {IDC_HISTORY_ALERTS, 2, "Failed"}};
    for (const auto& view : views) {
        Press(history, view.button);
        ASSERT_TRUE(WaitFor([&] { return Rows(history) == 1 && Cell(history, 0, view.column) == view.text; }, kWaitMs))
            << view.button << ": " << Rows(history) << " rows, " << Cell(history, 0, view.column);
    }
    SetDlgItemTextA(history, IDC_HISTORY_NOTE, "Wholesaler called");
    Press(history, IDC_HISTORY_ACTION);
    ASSERT_TRUE(WaitFor([&] { return Cell(history, 0, 4) == "Handled: Wholesaler called"; }, kWaitMs));

    // Escape in the search box closes it: its keys work as in any dialog.
    PostMessageA(GetDlgItem(history, IDC_HISTORY_SEARCH), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(history); }, kWaitMs));
    PostMessageA(fixture.Window(), WM_SYSCOMMAND, IDM_HISTORY, 0);
    history = WaitForTopWindow(GetCurrentProcessId(), "Scan history", kWaitMs);
    ASSERT_NE(history, nullptr);
    Press(history, IDC_HISTORY_ALERTS);
    EXPECT_TRUE(WaitFor([&] { return Cell(history, 0, 4) == "Handled: Wholesaler called"; }, kWaitMs));
}

TEST(HistoryWindow, RecommissionReachesTheServiceAndTheRefusalsSayWhy)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MainDialogFixture fixture;
    constexpr std::time_t kMargin = 25;  // the last pack's ten days end this many seconds after the start
    Seed(fixture, {{3 * kDay, Decommission, ScanResultKind::Success, "DEMO0001", "PHARM01"},
                   {2 * kDay, Decommission, ScanResultKind::Success, "DEMO0003", "PHARM01"},
                   {10 * kDay - kMargin, Decommission, ScanResultKind::Success, "DEMO0002", "PHARM01"}});
    std::time_t endsAt = std::time(nullptr) + kMargin;
    ASSERT_TRUE(fixture.Start());
    PostMessageA(fixture.Window(), WM_COMMAND, ID_TRAY_HISTORY, 0);
    HWND history = WaitForTopWindow(GetCurrentProcessId(), "Scan history", kWaitMs);
    ASSERT_NE(history, nullptr);
    // The list held three rows before too: the button's caption says the undo list is shown.
    Press(history, IDC_HISTORY_UNDO);
    ASSERT_TRUE(WaitFor([&] { return Text(history, IDC_HISTORY_ACTION) == "Recommission" && Rows(history) == 3; },
                        kWaitMs));

    ASSERT_TRUE(ActionAnswers(history, 2, "Put this pack back into stock?"));  // Yes
    EXPECT_TRUE(WaitFor([&] {
        for (const std::string& body : standin.Requests())
            if (body.find("API.Recommission.Request") != std::string::npos &&
                body.find("21DEMO0001") != std::string::npos)
                return true;
        return false;
    }, kWaitMs)) << "sent in Recommission mode through the scan folder; the trace ends:\n"
                 << TraceTail(fixture.Trace());

    ASSERT_TRUE(WaitFor([&] { return std::time(nullptr) > endsAt; }, (kMargin + 5) * 1000));
    EXPECT_TRUE(ActionAnswers(history, 0, "more than 10 days ago"));

    fixture.Dialog().openRealSettings = true;
    Press(fixture.Window(), IDC_SETTINGS);
    HWND sheet = WaitForTopWindow(GetCurrentProcessId(), "Settings", kWaitMs);
    ASSERT_NE(sheet, nullptr);
    SetDlgItemTextA(sheet, IDC_USERNAME, "PHARM02");
    SetDlgItemTextA(sheet, IDC_PASSWORD, "other");
    Press(sheet, IDOK);
    ASSERT_TRUE(WaitFor([&] { return fixture.Dialog().SettingsSnapshot().Username == "PHARM02"; }, kWaitMs));
    EXPECT_TRUE(ActionAnswers(history, 1, "decommissioned by the account \"PHARM01\""));
    std::vector<std::string> requests = standin.Requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [](const std::string& body) {
                  return body.find("API.Recommission.Request") != std::string::npos;
              }), 1) << "the refusals sent nothing";
}

// While a Recommission of the pack is on its way (the service has not
// answered yet), a second one is refused and nothing more is sent.
TEST(HistoryWindow, APackWithARecommissionOnItsWayCannotBeRecommissionedAgain)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MainDialogFixture fixture;
    Seed(fixture, {{kDay, Decommission, ScanResultKind::Success, "DEMO0003", "PHARM01"}});
    ASSERT_TRUE(fixture.Start());
    PostMessageA(fixture.Window(), WM_COMMAND, ID_TRAY_HISTORY, 0);
    HWND history = WaitForTopWindow(GetCurrentProcessId(), "Scan history", kWaitMs);
    ASSERT_NE(history, nullptr);
    Press(history, IDC_HISTORY_UNDO);
    ASSERT_TRUE(WaitFor([&] { return Text(history, IDC_HISTORY_ACTION) == "Recommission" && Rows(history) == 1; },
                        kWaitMs));
    ASSERT_TRUE(standin.Control(R"({"mode":"hang"})"));  // the answer does not come
    ASSERT_TRUE(ActionAnswers(history, 0, "Put this pack back into stock?"));
    auto recommissions = [&] {
        std::vector<std::string> requests = standin.Requests();
        return std::count_if(requests.begin(), requests.end(), [](const std::string& body) {
            return body.find("API.Recommission.Request") != std::string::npos;
        });
    };
    ASSERT_TRUE(WaitFor([&] { return recommissions() == 1; }, kWaitMs)) << TraceTail(fixture.Trace());
    EXPECT_TRUE(ActionAnswers(history, 0, "already been sent for recommissioning"));
    Sleep(500);
    EXPECT_EQ(recommissions(), 1);
}

// An alert's case: its states and note kept with their changes when the case
// opens again, its deadline counted from the alert, and Undo earlier
// decommission for this pharmacy's own double decommission going out as a
// Recommission through the Recommission button's way.
TEST(HistoryWindow, AnAlertsCaseKeepsItsChangesAndUndoesTheOwnDecommission)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MainDialogFixture fixture;
    Seed(fixture, {{2 * kDay, Decommission, ScanResultKind::Success, "DEMO0001", "PHARM01"}});
    {
        std::string reason;
        HistoryStore store;
        ASSERT_TRUE(store.Open(fixture.AppFolder() + "\\History\\history.db", "2026-12-08", reason)) << reason;
        HistoryEntry alert;
        alert.utcTime = UtcCutoff(std::time(nullptr) - kDay - 60, 0);  // a minute more: never "6 days 0 h"
        alert.localTime = alert.utcTime.substr(0, 19);
        alert.mode = Decommission;
        alert.kind = ScanResultKind::Error;
        alert.statusText = "Error";
        alert.status = "0";
        alert.messageHeading = "NMVS_NC_PCK_22 Pack already inactive";
        alert.messageBody = "The pack has already been decommissioned as Supplied. Alert ID: AT-0000ABCD-0001.";
        alert.barcode = Barcode("DEMO0001");
        alert.sn = alert.readSerial = "DEMO0001";
        alert.userName = "PHARM01";
        ASSERT_TRUE(store.Add(alert, reason)) << reason;
    }
    ASSERT_TRUE(fixture.Start());
    PostMessageA(fixture.Window(), WM_COMMAND, ID_TRAY_HISTORY, 0);
    HWND history = WaitForTopWindow(GetCurrentProcessId(), "Scan history", kWaitMs);
    ASSERT_NE(history, nullptr);
    Press(history, IDC_HISTORY_ALERTS);
    ASSERT_TRUE(WaitFor([&] { return Rows(history) == 1 && Cell(history, 0, 2) == "Error"; }, kWaitMs));
    EXPECT_EQ(Text(history, IDC_HISTORY_DETAILS).rfind("Verdict: Alert: do not supply\r\n", 0), 0u);
    EXPECT_NE(Text(history, IDC_HISTORY_DETAILS).find("Next step: Decommissioned here on "), std::string::npos)
        << Text(history, IDC_HISTORY_DETAILS);

    auto openCase = [&] {
        Press(history, IDC_HISTORY_CASE);
        return WaitForTopWindow(GetCurrentProcessId(), "Alert case", kWaitMs);
    };
    HWND record = openCase();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(Text(record, IDC_CASE_VERDICT).rfind("Alert: do not supply - NMVS_NC_PCK_22", 0), 0u);
    EXPECT_EQ(Text(record, IDC_CASE_ALERT_ID), "AT-0000ABCD-0001");
    EXPECT_EQ(Text(record, IDC_CASE_DEADLINE), "5 days 23 h left");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(record, IDC_CASE_UNDO)));
    HWND changes = GetDlgItem(record, IDC_CASE_HISTORY);
    SendDlgItemMessageA(record, IDC_CASE_STATE, CB_SETCURSEL, 1, 0);
    Press(record, IDC_CASE_RECORD_STATE);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(changes, LB_GETCOUNT, 0, 0) == 1; }, kWaitMs));
    SetDlgItemTextA(record, IDC_CASE_NOTE, "Own double scan: undone.");
    Press(record, IDC_CASE_SAVE_NOTE);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(changes, LB_GETCOUNT, 0, 0) == 2; }, kWaitMs));
    Press(record, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(record); }, kWaitMs));

    record = openCase();
    ASSERT_NE(record, nullptr);
    changes = GetDlgItem(record, IDC_CASE_HISTORY);
    EXPECT_EQ(SendMessageA(changes, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendDlgItemMessageA(record, IDC_CASE_STATE, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Text(record, IDC_CASE_NOTE), "Own double scan: undone.");
    char first[256] = "";
    SendMessageA(changes, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_NE(std::string(first).find("State: Set aside"), std::string::npos) << first;

    Press(record, IDC_CASE_UNDO);
    HWND box = WaitForMessageBox(GetCurrentProcessId(), "Put this pack back into stock?", kWaitMs);
    ASSERT_TRUE(box && CloseWindowWith(box, IDC_BOX_FIRST));
    EXPECT_TRUE(WaitFor([&] {
        for (const std::string& body : standin.Requests())
            if (body.find("API.Recommission.Request") != std::string::npos && body.find("21DEMO0001") != std::string::npos)
                return true;
        return false;
    }, kWaitMs)) << TraceTail(fixture.Trace());
}
