// The Check a delivery window on the real main window, with scans typed on a
// scanner's pty and answered by the stand-in: every scan a Verify of the
// delivery whatever the main mode, the tally and the put-aside list, the
// delivery report read back, a delivery left open by an ended program
// continued from the history, then finished, and the window at its least
// size in every language: nothing overlaps, no text is cut.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>

#include "framework/ui_language.h"
#include "history/delivery_record.h"
#include "history/history_store.h"
#include "res/resource.h"
#include "support/main_dialog_fixture.h"
#include "support/scan_fixture.h"
#include "support/serial_fixture.h"
#include "ui/controls/caption_font.h"

namespace {

constexpr DWORD kWaitMs = 30000;
constexpr unsigned kPort = 5;

std::string Pack(const std::string& gtin, const std::string& expiry, const std::string& lot, const std::string& serial)
{
    return "01" + gtin + "17" + expiry + "10" + lot + "\x1D" "21" + serial;
}
// The stand-in's SHORT001 expires 45 days from its today (UTC).
std::string ShortExpiry()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    FILETIME file;
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER value{};
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    value.QuadPart += 45ULL * 24 * 60 * 60 * 10000000ULL;
    file.dwLowDateTime = value.LowPart;
    file.dwHighDateTime = value.HighPart;
    SYSTEMTIME later;
    FileTimeToSystemTime(&file, &later);
    char text[8];
    wsprintfA(text, "%02u%02u%02u", later.wYear % 100, later.wMonth, later.wDay);
    return text;
}
const std::string kGood = Pack("04150123456782", "291231", "LOT24A", "DEMO0002");
const std::string kRecalled = Pack("04150123456799", "291231", "LOT13R", "RECALL01");

