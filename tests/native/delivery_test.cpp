// Goods-in: the spool file's delivery tag, short-dated expiry, the tally's
// rules, the delivery record on a history brought up from the previous
// schema, and the delivery report's page and CSV.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/scan_result.h"
#include "core/spool_content.h"
#include "history/alert_case.h"
#include "history/delivery_record.h"
#include "history/history_reader.h"
#include "history/history_store.h"
#include "reports/delivery_report.h"
#include "reports/delivery_tally.h"
#include "reports/report_texts.h"
#include "posix_csv_files.h"

namespace {

const char kGs = '\x1d';

std::string Pack(const std::string& gtin, const std::string& expiry, const std::string& batch,
                 const std::string& serial)
{
    return "01" + gtin + "17" + expiry + "10" + batch + kGs + "21" + serial;
}

TEST(SpoolContent, CarriesTheDeliveryThroughTheFile)
{
    const std::string barcode = Pack("09000000000001", "271231", "B1", "S1");
    const struct {
        std::string content;
        int32_t mode;
        int64_t delivery;
        std::string barcode;
    } cases[] = {
        {SpoolText(Decommission, 0, barcode), Decommission, 0, barcode},
        {SpoolText(Verify, 12, barcode), Verify, 12, barcode},
        {"D12;0" + barcode, Verify, 12, barcode},
        {"D0;0x", -'0' + 'D', 0, "0;0x"},  // no delivery 0: the tag is no tag
        {"Dx;0x", -'0' + 'D', 0, "x;0x"},
        {"D1234567890123456789;0x", -'0' + 'D', 0, "1234567890123456789;0x"},  // too long for a number
        {"D5;", -'0', 5, ""},
        {"", -'0', 0, ""},
        {"1D5;x", Decommission, 0, "D5;x"},  // a barcode may start with the tag's letter
    };
    for (const auto& c : cases) {
        SpoolContent parsed = ParseSpoolText(c.content);
        EXPECT_EQ(parsed.mode, c.mode) << c.content;
        EXPECT_EQ(parsed.delivery, c.delivery) << c.content;
        EXPECT_EQ(parsed.barcode, c.barcode) << c.content;
    }
}

TEST(ShortDated, CountsFromTodayByCalendarMonths)
{
    const CalendarDate today{2026, 12, 8};
    const struct {
        const char* expiry;
        long months;
        bool shortDated;
    } cases[] = {
        {"270308", 3, true},    // the limit's own day
        {"270309", 3, false},   // a day past it
        {"270300", 3, false},   // day 00: the month's last day, past the limit
        {"261208", 3, true},    // last day today
        {"261207", 3, false},   // expired: not short-dated but out of date
        {"270131", 1, false},
        {"270108", 1, true},
        {"271231", 12, false},
        {"271208", 12, true},
        {"27AB01", 3, false},   // no date
    };
    for (const auto& c : cases) EXPECT_EQ(IsShortDated(c.expiry, today, c.months), c.shortDated) << c.expiry;
    // The end of a month: 30 November and three months is 28 February.
    EXPECT_TRUE(IsShortDated("270228", CalendarDate{2026, 11, 30}, 3));
    EXPECT_FALSE(IsShortDated("270301", CalendarDate{2026, 11, 30}, 3));
    EXPECT_FALSE(IsShortDated("270101", std::nullopt, 3)) << "no trusted today, nothing is short-dated";
}

struct Answer {
    int kind;
    const char *statusText, *status, *heading;
};
const Answer kActive{ScanResultKind::Success, "Success", "1", "Pack verified"};
const Answer kRecalled{ScanResultKind::Warning, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Recalled)"};
const Answer kUnknownSerial{ScanResultKind::Error, "Error", "0", "NMVS_NC_PC_02 Unknown serial number"};
const Answer kUnknownProduct{ScanResultKind::Error, "Error", "0", "NMVS_NC_PC_01 Unknown product"};
const Answer kTimedOut{ScanResultKind::Failed, "Failed", "", "Request failed due to timeout"};

DeliveryScan Scan(const std::string& barcode, const Answer& answer, const std::string& key)
{
    DeliveryScan scan;
    HistoryEntry& e = scan.entry;
    e.spoolKey = key;
    e.localTime = "2026-12-08T09:00:" + key;
    e.mode = Verify;
    e.barcode = barcode;
    e.kind = answer.kind;
    e.statusText = answer.statusText;
    e.status = answer.status;
    e.messageHeading = answer.heading;
    e.delivery = 7;
    return scan;
}

DeliveryScan Waiting(const std::string& barcode, const std::string& key)
{
    DeliveryScan scan = Scan(barcode, kTimedOut, key);
    scan.entry.kind = ScanResultKind::Waiting;
    scan.entry.statusText = "Waiting";
    scan.settled = false;
    return scan;
}

const CalendarDate kToday{2026, 12, 8};
const std::string kGood = Pack("09000000000001", "281231", "B1", "G1");
const std::string kShort = Pack("09000000000001", "270131", "B1", "S1");
const std::string kRecalledPack = Pack("09000000000002", "281231", "R1", "R1");
const std::string kUnknown = Pack("09000000000003", "281231", "U1", "U1");
const std::string kFake = Pack("09000000000001", "281231", "B1", "F1");
const std::string kLate = Pack("09000000000001", "281231", "B1", "L1");

TEST(DeliveryTally, EachPackCountsOnceByItsLatestScan)
{
    const struct {
        const char* name;
        std::vector<DeliveryScan> scans;
        int checked, maySupply, alerts, notToSupply, unknownProduct, notCheckedYet, shortDated, twice;
        std::vector<std::string> asideKeys;
    } cases[] = {
        {"one good pack", {Scan(kGood, kActive, "01")}, 1, 1, 0, 0, 0, 0, 0, 0, {}},
        {"short-dated, still supplied but listed", {Scan(kShort, kActive, "01")}, 1, 1, 0, 0, 0, 0, 1, 0, {"01"}},
        {"recalled", {Scan(kRecalledPack, kActive, "01"), Scan(kRecalledPack, kRecalled, "02")},
         1, 0, 0, 1, 0, 0, 0, 1, {"02"}},
        {"the same pack twice", {Scan(kGood, kActive, "01"), Scan(kGood, kActive, "02")},
         1, 1, 0, 0, 0, 0, 0, 1, {"02"}},
        {"a failed scan scanned again is no twice", {Scan(kGood, kTimedOut, "01"), Scan(kGood, kActive, "02")},
         1, 1, 0, 0, 0, 0, 0, 0, {}},
        {"alert", {Scan(kFake, kUnknownSerial, "01")}, 1, 0, 1, 0, 0, 0, 0, 0, {"01"}},
        {"unknown product", {Scan(kUnknown, kUnknownProduct, "01")}, 1, 0, 0, 0, 1, 0, 0, 0, {"01"}},
        {"failed", {Scan(kLate, kTimedOut, "01")}, 1, 0, 0, 0, 0, 1, 0, 0, {"01"}},
        {"waiting", {Waiting(kLate, "01")}, 1, 0, 0, 0, 0, 1, 0, 0, {"01"}},
        {"the demo's delivery",
         {Scan(kGood, kActive, "01"), Scan(kRecalledPack, kRecalled, "02"), Scan(kShort, kActive, "03"),
          Scan(kGood, kActive, "04"), Scan(kFake, kUnknownSerial, "05"), Waiting(kLate, "06")},
         5, 2, 1, 1, 0, 1, 1, 1, {"04", "02", "03", "05", "06"}},
    };
    for (const auto& c : cases) {
        DeliveryTally t = TallyDelivery(c.scans, kToday, 3);
        EXPECT_EQ(t.checked, c.checked) << c.name;
        EXPECT_EQ(t.maySupply, c.maySupply) << c.name;
        EXPECT_EQ(t.alerts, c.alerts) << c.name;
        EXPECT_EQ(t.notToSupply, c.notToSupply) << c.name;
        EXPECT_EQ(t.unknownProduct, c.unknownProduct) << c.name;
        EXPECT_EQ(t.notCheckedYet, c.notCheckedYet) << c.name;
        EXPECT_EQ(t.shortDated, c.shortDated) << c.name;
        EXPECT_EQ(t.twice, c.twice) << c.name;
        EXPECT_EQ(t.maySupply + t.alerts + t.notToSupply + t.unknownProduct + t.notCheckedYet, t.checked) << c.name;
        std::vector<std::string> keys;
        for (const PutAsidePack& p : t.putAside) keys.push_back(p.entry.spoolKey);
        EXPECT_EQ(keys, c.asideKeys) << c.name;
    }
}

TEST(DeliveryTally, ThePutAsideListSaysWhyAndWhatToDo)
{
    DeliveryTally t = TallyDelivery({Scan(kRecalledPack, kRecalled, "01"), Scan(kShort, kActive, "02"),
                                     Scan(kFake, kUnknownSerial, "03"), Scan(kShort, kActive, "04")},
                                    kToday, 3);
    ASSERT_EQ(t.putAside.size(), 3u);
    EXPECT_EQ(t.putAside[0].verdict, "Do not supply");
    EXPECT_NE(t.putAside[0].nextStep.find("ecall"), std::string::npos) << t.putAside[0].nextStep;
    EXPECT_EQ(t.putAside[1].verdict, "Supply");
    EXPECT_EQ(t.putAside[1].reason, ReportString(ReportText::ReasonTwice)) << "twice goes before short-dated";
    EXPECT_EQ(t.putAside[2].verdict, "Alert: do not supply");
    EXPECT_FALSE(t.putAside[2].nextStep.empty());
    DeliveryTally shortOnly = TallyDelivery({Scan(kShort, kActive, "01")}, kToday, 3);
    ASSERT_EQ(shortOnly.putAside.size(), 1u);
    EXPECT_EQ(shortOnly.putAside[0].reason, "Short-dated: use by 2027-01-31");
}

TEST(ReportTexts, EveryTextIsInItsPlace)
{
    for (int i = 0; i <= static_cast<int>(ReportText::CsvYes); ++i)
        EXPECT_STRNE(ReportString(static_cast<ReportText>(i)), "") << i;
}

class DeliveryStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() / ("pellwick-delivery-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string Path() const { return (m_folder / "history.db").string(); }

    std::filesystem::path m_folder;
};

DeliveryRecord Opened(const std::string& supplier, const std::string& local, const std::string& computer = "COUNTER1")
{
    DeliveryRecord record;
    record.supplier = supplier;
    record.noteNumber = "LS-0042";
    record.openedLocal = local;
    record.openedUtc = local + "Z";
    record.userName = "anna";
    record.computerName = computer;
    return record;
}

// The file the program before deliveries left (schema 3, made by it, with an
// alert and its case) comes up to today's schema with its rows and cases as
// they were, and takes the columns added since.
TEST_F(DeliveryStore, AHistoryOfThePreviousProgramComesUpWithItsRowsAndCases)
{
    std::filesystem::copy_file(std::filesystem::path(PELLWICK_SOURCE_DIR) / "tests/native/data/history-schema3.db",
                               Path());
    std::string reason;
    HistoryStore store;
    ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
    EXPECT_EQ(store.SchemaVersion(), HistoryStore::kSchemaVersion);
    EXPECT_TRUE(store.DamagedCopy().empty());
    EXPECT_EQ(store.Count(), 2);
    HistoryEntry later;
    later.localTime = "2026-12-08T10:00:00";
    later.utcTime = "2026-12-08T09:00:00Z";
    later.barcode = kGood;
    later.delivery = 1;
    later.waitedSeconds = 90;
    ASSERT_TRUE(store.Add(later, reason)) << reason;
    ASSERT_EQ(StartDelivery(store.Connection(), Opened("Phoenix", "2026-12-08T09:55:00"), reason), 1) << reason;

    HistoryReader reader;
    ASSERT_TRUE(reader.Open(Path(), reason)) << reason;
    int64_t ids[] = {1, 2, 3};
    std::vector<HistoryEntry> rows = reader.RowsOf(ids, 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].delivery, 0) << "rows from before deliveries belong to none";
    EXPECT_EQ(rows[1].caseState, "Set aside");
    EXPECT_EQ(reader.AlertCaseOf(rows[1]).events.size(), 1u);
    EXPECT_EQ(rows[2].delivery, 1);
    EXPECT_EQ(rows[0].waitedSeconds, 0) << "rows from before kept no waiting";
    EXPECT_EQ(rows[2].waitedSeconds, 90);
    std::vector<HistoryEntry> scans = DeliveryScans(store.Connection(), 1);
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_EQ(scans[0].barcode, kGood);
}

