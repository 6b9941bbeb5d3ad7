// Counter safety on the real main window: a held scan's box, one at a time,
// and its answer carried out (also for a scan held before a restart); the
// Counter safety sheet writes its switches at once.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>

#include "core/settings_store.h"
#include "core/test_barcodes.h"
#include "res/resource.h"
#include "support/main_dialog_fixture.h"
#include "support/scan_fixture.h"

namespace {

// A replaced separator: the stand-in reads it as an active pack, so sending
// it raises no pop-up.
const std::string kReplacedSeparator = "0104150123456782" "17291231" "10LOT24A[@]" "21DEMO0001";
const std::string kWrongCheckDigit = "0104150123456783" "17291231" "10LOT24A\x1D" "21DEMO0002";
constexpr DWORD kBoxWaitMs = 30000;

size_t RequestsFor(const StandinClient& standin, const std::string& serial)
{
    size_t count = 0;
    for (const std::string& body : standin.Requests()) count += body.find(serial) != std::string::npos;
    return count;
}

int RowOf(const MainDialogFixture& fixture, const std::string& key)
{
    for (int row = 0; row < fixture.RowCount(); ++row)
        if (ScanResult* record = fixture.RowRecord(row); record && record->key == key) return row;
    return -1;
}

// The history's rows of a spool key, as "status text|kind|user".
std::vector<std::string> HistoryRowsOf(const std::string& historyPath, const std::string& key)
{
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(historyPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db, "SELECT status_text || '|' || kind || '|' || user_name FROM outcome WHERE spool_key = ?",
                           -1, &query, nullptr);
        sqlite3_bind_text(query, 1, key.c_str(), -1, SQLITE_TRANSIENT);
        while (query && sqlite3_step(query) == SQLITE_ROW)
            rows.push_back(reinterpret_cast<const char*>(sqlite3_column_text(query, 0)));
        sqlite3_finalize(query);
    }
    sqlite3_close(db);
    return rows;
}

std::string StoredValue(const char* name)
{
    char value[64] = "";
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

// Hold on, and a scan held by the program's last run (100.dat), then the start.
void StartWithAScanHeldBefore(MainDialogFixture& fixture)
{
    SetProgramSetting("HoldImplausibleScans", "1");
    fixture.Dialog().m_settings.ReloadSwitches();
    std::string scanned = fixture.AppFolder() + "\\Scanned", held = scanned + "\\Held";
    ASSERT_TRUE(CreateDirectoryA(scanned.c_str(), nullptr) && CreateDirectoryA(held.c_str(), nullptr));
    WriteBytes(held + "\\100.dat", "1" + kReplacedSeparator);
    ASSERT_TRUE(fixture.Start());
}

}  // namespace

TEST(HeldScans, EachIsAskedInTurnAndItsAnswerCarriedOutAlsoAfterARestart)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MainDialogFixture fixture;
    std::string scanned = fixture.AppFolder() + "\\Scanned", held = scanned + "\\Held";
    ASSERT_NO_FATAL_FAILURE(StartWithAScanHeldBefore(fixture));
    DWORD pid = GetCurrentProcessId();
    HWND first = WaitForMessageBox(pid, "21DEMO0001", kBoxWaitMs);
    ASSERT_NE(first, nullptr) << "the held file of the last run gets its box again";

    WriteBytes(scanned + "\\200.dat", "1" + kWrongCheckDigit);                 // a new misread scan
    PostMessageA(fixture.Window(), WM_COMMAND, kFirstTestBarcodeCommand + 4, 0);  // B05 reads faulty too
    ASSERT_TRUE(WaitFor([&] { return PathExists(held + "\\200.dat") && RequestsFor(standin, "210000000100") == 1; },
                        kBoxWaitMs)) << "the new scan is held; the bench's is sent";
    // The bench's pack has expired: its pop-up opens above the box.
    HWND popUp = WaitForTopWindow(pid, "Product Decommission result", kBoxWaitMs);
    ASSERT_TRUE(popUp && CloseWindowWith(popUp, IDC_POPUP_CLOSE));
    EXPECT_EQ(FindMessageBox(pid, "21DEMO0002"), nullptr) << "one box at a time";
    ASSERT_GE(RowOf(fixture, "200"), 0);
    EXPECT_EQ(fixture.Cell(RowOf(fixture, "200"), 1), "Held");
    COLORREF colour = 0;
    EXPECT_TRUE(fixture.RowColour(RowOf(fixture, "100"), colour) && colour == RGB(255, 255, 240)) << "Warning colour";
    EXPECT_GE(fixture.Dialog().alerts.load(), 1);

    PostMessageA(first, WM_COMMAND, IDC_BOX_FIRST, 0);  // Send anyway
    HWND second = WaitForMessageBox(pid, "21DEMO0002", kBoxWaitMs);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(MessageBoxText(second).find("- The product code's check digit is wrong."), std::string::npos);
    ASSERT_TRUE(CloseWindowWith(second, IDC_BOX_SECOND));  // Do not send
    ASSERT_TRUE(WaitFor([&] { return fixture.Cell(RowOf(fixture, "100"), 1) != "Held"; }, kBoxWaitMs))
        << "sent anyway: its row is updated in place";
    const std::string notSent = "Not sent: 01041501234567831729123110LOT24A\\u001D21DEMO0002";
    EXPECT_TRUE(WaitFor([&] { auto rows = fixture.LogRows(); return std::count(rows.begin(), rows.end(), notSent) == 1; }, kBoxWaitMs));
    EXPECT_TRUE(WaitFor([&] { return fixture.Cell(RowOf(fixture, "200"), 1) == "Not sent"; }, kBoxWaitMs));
    EXPECT_EQ(RequestsFor(standin, "21DEMO0001"), 1u) << "Send anyway: exactly one request";
    EXPECT_EQ(RequestsFor(standin, "21DEMO0002"), 0u) << "Do not send: none";
    EXPECT_TRUE(WaitFor([&] { return ListFolder(held).empty() && ListFolder(scanned).size() == 1; }, 5000))
        << "no held file, no approval left";
    // Not sending is the scan's final outcome: the history keeps it too.
    std::string history = fixture.AppFolder() + "\\History\\history.db";
    EXPECT_TRUE(WaitFor([&] { return HistoryRowsOf(history, "200").size() == 1; }, kBoxWaitMs));
    const std::string user = fixture.Dialog().SettingsSnapshot().Username;
    EXPECT_EQ(HistoryRowsOf(history, "200"), std::vector<std::string>{"Not sent|7|" + user});
}

