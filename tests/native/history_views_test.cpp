// The History window's views on a real history file: which rows each view
// and filter shows, the alert rule as the results list applies it, the undo
// rules and their countdown, paging, the Handled mark and the view's export.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <set>

#include "base/text_catalog.h"
#include "history/history_csv.h"
#include "history/history_store.h"
#include "history/history_view_rows.h"
#include "history/past_successes.h"
#include "posix_csv_files.h"
#include "ui/main/result_rules.h"

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::time_t kNow = *ParseUtcTime("2026-12-08T12:00:00Z");
constexpr long long kHour = 3600, kDay = 24 * kHour;

class HistoryViewsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_store.Open(m_path, "2026-12-08", m_reason)) << m_reason; }
    void TearDown() override
    {
        m_store.Close();
        for (const char* suffix : {"", "-wal", "-shm"}) std::remove((m_path + suffix).c_str());
    }
    int64_t Add(std::time_t utc, int mode, int kind, const std::string& serial, const std::string& status = "",
                const std::string& user = "PHARM01")
    {
        HistoryEntry e;
        e.utcTime = UtcCutoff(utc, 0);
        e.localTime = e.utcTime.substr(0, 19);
        e.mode = mode;
        e.kind = kind;
        e.status = status;
        e.statusText = kind == ScanResultKind::Success ? "Success" : "Failed";
        e.barcode = "0104150123456782\x1d" "10LOT" + serial.substr(0, 1) + "\x1d" "21" + serial;
        e.sn = e.readSerial = serial;
        e.lot = e.readBatch = "LOT" + serial.substr(0, 1);
        e.userName = user;
        EXPECT_TRUE(m_store.Add(e, m_reason)) << m_reason;
        return m_store.Count();  // ids run 1, 2, 3... in a fresh file
    }
    std::vector<int64_t> Ids(HistoryView view, const HistoryFilter& filter = {})
    {
        HistoryReader reader;
        EXPECT_TRUE(reader.Open(m_path, m_reason)) << m_reason;
        HistoryViewRows rows;
        rows.Start(reader, {view, filter, "PHARM01", kNow});
        while (rows.Step(reader)) {
        }
        std::vector<int64_t> ids;
        for (int64_t i = 0; i < rows.Count(); ++i) ids.push_back(rows.Row(reader, i)->id);
        return ids;
    }

    std::string m_path = ::testing::TempDir() + "history-views-" + std::to_string(getpid()) + ".db";
    std::string m_reason;
    HistoryStore m_store;
};