TEST_F(DeliveryStore, ADeliveryIsContinuedUntilItIsClosed)
{
    std::string reason;
    HistoryStore store;
    ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
    sqlite3* db = store.Connection();
    EXPECT_FALSE(OpenDeliveryOn(db, "COUNTER1").has_value());
    int64_t first = StartDelivery(db, Opened("Phoenix", "2026-12-08T08:00:00"), reason);
    int64_t other = StartDelivery(db, Opened("Alliance", "2026-12-08T08:30:00", "COUNTER2"), reason);
    ASSERT_GT(first, 0);
    ASSERT_GT(other, first);
    ASSERT_TRUE(SaveDeliveryDetails(db, first, "Phoenix Pharma", "LS-7", reason)) << reason;
    store.Close();

    // After a restart: this computer's open delivery, not another's.
    ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
    db = store.Connection();
    std::optional<DeliveryRecord> open = OpenDeliveryOn(db, "COUNTER1");
    ASSERT_TRUE(open.has_value());
    EXPECT_EQ(open->id, first);
    EXPECT_EQ(open->supplier, "Phoenix Pharma");
    EXPECT_EQ(open->noteNumber, "LS-7");
    EXPECT_FALSE(open->IsClosed());
    ASSERT_TRUE(CloseDelivery(db, first, "2026-12-08T09:00:00", "2026-12-08T08:00:00Z", reason)) << reason;
    EXPECT_FALSE(CloseDelivery(db, first, "2026-12-08T10:00:00", "2026-12-08T09:00:00Z", reason))
        << "a closed delivery keeps its first closing time";
    EXPECT_EQ(DeliveryById(db, first)->closedLocal, "2026-12-08T09:00:00");
    EXPECT_FALSE(OpenDeliveryOn(db, "COUNTER1").has_value());
    EXPECT_FALSE(SaveDeliveryDetails(db, 99, "x", "y", reason));
    EXPECT_EQ(DeliveriesOpened(db, "2026-12-08", "2026-12-08").size(), 2u);
    EXPECT_TRUE(DeliveriesOpened(db, "2026-12-09", "").empty());
}