int ListRows(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

// The tally's line of `name`; -1 when it has none.
int Tally(HWND delivery, const std::string& name)
{
    HWND list = GetDlgItem(delivery, IDC_DELIVERY_TALLY);
    for (int row = 0; row < ListRows(list); ++row)
        if (ListViewCell(list, row, 0) == name) return std::stoi(ListViewCell(list, row, 1));
    return -1;
}

size_t RequestsFor(const StandinClient& standin, const std::string& fragment)
{
    size_t count = 0;
    for (const std::string& body : standin.Requests()) count += body.find(fragment) != std::string::npos;
    return count;
}

HWND OpenDelivery(MainDialogFixture& main)
{
    PostMessageA(main.Window(), WM_COMMAND, ID_TRAY_DELIVERY, 0);
    return WaitForTopWindow(GetCurrentProcessId(), "Check a delivery", kWaitMs);
}

// Closes the pop-ups the answers raise in the main window, as they come.
void ClosePopUps()
{
    while (HWND popUp = WaitForTopWindow(GetCurrentProcessId(), "Product Verify result", 500))
        CloseWindowWith(popUp, IDC_POPUP_CLOSE);
}

bool Scan(const std::string& barcode) { return TypeOnScanner(kPort, barcode + "\r"); }

int64_t DeliveryOfRows(const std::string& historyPath, const std::string& serial, int& rows)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(historyPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*), max(delivery) FROM outcome WHERE instr(barcode, ?) > 0", -1, &s, nullptr);
    sqlite3_bind_text(s, 1, serial.c_str(), -1, SQLITE_TRANSIENT);
    int64_t delivery = -1;
    if (sqlite3_step(s) == SQLITE_ROW) {
        rows = sqlite3_column_int(s, 0);
        delivery = sqlite3_column_int64(s, 1);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return delivery;
}

TEST(DeliveryWindow, EveryScanIsAVerifyOfTheDeliveryAndThePacksToPutAsideAreListed)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MappedPort scanner("Silabser0", kPort);
    MainDialogFixture main({"PHARM01", "s3cret", "0", "", ""});
    ASSERT_TRUE(main.Start());
    ASSERT_TRUE(WaitFor([&] { return main.Dialog().m_ports.ReaderOn(kPort) != nullptr; }, kWaitMs)) << main.Trace();
    ASSERT_TRUE(WaitFor([&] { return !main.LogRows().empty() && main.Dialog().m_mode == Decommission; }, kWaitMs));

    HWND delivery = OpenDelivery(main);
    ASSERT_NE(delivery, nullptr);
    SetDlgItemTextA(delivery, IDC_DELIVERY_SUPPLIER, "Phoenix Nord");
    SetDlgItemTextA(delivery, IDC_DELIVERY_NOTE, "LS-0042");
    const std::string shortDated = Pack("04150123456782", ShortExpiry(), "LOT24A", "SHORT001");
    for (const std::string& barcode : {kGood, kRecalled, shortDated, kGood}) {
        ASSERT_TRUE(Scan(barcode));
        Sleep(300);  // one scan at a time, as a person scans
    }
    ASSERT_TRUE(WaitFor([&] {
        ClosePopUps();
        return Tally(delivery, "Packs checked") == 3 && Tally(delivery, "Not checked yet") == 0 &&
               Tally(delivery, "Same pack twice") == 1;
    }, kWaitMs)) << main.Trace();
    EXPECT_EQ(RequestsFor(standin, "API.Verify.Request"), 4u);
    EXPECT_EQ(RequestsFor(standin, "API.Decommission.Request"), 0u) << "the main window's mode stays Decommission";
    EXPECT_EQ(main.Dialog().m_mode.load(), Decommission);
    EXPECT_EQ(Tally(delivery, "May be supplied"), 2);
    EXPECT_EQ(Tally(delivery, "Not to be supplied"), 1);
    EXPECT_EQ(Tally(delivery, "Alerts"), 0);
    EXPECT_EQ(Tally(delivery, "Short-dated"), 1);

    HWND aside = GetDlgItem(delivery, IDC_DELIVERY_ASIDE);
    ASSERT_EQ(ListRows(aside), 3);
    EXPECT_EQ(ListViewCell(aside, 0, 4), "DEMO0002");
    EXPECT_EQ(ListViewCell(aside, 0, 6), "Scanned twice in this delivery");
    EXPECT_EQ(ListViewCell(aside, 1, 4), "RECALL01");
    EXPECT_EQ(ListViewCell(aside, 1, 5), "Do not supply");
    EXPECT_EQ(ListViewCell(aside, 2, 4), "SHORT001");
    EXPECT_EQ(ListViewCell(aside, 2, 6).rfind("Short-dated: use by 20", 0), 0u) << ListViewCell(aside, 2, 6);
    // The results list sounds for every Verify's answer (its pop-up shows the
    // pack), the delivery window once more for each pack to put aside.
    EXPECT_EQ(main.Dialog().alerts.load(), 4 + 3);
    for (int row = 0; row < main.RowCount(); ++row) {
        if (!main.RowRecord(row)) continue;
        EXPECT_EQ(main.Cell(row, 2), "Verify") << "the rows show in the main window too";
    }

    PostMessageA(delivery, WM_COMMAND, IDC_DELIVERY_REPORT, 0);
    const std::string report = main.AppFolder() + "\\Reports\\delivery-1";
    ASSERT_TRUE(WaitFor([&] { return PathExists(report + ".csv"); }, kWaitMs));
    std::string html = ReadBytes(report + ".html"), csv = ReadBytes(report + ".csv");
    for (const char* text : {"Delivery 1", "Phoenix Nord", "LS-0042", "RECALL01", "LOT13R", "Do not supply",
                             "Short-dated: use by", "Scanned twice in this delivery", "Every pack checked"})
        EXPECT_NE(html.find(text), std::string::npos) << text;
    EXPECT_EQ(CountOf(csv, "\r\n"), 5u) << csv;
    EXPECT_NE(csv.find("1,Phoenix Nord,LS-0042,"), std::string::npos) << csv;

    int rows = 0;
    EXPECT_EQ(DeliveryOfRows(main.AppFolder() + "\\History\\history.db", "DEMO0002", rows), 1);
    EXPECT_EQ(rows, 2);

    // Closed, the window tags no more scans: the next one goes in the main mode.
    PostMessageA(delivery, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(delivery); }, kWaitMs));
    ASSERT_TRUE(Scan(Pack("04150123456782", "291231", "LOT24A", "DEMO0003")));
    EXPECT_TRUE(WaitFor([&] { return RequestsFor(standin, "API.Decommission.Request") == 1; }, kWaitMs));
    ClosePopUps();
}