TEST_F(HistoryViewsTest, EachViewAndFilterShowsItsRowsNewestFirst)
{
    const int V = Verify, D = Decommission, R = Recommission;
    const int S = ScanResultKind::Success, F = ScanResultKind::Failed;
    int64_t old = Add(kNow - 11 * kDay, D, S, "A1");           // past the undo time
    int64_t mine = Add(kNow - 3 * kDay, D, S, "B2");           // can be undone
    int64_t undone = Add(kNow - 2 * kDay, D, S, "C3");         // ... recommissioned below
    int64_t back = Add(kNow - 1 * kDay, R, S, "C3");           // an alert: Recommission success
    int64_t other = Add(kNow - 1 * kDay, D, S, "D4", "", "PHARM02");
    int64_t failed = Add(kNow - 2 * kHour, V, F, "E5");        // alert
    int64_t noItem = Add(kNow - 1 * kHour, V, F, "F6", "3");   // no item status: no alert
    const struct {
        HistoryView view;
        HistoryFilter filter;
        std::vector<int64_t> ids;
    } cases[] = {
        {HistoryView::AllScans, {}, {noItem, failed, other, back, undone, mine, old}},
        {HistoryView::AllScans, {"C3", "", "", -1, -1}, {back, undone}},                          // serial
        {HistoryView::AllScans, {"LOTB", "", "", -1, -1}, {mine}},                                // batch
        {HistoryView::AllScans, {"04150123456782\\u001D10LOTE", "", "", -1, -1}, {failed}},  // as listed
        {HistoryView::AllScans, {"", "2026-12-07", "2026-12-07", -1, -1}, {other, back}}, // one day
        {HistoryView::AllScans, {"", "", "", R, -1}, {back}},
        {HistoryView::AllScans, {"", "", "", V, F}, {noItem, failed}},
        {HistoryView::AllScans, {"nothing", "", "", -1, -1}, {}},
        {HistoryView::CanBeUndone, {}, {mine}},
        {HistoryView::Alerts, {}, {failed, back}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ids(c.view, c.filter), c.ids) << static_cast<int>(c.view) << " \"" << c.filter.search << "\"";
}

TEST_F(HistoryViewsTest, TheAlertsViewMarksWhatTheResultsListAlertsFor)
{
    std::vector<int64_t> expected;
    for (int kind = 0; kind <= ScanResultKind::Held; ++kind)
        for (int mode : {Verify, Decommission, Recommission})
            for (const char* status : {"", "3", "outage", "Supplied"}) {
                int64_t id = Add(kNow - kHour, mode, kind, "A" + std::to_string(kind), status);
                ScanResult record;
                record.kind = kind;
                record.mode = mode;
                record.status = status;
                if (NeedsAlert(record)) expected.insert(expected.begin(), id);
            }
    EXPECT_EQ(Ids(HistoryView::Alerts), expected);
}

TEST_F(HistoryViewsTest, PagesFollowTheNewestDownAlsoAfterAJumpAndASearchFindsASerialFirst)
{
    for (int i = 0; i < 250; ++i) Add(kNow - kHour, Verify, ScanResultKind::Success, "S" + std::to_string(i));
    HistoryReader reader;
    ASSERT_TRUE(reader.Open(m_path, m_reason));
    HistoryViewRows rows;
    rows.Start(reader, {HistoryView::AllScans, {}, "PHARM01", kNow});
    ASSERT_EQ(rows.Count(), 250);
    for (int64_t index : {240, 0, 99, 100, 249, 150}) EXPECT_EQ(rows.Row(reader, index)->id, 250 - index) << index;
    EXPECT_EQ(rows.Row(reader, 250), nullptr);

    rows.Start(reader, {HistoryView::AllScans, {"S7", "", "", -1, -1}, "PHARM01", kNow});
    ASSERT_TRUE(rows.Searching());
    ASSERT_EQ(rows.Count(), 1) << "the serial's row before the slices";
    EXPECT_EQ(rows.Row(reader, 0)->sn, "S7");
    EXPECT_FALSE(rows.Step(reader));
    ASSERT_EQ(rows.Count(), 11) << "then S70 to S79 by their barcode text, and S7 only once";
    std::set<int64_t> ids;
    for (int64_t i = 0; i < rows.Count(); ++i) ids.insert(rows.Row(reader, i)->id);
    EXPECT_EQ(ids.size(), 11u);
}

TEST_F(HistoryViewsTest, HandledMarksAreStoredAndTheViewExportsAsCsv)
{
    int64_t alert = Add(kNow - kHour, Verify, ScanResultKind::Failed, "A1");
    Add(kNow - kHour, Decommission, ScanResultKind::Success, "B2");
    ASSERT_TRUE(MarkHandled(m_path, alert, true, "Called the wholesaler", m_reason)) << m_reason;
    EXPECT_FALSE(MarkHandled(m_path, 99, true, "", m_reason));
    HistoryReader reader;
    ASSERT_TRUE(reader.Open(m_path, m_reason));
    HistoryEntry row = reader.RowsAtMost(alert, 1).at(0);
    EXPECT_TRUE(row.handled);
    EXPECT_EQ(CellText(HistoryView::Alerts, 4, row, kNow), "Handled: Called the wholesaler");

    std::string csv = m_path + ".csv";
    long long written = 0;
    ASSERT_TRUE(reader.ExportCsv({HistoryView::Alerts, {}, "PHARM01", kNow}, csv, PosixCsvFiles(), m_reason, written))
        << m_reason;
    std::ifstream in(csv, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(csv.c_str());
    EXPECT_EQ(written, 1);
    EXPECT_EQ(text.rfind(CsvHeader(), 0), 0u);
    EXPECT_NE(text.find(",yes,Called the wholesaler,"), std::string::npos) << text;

    // The window's export names its columns in the language shown; the
    // command line's keeps them English, as scripts read them.
    SetTranslation(static_cast<int>(TextId::CsvLocalTime), "Heure locale");
    SetTranslation(static_cast<int>(TextId::CsvReadFaults), "D\xE9" "fauts lus");  // code page 1252
    ASSERT_TRUE(reader.ExportCsv({HistoryView::Alerts, {}, "PHARM01", kNow}, csv, PosixCsvFiles(), m_reason, written))
        << m_reason;
    std::string shown = ReadAll(csv);
    EXPECT_EQ(shown.rfind("\xEF\xBB\xBFHeure locale,UTC time,", 0), 0u) << shown.substr(0, 80);
    EXPECT_NE(shown.find(",D\xC3\xA9" "fauts lus,"), std::string::npos) << "as UTF-8";
    ASSERT_EQ(ExportHistoryCsv(m_path, csv, "", "", PosixCsvFiles(), m_reason, written), ExportResult::Written);
    EXPECT_EQ(ReadAll(csv).rfind(CsvHeader(), 0), 0u);
    ClearTranslations();
    std::remove(csv.c_str());

    // A window closed during its export stops it: no file, not even a partial one.
    std::atomic<bool> stopped{true};
    EXPECT_FALSE(reader.ExportCsv({HistoryView::AllScans, {}, "PHARM01", kNow}, csv, PosixCsvFiles(), m_reason, written,
                                 &stopped));
    EXPECT_EQ(m_reason, "the export was stopped");
    EXPECT_FALSE(std::ifstream(csv).good());
    EXPECT_FALSE(std::ifstream(csv + ".tmp").good());
}

TEST(HistoryViewRules, TimeLeftAndTheUndoRefusals)
{
    const struct {
        long long ago;
        const char* left;
    } countdown[] = {
        {0, "10 days 0 h left"},          {6 * kDay + 20 * kHour, "3 days 4 h left"},
        {9 * kDay, "1 day 0 h left"},     {9 * kDay + 18 * kHour + 1800, "5 h 30 min left"},
        {10 * kDay - 30, "1 min left"},   {10 * kDay, "time passed"},
        {12 * kDay, "time passed"},
    };
    for (const auto& c : countdown) EXPECT_EQ(TimeLeftText(kNow - c.ago, kNow), c.left) << c.ago;

    HistoryEntry e;
    e.kind = ScanResultKind::Success;
    e.mode = Decommission;
    e.userName = "PHARM01";
    const struct {
        long long ago;
        int mode;
        const char* account;
        bool recommissioned;
        const char* refusal;  // empty: allowed
    } cases[] = {
        {3 * kDay, Decommission, "PHARM01", false, ""},
        {10 * kDay + 1, Decommission, "PHARM01", false, "more than 10 days ago"},
        {3 * kDay, Decommission, "PHARM02", false, "by the account \"PHARM01\""},
        {3 * kDay, Decommission, "PHARM01", true, "already been recommissioned"},
        {3 * kDay, Verify, "PHARM01", false, "Only a pack decommissioned here"},
    };
    for (const auto& c : cases) {
        e.utcTime = UtcCutoff(kNow - c.ago, 0);
        e.mode = c.mode;
        UndoCheck check = CheckUndo(e, c.account, kNow, c.recommissioned);
        EXPECT_EQ(check.allowed, *c.refusal == 0) << c.refusal;
        EXPECT_NE(check.reason.find(c.refusal), std::string::npos) << check.reason;
    }
    e.barcode = "01\x1d" "21X";
    e.messageBody = "line\nnext";
    std::string details = DetailsText(e);
    EXPECT_NE(details.find("\r\nBarcode: 01\\u001D21X\r\n"), std::string::npos) << details;
    EXPECT_NE(details.find("\r\nMessage body: line\r\nnext\r\n"), std::string::npos) << details;
}

}  // namespace