TEST(DeliveryReport, ThePageAndTheCsvCarryEveryPack)
{
    DeliveryReportInput in;
    in.delivery = Opened("Phoenix <Nord>", "2026-12-08T09:00:00");
    in.delivery.id = 7;
    in.scans = {Scan(kGood, kActive, "01"), Scan(kRecalledPack, kRecalled, "02"), Scan(kShort, kActive, "03"),
                Scan(kGood, kActive, "04")};
    in.tally = TallyDelivery(in.scans, kToday, 3);
    std::string html = DeliveryReportHtml(in);
    for (const char* text : {"Delivery 7", "Phoenix &lt;Nord&gt;", "LS-0042", "Packs checked", "Packs to put aside",
                             "Every pack checked", "09000000000002", "R1", "281231", "Do not supply",
                             "Short-dated: use by 2027-01-31", "Scanned twice in this delivery", "still open"})
        EXPECT_NE(html.find(text), std::string::npos) << text;
    EXPECT_EQ(html.find("<script"), std::string::npos);

    std::string csv = DeliveryReportCsv(in, PosixCsvFiles().codePageToUtf8);
    std::istringstream lines(csv);
    std::string line;
    std::vector<std::string> rows;
    while (std::getline(lines, line)) rows.push_back(line);
    ASSERT_EQ(rows.size(), 5u) << csv;
    EXPECT_EQ(rows[0].rfind("\xEF\xBB\xBF" "Delivery,Supplier,Delivery note,Time,Product code,Batch,Expiry,", 0), 0u)
        << rows[0];
    EXPECT_NE(rows[2].find("7,Phoenix <Nord>,LS-0042,2026-12-08 09:00,09000000000002,R1,281231,R1,Do not supply,"),
              std::string::npos)
        << rows[2];
    EXPECT_EQ(rows[2].substr(rows[2].size() - 5), ",yes\r");
    EXPECT_NE(rows[3].find(",Short-dated: use by 2027-01-31,"), std::string::npos) << rows[3];
    EXPECT_EQ(rows[1].substr(rows[1].size() - 2), ",\r") << "a good pack is not put aside";
}

}  // namespace