TEST(DeliveryWindow, ADeliveryLeftOpenIsContinuedFromTheHistoryAndFinished)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MappedPort scanner("Silabser0", kPort);
    MainDialogFixture main({"PHARM01", "s3cret", "0", "", ""});
    {
        // What an ended program left: delivery 1 open, with one recalled pack.
        std::string folder = main.AppFolder() + "\\History", reason;
        CreateDirectoryA(folder.c_str(), nullptr);
        HistoryStore store;
        ASSERT_TRUE(store.Open(folder + "\\history.db", "2026-12-08", reason)) << reason;
        DeliveryRecord record;
        record.supplier = "Alliance";
        record.openedLocal = "2026-12-08T08:00:00";
        record.openedUtc = "2026-12-08T07:00:00Z";
        char computer[MAX_COMPUTERNAME_LENGTH + 1] = "";
        DWORD size = sizeof computer;
        GetComputerNameA(computer, &size);
        record.computerName = computer;
        ASSERT_EQ(StartDelivery(store.Connection(), record, reason), 1) << reason;
        HistoryEntry recalled;
        recalled.localTime = "2026-12-08T08:01:00";
        recalled.utcTime = "2026-12-08T07:01:00Z";
        recalled.spoolKey = "17";
        recalled.mode = Verify;
        recalled.kind = ScanResultKind::Warning;
        recalled.statusText = "Warning";
        recalled.status = "2";
        recalled.messageHeading = "NMVS_NC_PCK_22 Pack is inactive (Recalled)";
        recalled.barcode = kRecalled;
        recalled.delivery = 1;
        ASSERT_TRUE(store.Add(recalled, reason)) << reason;
    }
    ASSERT_TRUE(main.Start());
    ASSERT_TRUE(WaitFor([&] { return main.Dialog().m_ports.ReaderOn(kPort) != nullptr; }, kWaitMs));
    HWND delivery = OpenDelivery(main);
    ASSERT_NE(delivery, nullptr);
    char text[256] = "";
    GetDlgItemTextA(delivery, IDC_DELIVERY_SUPPLIER, text, sizeof text);
    EXPECT_STREQ(text, "Alliance");
    EXPECT_EQ(Tally(delivery, "Packs checked"), 1);
    EXPECT_EQ(Tally(delivery, "Not to be supplied"), 1);
    EXPECT_EQ(ListRows(GetDlgItem(delivery, IDC_DELIVERY_ASIDE)), 1);
    const int alertsBefore = main.Dialog().alerts.load();

    ASSERT_TRUE(Scan(kGood));
    ASSERT_TRUE(WaitFor([&] {
        return Tally(delivery, "Packs checked") == 2 && Tally(delivery, "May be supplied") == 1;
    }, kWaitMs)) << main.Trace();
    ClosePopUps();
    EXPECT_EQ(main.Dialog().alerts.load(), alertsBefore + 1) << "the Verify's pop-up only: nothing to put aside";
    int rows = 0;
    EXPECT_EQ(DeliveryOfRows(main.AppFolder() + "\\History\\history.db", "DEMO0002", rows), 1);

    PostMessageA(delivery, WM_COMMAND, IDC_DELIVERY_FINISH, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(delivery); }, kWaitMs));
    delivery = OpenDelivery(main);
    ASSERT_NE(delivery, nullptr);
    EXPECT_EQ(Tally(delivery, "Packs checked"), 0) << "a finished delivery is not continued: a new one starts";
    char heading[256] = "";
    GetDlgItemTextA(delivery, IDC_DELIVERY_HEADING, heading, sizeof heading);
    EXPECT_EQ(std::string(heading).rfind("Delivery 2, opened ", 0), 0u) << heading;
    PostMessageA(delivery, WM_COMMAND, IDCANCEL, 0);
}