// An expired pack is not decommissioned unseen: Enter answers Do not send,
// Send anyway sends it once and the answer is followed by its check row.
TEST(HeldScans, AnExpiredDecommissionWaitsForItsAnswerWithDoNotSendTheDefault)
{
    const std::string expiredJune = "0104150123456799" "17190630" "10LOT19X\x1D" "21OLD00001";
    const std::string expiredFebruary = "0104150123456799" "17190200" "10LOT19Y\x1D" "21OLD00002";
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MainDialogFixture fixture;
    SetProgramSetting("HoldImplausibleScans", "1");
    fixture.Dialog().m_settings.ReloadSwitches();
    ASSERT_TRUE(fixture.Start());
    std::string scanned = fixture.AppFolder() + "\\Scanned", held = scanned + "\\Held";
    DWORD pid = GetCurrentProcessId();

    WriteBytes(scanned + "\\300.dat", "1" + expiredJune);
    HWND box = WaitForMessageBox(pid, "21OLD00001", kBoxWaitMs);
    ASSERT_NE(box, nullptr);
    std::string text = MessageBoxText(box);
    for (const char* part : {"expired on 2019-06-30", "must not be supplied", "packs for destruction"})
        EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
    EXPECT_EQ(fixture.Cell(RowOf(fixture, "300"), 1), "Held");
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &thread));
    EXPECT_EQ(thread.hwndFocus, GetDlgItem(box, IDC_BOX_SECOND)) << "Do not send has the focus";
    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);  // Enter
    const std::string notSent = "Not sent: 01041501234567991719063010LOT19X\\u001D21OLD00001";
    ASSERT_TRUE(WaitFor([&] { auto rows = fixture.LogRows(); return std::count(rows.begin(), rows.end(), notSent) == 1; }, kBoxWaitMs))
        << "Enter is Do not send";
    // The log row is written at once, the grid's row a message later.
    EXPECT_TRUE(WaitFor([&] { return fixture.Cell(RowOf(fixture, "300"), 1) == "Not sent"; }, kBoxWaitMs))
        << fixture.Cell(RowOf(fixture, "300"), 1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }, 5000));

    WriteBytes(scanned + "\\301.dat", "1" + expiredFebruary);
    box = WaitForMessageBox(pid, "21OLD00002", kBoxWaitMs);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find("expired on 2019-02-28"), std::string::npos) << "day 00: the month's last day";
    PostMessageA(box, WM_COMMAND, IDC_BOX_FIRST, 0);  // Send anyway
    // The service refuses an expired pack: its pop-up follows.
    HWND popUp = WaitForTopWindow(pid, "Product Decommission result", kBoxWaitMs);
    ASSERT_TRUE(popUp && CloseWindowWith(popUp, IDC_POPUP_CLOSE));
    const std::string checkRow = "Scan check: this pack expired on 2019-02-28";
    EXPECT_TRUE(WaitFor([&] { auto rows = fixture.LogRows(); return std::count(rows.begin(), rows.end(), checkRow) == 1; }, kBoxWaitMs));
    EXPECT_EQ(fixture.Cell(RowOf(fixture, "301"), 1), "Error") << "sent anyway: its row is updated in place";
    EXPECT_EQ(RequestsFor(standin, "21OLD00002"), 1u) << "Send anyway: exactly one request";
    EXPECT_EQ(RequestsFor(standin, "21OLD00001"), 0u) << "Do not send: none";
    EXPECT_TRUE(WaitFor([&] { return ListFolder(held).empty() && ListFolder(scanned).size() == 1; }, 5000))
        << "no held file, no approval left";
}

