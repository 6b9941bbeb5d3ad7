// The alert case record: its alert ID read from the answer, its states kept
// with time and user across a reopening of a history made by the previous
// schema, its photos and note, its deadline and its export columns.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/scan_result.h"
#include "history/alert_case.h"
#include "history/case_sheet.h"
#include "history/entry_guidance.h"
#include "history/history_csv.h"
#include "history/history_reader.h"
#include "history/history_store.h"
#include "history/history_view_rules.h"
#include "posix_csv_files.h"

namespace {

TEST(AlertCase, ReadsTheAlertIdOfAnAnswer)
{
    const struct {
        const char *heading, *body, *id;
    } cases[] = {
        {"NMVS_NC_PCK_22 Pack already inactive", "Decommissioned as Supplied. Alert ID: AT-5F3A09C1-0003.",
         "AT-5F3A09C1-0003"},
        {"NMVS_NC_PC_02 Unknown serial (alert DE-7K2M9QXD-42)", "", "DE-7K2M9QXD-42"},
        {"", "Alert ID BE-A1B2C3D4E5-2026-12-08", "BE-A1B2C3D4E5-2026-12-08"},
        // Codes, dates and short tokens are no alert IDs.
        {"NMVS_NC_PC_02 Unknown serial number", "SP-901 at 2026-12-08", ""},
        {"Batch AB-12-3 differs", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(AlertIdIn(c.heading, c.body), c.id) << c.heading << " / " << c.body;
}

TEST(AlertCase, DeadlinesRunOutAndClosedCasesHaveNone)
{
    const std::time_t alert = 1'765'000'000, days = 24 * 60 * 60;
    std::time_t deadline = CaseDeadline(alert, 7);
    EXPECT_EQ(deadline, alert + 7 * days);
    EXPECT_EQ(DeadlineText(deadline, alert + 5 * days, CaseState::Open), "2 days 0 h left");
    EXPECT_FALSE(IsOverdue(deadline, alert + 5 * days, CaseState::SetAside));
    EXPECT_EQ(DeadlineText(deadline, alert + 8 * days + 3600, CaseState::SetAside), "Overdue by 1 day 1 h");
    EXPECT_TRUE(IsOverdue(deadline, alert + 8 * days, CaseState::Open));
    for (CaseState closed : {CaseState::ResolvedOwnError, CaseState::ResolvedCleared, CaseState::Reported,
                             CaseState::Returned}) {
        EXPECT_EQ(DeadlineText(deadline, alert + 30 * days, closed), "Closed");
        EXPECT_FALSE(IsOverdue(deadline, alert + 30 * days, closed));
    }
    EXPECT_EQ(PhotoFileName(17, 2, "C:\\Users\\pharm\\Pictures\\Pack.JPG"), "17-2.jpg");
    EXPECT_EQ(PhotoFileName(17, 3, "C:\\photos.d\\pack"), "17-3");
}

class AlertCaseStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = ::testing::TempDir() + "alert-case-" + std::to_string(getpid());
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string Path() const { return m_folder + "/history.db"; }
    std::string m_folder;
};

CaseEvent Event(const char* what, const std::string& value, const char* utc, const char* user)
{
    return {what, value, std::string(utc).substr(0, 19), utc, user};
}

TEST_F(AlertCaseStore, StatesAreKeptInOrderAfterTheEarlierFileIsBroughtUp)
{
    std::string reason;
    {
        // The file as the previous program left it, with an alert in it.
        HistoryStore earlier;
        ASSERT_TRUE(earlier.OpenAtVersion(Path(), 2, reason)) << reason;
        HistoryEntry alert;
        alert.localTime = "2026-12-08T10:00:00";
        alert.utcTime = "2026-12-08T09:00:00Z";
        alert.mode = Decommission;
        alert.kind = ScanResultKind::Error;
        alert.status = "0";
        alert.messageHeading = "NMVS_NC_PC_02 Unknown serial number";
        alert.messageBody = "Alert ID: AT-00000001-0001.";
        ASSERT_TRUE(earlier.Add(alert, reason)) << reason;
    }
    HistoryStore store;
    ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
    ASSERT_EQ(store.SchemaVersion(), HistoryStore::kSchemaVersion);
    const CaseEvent events[] = {
        Event("State", "Set aside", "2026-12-08T09:05:00Z", "anna"),
        Event("Photo", m_folder + "/1-1.jpg", "2026-12-08T09:06:00Z", "anna"),
        Event("Alert ID", "AT-00000001-0002", "2026-12-08T09:07:00Z", "ben"),
        Event("Note", "Print matches the scan; maker called.", "2026-12-08T09:08:00Z", "ben"),
        Event("State", "Reported to the authority", "2026-12-09T08:00:00Z", "anna"),
    };
    for (const CaseEvent& event : events) ASSERT_TRUE(RecordCaseEvent(Path(), 1, event, reason)) << reason;
    EXPECT_FALSE(RecordCaseEvent(Path(), 99, events[0], reason)) << "no such row";
    store.Close();

    // Read again as the History window does, after a restart.
    HistoryReader reader;
    ASSERT_TRUE(reader.Open(Path(), reason)) << reason;
    int64_t id = 1;
    std::vector<HistoryEntry> rows = reader.RowsOf(&id, 1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].caseState, "Reported to the authority");
    EXPECT_EQ(rows[0].caseAlertId, "AT-00000001-0002");
    EXPECT_EQ(rows[0].caseUpdated, "2026-12-09T08:00:00Z");
    AlertCase record = reader.AlertCaseOf(rows[0]);
    EXPECT_EQ(record.state, CaseState::Reported);
    EXPECT_EQ(record.alertId, "AT-00000001-0002");
    EXPECT_EQ(record.note, "Print matches the scan; maker called.");
    ASSERT_EQ(record.photos.size(), 1u);
    ASSERT_EQ(record.events.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(record.events[i].what, events[i].what);
        EXPECT_EQ(record.events[i].value, events[i].value);
        EXPECT_EQ(record.events[i].utcTime, events[i].utcTime);
        EXPECT_EQ(record.events[i].userName, events[i].userName);
    }

    std::string csv = m_folder + "/out.csv";
    long long count = 0;
    ASSERT_EQ(ExportHistoryCsv(Path(), csv, "", "", PosixCsvFiles(), reason, count), ExportResult::Written) << reason;
    std::ifstream in(csv, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find(",Alert ID,Case state,Case updated\r\n"), std::string::npos);
    EXPECT_NE(text.str().find(",AT-00000001-0002,Reported to the authority,2026-12-09T08:00:00Z\r\n"),
              std::string::npos)
        << text.str();
}

// A double decommission: the next step names this pharmacy's own earlier
// Decommission when it may still be undone, and only then.
TEST_F(AlertCaseStore, AnAlreadyInactiveAlertFindsThisPharmacysOwnDecommission)
{
    auto outcome = [](const char* utc, const char* user, const char* computer, int kind, const char* heading) {
        HistoryEntry e;
        e.utcTime = utc;
        e.localTime = std::string(utc).substr(0, 19);
        e.mode = Decommission;
        e.kind = kind;
        e.statusText = kind == ScanResultKind::Success ? "Success" : "Error";
        e.status = kind == ScanResultKind::Success ? "1" : "0";
        e.messageHeading = heading;
        e.gtin = "04150123456782";
        e.sn = "DEMO0001";
        e.userName = user;
        e.computerName = computer;
        return e;
    };
    const int S = ScanResultKind::Success, E = ScanResultKind::Error;
    const char kInactive[] = "NMVS_NC_PCK_22 Pack already inactive";
    std::string reason;
    {
        HistoryStore store;
        ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
        const HistoryEntry rows[] = {
            outcome("2026-12-01T08:00:00Z", "PHARM01", "COUNTER-1", S, "Pack decommissioned"),  // 1
            outcome("2026-12-08T08:00:00Z", "PHARM01", "COUNTER-1", E, kInactive),              // 2: own, 7 days
            outcome("2026-12-12T08:00:00Z", "PHARM01", "COUNTER-1", E, kInactive),              // 3: 11 days
            outcome("2026-12-08T09:00:00Z", "PHARM02", "COUNTER-1", E, kInactive),              // 4: other account
            outcome("2026-12-08T09:30:00Z", "PHARM01", "COUNTER-9", E, kInactive),              // 5: other computer
        };
        for (const HistoryEntry& row : rows) ASSERT_TRUE(store.Add(row, reason)) << reason;
    }
    HistoryReader reader;
    ASSERT_TRUE(reader.Open(Path(), reason)) << reason;
    for (int64_t id = 2; id <= 5; ++id) {
        HistoryEntry alert = reader.RowsOf(&id, 1).at(0);
        std::optional<HistoryEntry> own = reader.OwnDecommissionBefore(alert);
        EXPECT_EQ(own.has_value(), id == 2) << "row " << id;
        AnswerGuidance guidance = GuidanceOfEntry(alert, own ? &*own : nullptr);
        EXPECT_EQ(guidance.undoOffered, id == 2) << "row " << id;
        if (id == 2) {
            EXPECT_EQ(own->id, 1);
            EXPECT_EQ(guidance.nextStep,
                      "Decommissioned here on 2026-12-01 at 08:00: undo it with Recommission, then supply it.");
            EXPECT_NE(DetailsText(alert, &*own).find("\r\nNext step: Decommissioned here on 2026-12-01"),
                      std::string::npos)
                << DetailsText(alert, &*own);
        }
    }
}

// The page read back by Python's HTML parser: every field of the scan, the
// verdict, every change and the photo's very bytes; markup in a field stays
// text.
TEST_F(AlertCaseStore, TheCaseSheetCarriesEveryFieldAndThePhoto)
{
    CaseSheetInput in;
    HistoryEntry& e = in.entry;
    e.localTime = "2026-12-08T10:00:00";
    e.utcTime = "2026-12-08T09:00:00Z";
    e.spoolKey = "123456";
    e.mode = Decommission;
    e.kind = ScanResultKind::Error;
    e.barcode = "0104150123456782\x1d" "21NOSUCH";
    e.statusText = "Error";
    e.status = "0";
    e.messageHeading = "NMVS_NC_PC_02 Unknown serial number";
    e.messageBody = "Serial <b>NOSUCH</b> & more. Alert ID: AT-00000001-0001.";
    e.gtin = "04150123456782";
    e.sn = "NOSUCH";
    e.userName = "PHARM01";
    e.computerName = "COUNTER-2";
    e.readSerial = "NOSUCH";
    in.guidance = GuidanceOfEntry(e);
    in.record.alertId = "AT-00000001-0001";
    in.record.state = CaseState::SetAside;
    in.record.note = "Print differs: \"NOSUCH\" vs \"NOSUCK\"";
    in.record.events = {Event("State", "Set aside", "2026-12-08T09:05:00Z", "anna"),
                        Event("Note", in.record.note, "2026-12-08T09:06:00Z", "ben")};
    in.deadline = "6 days 23 h left";
    std::string photo("\x89PNG\r\n\x1a\n\0\xff\x01", 11);
    in.photos = {{"1-1.png", photo}};
    std::string page = m_folder + "/sheet.html", seen = m_folder + "/seen.txt";
    std::ofstream(page, std::ios::binary) << CaseSheetHtml(in);
    std::string script =
        "import sys,html.parser,base64\n"
        "class P(html.parser.HTMLParser):\n"
        "  def __init__(s): super().__init__(); s.t=[]; s.img=[]\n"
        "  def handle_data(s,d): s.t.append(d)\n"
        "  def handle_starttag(s,tag,a):\n"
        "    a=dict(a)\n"
        "    if tag=='img': s.img.append(base64.b64decode(a['src'].split(',')[1]))\n"
        "p=P(); p.feed(open(sys.argv[1],encoding='cp1252').read())\n"
        "out=open(sys.argv[2],'wb'); out.write('\\n'.join(p.t).encode('cp1252')); out.write(b'\\nIMG:'+p.img[0])\n";
    std::ofstream(m_folder + "/read.py") << script;
    ASSERT_EQ(std::system(("python3 " + m_folder + "/read.py " + page + " " + seen).c_str()), 0);
    std::ifstream in2(seen, std::ios::binary);
    std::stringstream text;
    text << in2.rdbuf();
    const std::string read = text.str();
    auto lines = "\n" + read.substr(0, read.find("\nIMG:")) + "\n";
    for (const auto& [name, value] : EntryFields(e)) {
        EXPECT_NE(lines.find(std::string("\n") + name + "\n"), std::string::npos) << name;
        if (!value.empty()) EXPECT_NE(lines.find("\n" + value + "\n"), std::string::npos) << name << ": " << value;
    }
    for (const char* piece : {"\nAlert: do not supply\n", "\nAT-00000001-0001\n", "\nSet aside\n", "\nanna\n",
                              "\nben\n", "\n6 days 23 h left\n", "\n2026-12-08T09:05:00\n"})
        EXPECT_NE(lines.find(piece), std::string::npos) << piece;
    EXPECT_NE(lines.find(in.record.note), std::string::npos);
    EXPECT_NE(lines.find(in.guidance.nextStep), std::string::npos);
    EXPECT_EQ(read.substr(read.find("\nIMG:") + 5), photo);
}

}  // namespace