// The window, whatever its caption's language: the top window holding the tally.
HWND DeliveryWindowOf(DWORD pid, DWORD timeoutMs)
{
    struct Search {
        DWORD pid;
        HWND found;
    } search{pid, nullptr};
    for (DWORD waited = 0; waited < timeoutMs && !search.found; waited += 50) {
        EnumWindows([](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->pid && IsWindowVisible(window) && GetDlgItem(window, IDC_DELIVERY_TALLY)) s->found = window;
            return s->found == nullptr;
        }, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(50);
    }
    return search.found;
}

RECT RectOf(HWND window, int id)
{
    RECT r{};
    GetWindowRect(GetDlgItem(window, id), &r);
    return r;
}

// The height the control's text needs at its width, as the program's labels
// and buttons draw it (caption font, wrapped), and its one-line width.
SIZE TextNeeds(HWND window, int id)
{
    char text[512] = "";
    GetWindowTextA(GetDlgItem(window, id), text, sizeof text);
    RECT r = RectOf(window, id), wrapped{0, 0, r.right - r.left, 0};
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, CaptionFont());
    DrawTextA(dc, text, -1, &wrapped, DT_CALCRECT | DT_WORDBREAK);
    SIZE line{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &line);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {line.cx, wrapped.bottom};
}

TEST(DeliveryWindow, AtItsLeastSizeNothingOverlapsAndNoTextIsCutInAnyLanguage)
{
    const int controls[] = {IDC_DELIVERY_HEADING, IDC_DELIVERY_REPORT, IDC_DELIVERY_FINISH, IDCANCEL,
                            IDC_DELIVERY_SUPPLIER_LABEL, IDC_DELIVERY_SUPPLIER, IDC_DELIVERY_NOTE_LABEL,
                            IDC_DELIVERY_NOTE, IDC_DELIVERY_TALLY, IDC_DELIVERY_ASIDE_LABEL, IDC_DELIVERY_ASIDE,
                            IDC_DELIVERY_DETAILS, IDC_DELIVERY_STATUS};
    for (const char* language : {"en", "de", "fr", "nl", "it", "es"}) {
        ASSERT_TRUE(ApplyUiLanguage(language)) << language;
        MainDialogFixture main({"PHARM01", "s3cret", "0", "", ""});
        ASSERT_TRUE(main.Start());
        // Under a heavy load the menu's command was once seen to bring no
        // window to a third program in one process: it is given again.
        HWND window = nullptr;
        for (int tries = 0; tries < 6 && !window; ++tries) {
            PostMessageA(main.Window(), WM_COMMAND, ID_TRAY_DELIVERY, 0);
            window = DeliveryWindowOf(GetCurrentProcessId(), kWaitMs / 6);
        }
        ASSERT_NE(window, nullptr) << language;
        MINMAXINFO least{};
        SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&least));
        SetWindowPos(window, nullptr, 0, 0, least.ptMinTrackSize.x, least.ptMinTrackSize.y, SWP_NOZORDER | SWP_NOMOVE);
        for (size_t i = 0; i < std::size(controls); ++i)
            for (size_t j = i + 1; j < std::size(controls); ++j) {
                RECT a = RectOf(window, controls[i]), b = RectOf(window, controls[j]), both{};
                EXPECT_FALSE(IntersectRect(&both, &a, &b)) << language << ": controls " << controls[i] << " and "
                                                            << controls[j] << " overlap";
            }
        for (int id : {IDC_DELIVERY_HEADING, IDC_DELIVERY_STATUS, IDC_DELIVERY_SUPPLIER_LABEL, IDC_DELIVERY_NOTE_LABEL,
                       IDC_DELIVERY_ASIDE_LABEL}) {
            RECT r = RectOf(window, id);
            EXPECT_LE(TextNeeds(window, id).cy, r.bottom - r.top) << language << ": the text of " << id << " is cut";
        }
        for (int id : {IDC_DELIVERY_REPORT, IDC_DELIVERY_FINISH, IDCANCEL}) {
            RECT r = RectOf(window, id);
            EXPECT_LT(TextNeeds(window, id).cx, r.right - r.left) << language << ": button " << id << " is cut";
        }
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(window); }, kWaitMs));
    }
    ApplyUiLanguage("en");
}

}  // namespace