TEST(CounterSafety, EachSwitchIsStoredAtOnceAndTakenIntoTheSettings)
{
    MainDialogFixture fixture;
    ASSERT_TRUE(fixture.Start());
    PostMessageA(fixture.Window(), WM_COMMAND, ID_TRAY_COUNTER_SAFETY, 0);
    HWND sheet = WaitForTopWindow(GetCurrentProcessId(), "Counter safety", 10000);
    ASSERT_NE(sheet, nullptr);
    // Turning plain HTTP on asks first.
    PostMessageA(sheet, WM_COMMAND, IDC_SAFETY_PLAIN, 0);
    HWND question = WaitForMessageBox(GetCurrentProcessId(), "unencrypted", 10000);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(CloseWindowWith(question, IDC_BOX_FIRST));
    EXPECT_TRUE(WaitFor([&] { return StoredValue("AllowPlainHttp") == "1"; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return fixture.Dialog().SettingsSnapshot().AllowPlainHttp; }, 5000));
    const struct {
        int button;
        const char* value;
        bool AppSettings::*field;
        const char* stored;
    } cases[] = {
        {IDC_SAFETY_HOLD, "HoldImplausibleScans", &AppSettings::HoldImplausibleScans, "1"},
        {IDC_SAFETY_GUARD, "GuardDoubleScans", &AppSettings::GuardDoubleScans, "1"},
        {IDC_SAFETY_OUTAGE, "KeepScansDuringOutage", &AppSettings::KeepScansDuringOutage, "1"},
        {IDC_SAFETY_PLAIN, "AllowPlainHttp", &AppSettings::AllowPlainHttp, "0"},  // turned on above: off again, without a question
        {IDC_SAFETY_HOLD, "HoldImplausibleScans", &AppSettings::HoldImplausibleScans, "0"},
    };
    for (const auto& c : cases) {
        PostMessageA(sheet, WM_COMMAND, c.button, 0);
        EXPECT_TRUE(WaitFor([&] { return StoredValue(c.value) == c.stored; }, 5000)) << c.value;
        // The sheet's thread stores the value, then takes it into the settings.
        EXPECT_TRUE(WaitFor([&] { return fixture.Dialog().SettingsSnapshot().*c.field == (std::string(c.stored) == "1"); },
                            5000)) << c.value;
    }

    for (const char* minutes : {"25", "0"}) SetDlgItemTextA(sheet, IDC_SAFETY_MINUTES, minutes);
    EXPECT_EQ(StoredValue("DoubleScanMinutes"), "25") << "0 minutes is no guard: not stored";
    EXPECT_TRUE(WaitFor([&] { return fixture.Dialog().SettingsSnapshot().DoubleScanMinutes == 25; }, 5000));
    ASSERT_TRUE(CloseWindowWith(sheet, IDOK));
    // The system menu's entry opens the same sheet.
    PostMessageA(fixture.Window(), WM_SYSCOMMAND, IDM_COUNTER_SAFETY, 0);
    EXPECT_NE(WaitForTopWindow(GetCurrentProcessId(), "Counter safety", 10000), nullptr);
}

// The held file changed after its box was shown (copied over, damaged):
// Send anyway sends nothing, and the scan stays held for the next start.
TEST(HeldScans, SendAnywaySendsOnlyWhatTheBoxShowed)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MainDialogFixture fixture;
    std::string held = fixture.AppFolder() + "\\Scanned\\Held";
    ASSERT_NO_FATAL_FAILURE(StartWithAScanHeldBefore(fixture));
    HWND box = WaitForMessageBox(GetCurrentProcessId(), "21DEMO0001", kBoxWaitMs);
    ASSERT_NE(box, nullptr);
    WriteBytes(held + "\\100.dat", "1" + kWrongCheckDigit);
    ASSERT_TRUE(CloseWindowWith(box, IDC_BOX_FIRST));  // Send anyway
    const std::string changed =
        "Not sent: the held scan changed after it was shown. It is asked about again at the next start.";
    EXPECT_TRUE(WaitFor([&] { auto rows = fixture.LogRows(); return std::count(rows.begin(), rows.end(), changed) == 1; },
                        kBoxWaitMs));
    Sleep(500);
    EXPECT_EQ(RequestsFor(standin, "21DEMO0001"), 0u);
    EXPECT_EQ(RequestsFor(standin, "21DEMO0002"), 0u);
    EXPECT_TRUE(PathExists(held + "\\100.dat"));
}
