// A counter that speaks French: the real main window and the stand-in
// service; the row's status word, the pop-up's title, verdict and next step
// and a pack code's finding come in French, while the trace log and the
// history keep English; an alert's case state is kept so, and shown French.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <regex>

#include "framework/ui_language.h"
#include "history/alert_case.h"
#include "history/history_store.h"
#include "res/resource.h"
#include "support/main_dialog_fixture.h"
#include "support/scan_fixture.h"

namespace {

constexpr DWORD kAnswerWaitMs = 30000;
// A pack the stand-in knows as supplied already: a Verify raises the alert.
const std::string kSuppliedPack = "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0004";

std::string Lines(const std::string& text) { return std::regex_replace(text, std::regex("\r\n?"), "\n"); }

std::string PopUpText(HWND popUp)
{
    HWND area = FindWindowExA(popUp, nullptr, "RichEdit20A", nullptr);
    char text[8192] = "";
    GetWindowTextA(area, text, sizeof text);
    return Lines(text);
}

// One stored text of the history's first row that has it non-empty.
std::string StoredText(const std::string& historyPath, const std::string& column)
{
    std::string text;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(historyPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* query = nullptr;
        std::string sql = "SELECT " + column + " FROM outcome WHERE " + column + " <> '' ORDER BY id LIMIT 1";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &query, nullptr) == SQLITE_OK && sqlite3_step(query) == SQLITE_ROW)
            text = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
        sqlite3_finalize(query);
    }
    sqlite3_close(db);
    return text;
}

void Press(HWND window, int id) { PostMessageA(window, WM_COMMAND, id, 0); }

class FrenchCounter : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ApplyUiLanguage("fr")); }
    void TearDown() override { ApplyUiLanguage("en"); }
};

TEST_F(FrenchCounter, AnAlertComesWithItsStatusWordVerdictAndNextStepInFrench)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MainDialogFixture fixture;
    SetProgramSetting("ExplainAnswers", "1");
    fixture.Dialog().m_settings.ReloadSwitches();
    ASSERT_TRUE(fixture.Start());

    WriteBytes(fixture.AppFolder() + "\\Scanned\\100.dat", "0" + kSuppliedPack);  // Verify mode
    HWND popUp = WaitForTopWindow(GetCurrentProcessId(), "R\xE9sultat en mode V\xE9rifier", kAnswerWaitMs);
    ASSERT_NE(popUp, nullptr) << "the pop-up's title in French";
    std::string text = PopUpText(popUp);
    EXPECT_NE(text.find("\nQue faire\nNe pas d\xE9livrer\n"), std::string::npos) << text;
    EXPECT_NE(text.find("La bo\xEEte est inactive"), std::string::npos) << text;
    EXPECT_NE(text.find("mettez-la en quarantaine"), std::string::npos) << text;
    EXPECT_EQ(text.find("What to do"), std::string::npos) << text;
    EXPECT_TRUE(CloseWindowWith(popUp, IDC_POPUP_CLOSE));

    ASSERT_EQ(fixture.RowCount() > 0, true);
    EXPECT_EQ(fixture.Cell(0, 1), "Avertissement") << "the status word";
    EXPECT_EQ(fixture.Cell(0, 2), "V\xE9rifier") << "the mode";
    EXPECT_EQ(fixture.Trace().find("Avertissement"), std::string::npos) << "the trace log stays English";
}

// The finding is shown in French; the history keeps it as it was found.
TEST_F(FrenchCounter, APackCodesFindingIsShownInFrenchAndKeptInEnglish)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MainDialogFixture fixture;
    ASSERT_TRUE(fixture.Start());
    // The product code's check digit is 3 where 2 is right.
    WriteBytes(fixture.AppFolder() + "\\Scanned\\200.dat", "0" "0104150123456783" "17291231" "10LOT24A\x1D" "21DEMO0002");
    HWND popUp = WaitForTopWindow(GetCurrentProcessId(), "R\xE9sultat en mode V\xE9rifier", kAnswerWaitMs);
    ASSERT_NE(popUp, nullptr) << "the service's answer";
    EXPECT_TRUE(CloseWindowWith(popUp, IDC_POPUP_CLOSE));
    const std::string row = "Contr\xF4le du scan\xA0: Le chiffre de contr\xF4le du code produit est faux.";
    EXPECT_TRUE(WaitFor([&] {
        auto rows = fixture.LogRows();
        return std::count(rows.begin(), rows.end(), row) == 1;
    }, kAnswerWaitMs));
    const std::string history = fixture.AppFolder() + "\\History\\history.db";
    EXPECT_TRUE(WaitFor([&] { return !StoredText(history, "read_faults").empty(); }, kAnswerWaitMs));
    EXPECT_EQ(StoredText(history, "read_faults"), "The product code's check digit is wrong.");
}

// A state chosen in French is kept in English: read back, it is the same
// state, and the list of changes names it in French.
TEST_F(FrenchCounter, AnAlertsCaseStateIsKeptWhateverTheLanguage)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MainDialogFixture fixture;
    const std::string history = fixture.AppFolder() + "\\History\\history.db";
    {
        CreateDirectoryA((fixture.AppFolder() + "\\History").c_str(), nullptr);
        std::string reason;
        HistoryStore store;
        ASSERT_TRUE(store.Open(history, "2026-12-08", reason)) << reason;
        HistoryEntry alert;
        alert.utcTime = UtcCutoff(std::time(nullptr) - 3600, 0);
        alert.localTime = alert.utcTime.substr(0, 19);
        alert.mode = Verify;
        alert.kind = ScanResultKind::Warning;
        alert.statusText = "Warning";
        alert.status = "2";
        alert.messageHeading = "NMVS_NC_PCK_22 Pack already inactive";
        alert.messageBody = "Alert ID: FR-0000ABCD-0001.";
        alert.barcode = kSuppliedPack;
        alert.sn = alert.readSerial = "DEMO0004";
        ASSERT_TRUE(store.Add(alert, reason)) << reason;
        HistoryEntry verified = alert;  // not an alert: so that the Alerts view shows fewer rows than all scans
        verified.mode = Decommission;
        verified.kind = ScanResultKind::Success;
        verified.statusText = "Success";
        verified.status = "1";
        verified.messageHeading = "Pack decommissioned";
        verified.messageBody.clear();
        ASSERT_TRUE(store.Add(verified, reason)) << reason;
    }
    ASSERT_TRUE(fixture.Start());
    PostMessageA(fixture.Window(), WM_COMMAND, ID_TRAY_HISTORY, 0);
    HWND window = WaitForTopWindow(GetCurrentProcessId(), "Historique des scans", kAnswerWaitMs);
    ASSERT_NE(window, nullptr);
    HWND list = GetDlgItem(window, IDC_HISTORY_LIST);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 2; }, kAnswerWaitMs));
    Press(window, IDC_HISTORY_ALERTS);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 1; }, kAnswerWaitMs));
    auto openCase = [&] {
        Press(window, IDC_HISTORY_CASE);
        return WaitForTopWindow(GetCurrentProcessId(), "Dossier d'alerte", kAnswerWaitMs);
    };
    HWND record = openCase();
    ASSERT_NE(record, nullptr);
    SendDlgItemMessageA(record, IDC_CASE_STATE, CB_SETCURSEL, 1, 0);  // set aside
    Press(record, IDC_CASE_RECORD_STATE);
    HWND changes = GetDlgItem(record, IDC_CASE_HISTORY);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(changes, LB_GETCOUNT, 0, 0) == 1; }, kAnswerWaitMs));
    char line[256] = "";
    SendMessageA(changes, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_NE(std::string(line).find(CaseStateWord(CaseState::SetAside)), std::string::npos) << line;
    EXPECT_EQ(std::string(line).find("Set aside"), std::string::npos) << line;
    EXPECT_EQ(StoredText(history, "case_state"), "Set aside");
    Press(record, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(record); }, kAnswerWaitMs));
    record = openCase();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(record, IDC_CASE_STATE, CB_GETCURSEL, 0, 0), 1) << "read back as set aside";
    Press(record, IDOK);
}

}  // namespace
