// The activity report's figures from a history whose counts are known, and
// its page: the chart drawn without script, every section present.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "core/scan_result.h"
#include "guide/answer_guide.h"
#include "history/alert_case.h"
#include "history/delivery_record.h"
#include "history/history_store.h"
#include "reports/activity_figures.h"
#include "reports/activity_report.h"

namespace {

struct Row {
    const char* localTime;
    int mode, kind;
    const char *statusText, *status, *heading;
    const char* serial;
    int64_t delivery;
    int64_t waited = 0;  // seconds through an outage
};

const int S = ScanResultKind::Success, W = ScanResultKind::Warning, E = ScanResultKind::Error,
          F = ScanResultKind::Failed, H = ScanResultKind::Held;

// Two days in the period (1 and 3 December) and rows before it.
const Row kRows[] = {
    {"2026-11-20T09:00:00", Decommission, S, "Success", "1", "Pack decommissioned", "OLD", 0},  // before the period
    {"2026-11-24T09:00:00", Decommission, S, "Success", "1", "Pack decommissioned", "Y1", 0},
    {"2026-12-01T08:00:00", Verify, S, "Success", "1", "Pack verified", "A1", 0},
    {"2026-12-01T08:01:00", Verify, S, "Success", "1", "Pack verified", "A2", 0, 300},
    {"2026-12-01T08:02:00", Decommission, S, "Success", "1", "Pack decommissioned", "X1", 0, 120},
    {"2026-12-01T08:03:00", Decommission, H, "Not sent", "", "Not sent: deleted at the counter", "H1", 0},
    {"2026-12-01T08:04:00", Decommission, F, "Failed", "", "Request failed due to timeout", "T1", 0},
    {"2026-12-03T10:00:00", Recommission, S, "Success", "1", "Pack recommissioned", "X1", 0},  // undone in 2 days
    {"2026-12-03T10:01:00", Recommission, S, "Success", "1", "Pack recommissioned", "Y1", 0},  // after 9 days
    {"2026-12-03T10:02:00", Decommission, E, "Error", "0", "NMVS_NC_PC_02 Unknown serial number", "Z9", 0},
    {"2026-12-03T11:00:00", Verify, S, "Success", "1", "Pack verified", "D1", 1, 45},
    {"2026-12-03T11:01:00", Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Recalled)", "D2", 1},
    {"2026-12-04T09:00:00", Verify, S, "Success", "1", "Pack verified", "LATE", 0},  // after the period
};

class ActivityReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() / ("pellwick-activity-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_folder);
        std::string reason;
        ASSERT_TRUE(m_store.Open((m_folder / "history.db").string(), "2026-12-08", reason)) << reason;
        for (const Row& row : kRows) {
            HistoryEntry e;
            e.localTime = row.localTime;
            e.utcTime = std::string(row.localTime) + "Z";
            e.mode = row.mode;
            e.kind = row.kind;
            e.statusText = row.statusText;
            e.status = row.status;
            e.messageHeading = row.heading;
            e.barcode = std::string("0109000000000001172812311" "0B1\x1d" "21") + row.serial;
            e.delivery = row.delivery;
            e.waitedSeconds = row.waited;
            ASSERT_TRUE(m_store.Add(e, reason)) << reason;
        }
        DeliveryRecord delivery;
        delivery.supplier = "Phoenix";
        delivery.openedLocal = "2026-12-03T10:59:00";
        delivery.openedUtc = "2026-12-03T10:59:00Z";
        ASSERT_EQ(StartDelivery(m_store.Connection(), delivery, reason), 1) << reason;
        CaseEvent setAside{"State", "Set aside", "2026-12-03T10:30:00", "2026-12-03T10:30:00Z", "anna"};
        m_store.Close();
        ASSERT_TRUE(RecordCaseEvent((m_folder / "history.db").string(), 10, setAside, reason)) << reason;
        ASSERT_TRUE(m_store.Open((m_folder / "history.db").string(), "2026-12-08", reason)) << reason;
    }
    void TearDown() override
    {
        m_store.Close();
        std::filesystem::remove_all(m_folder);
    }

    ActivityFigures Figures(const std::string& from, const std::string& to)
    {
        ActivityInput input;
        input.from = from;
        input.to = to;
        input.scans = ScansOfDays(m_store.Connection(), from.empty() ? from : DaysBefore(from, 10), to);
        input.deliveries = DeliveriesOpened(m_store.Connection(), from, to);
        input.today = CalendarDate{2026, 12, 8};
        return ActivityFiguresOf(input);
    }

    std::filesystem::path m_folder;
    HistoryStore m_store;
};

TEST_F(ActivityReport, TheFiguresAreTheHistorysCounts)
{
    ActivityFigures f = Figures("2026-12-01", "2026-12-03");
    ASSERT_EQ(f.days.size(), 2u);
    const struct {
        const DayFigures& day;
        const char* name;
        int scans, verify, decommission, recommission, supply, alert, doNot, checkAgain, alerts, held, waited;
        long long waitedSeconds;
    } days[] = {
        {f.days[0], "2026-12-01", 5, 2, 3, 0, 3, 0, 0, 2, 0, 1, 2, 420},
        {f.days[1], "2026-12-03", 5, 2, 1, 2, 3, 1, 1, 0, 1, 0, 1, 45},
        {f.total, "", 10, 4, 4, 2, 6, 1, 1, 2, 1, 1, 3, 465},
    };
    for (const auto& d : days) {
        EXPECT_EQ(d.day.day, d.name);
        EXPECT_EQ(d.day.scans, d.scans) << d.name;
        EXPECT_EQ(d.day.byMode[Verify], d.verify) << d.name;
        EXPECT_EQ(d.day.byMode[Decommission], d.decommission) << d.name;
        EXPECT_EQ(d.day.byMode[Recommission], d.recommission) << d.name;
        EXPECT_EQ(d.day.byVerdict[static_cast<int>(Verdict::Supply)], d.supply) << d.name;
        EXPECT_EQ(d.day.byVerdict[static_cast<int>(Verdict::AlertDoNotSupply)], d.alert) << d.name;
        EXPECT_EQ(d.day.byVerdict[static_cast<int>(Verdict::DoNotSupply)], d.doNot) << d.name;
        EXPECT_EQ(d.day.byVerdict[static_cast<int>(Verdict::CheckAgain)], d.checkAgain) << d.name;
        EXPECT_EQ(d.day.alertsRaised, d.alerts) << d.name;
        EXPECT_EQ(d.day.heldNotSent, d.held) << d.name;
        EXPECT_EQ(d.day.waitedScans, d.waited) << d.name;
        EXPECT_EQ(d.day.waitedSeconds, d.waitedSeconds) << d.name;
    }
    ASSERT_EQ(f.alerts.size(), 1u);
    EXPECT_EQ(f.alerts[0].caseState, "Set aside");
    // X1 was undone after two days; Y1 after nine, its Decommission before the
    // period; OLD never.
    ASSERT_EQ(f.undone.size(), 2u);
    EXPECT_EQ(f.undone[0].decommission.localTime, "2026-12-01T08:02:00");
    EXPECT_EQ(f.undone[1].decommission.localTime, "2026-11-24T09:00:00");
    ASSERT_EQ(f.deliveries.size(), 1u);
    EXPECT_EQ(f.deliveries[0].tally.checked, 2);
    EXPECT_EQ(f.deliveries[0].tally.maySupply, 1);
    EXPECT_EQ(f.deliveries[0].tally.notToSupply, 1);
}

TEST_F(ActivityReport, UndoingAfterTheUndoTimeIsNoUndo)
{
    // From 3 December the lookback reaches 23 November: Y1's Decommission on
    // the 24th is found, OLD's on the 20th would not be.
    ActivityFigures f = Figures("2026-12-03", "2026-12-03");
    EXPECT_EQ(f.total.scans, 5);
    ASSERT_EQ(f.undone.size(), 2u);
    ActivityFigures all = Figures("", "");
    EXPECT_EQ(all.total.scans, 13);
    EXPECT_EQ(all.days.size(), 5u);
}

TEST_F(ActivityReport, ThePageDrawsTheChartWithoutScript)
{
    ActivityFigures f = Figures("2026-12-01", "2026-12-03");
    ActivityHeader header{"2026-12-01", "2026-12-03", "1.5.0", "COUNTER1", "KVDEMO01", "2026-12-08 09:00", 0};
    header.now = 1796724000;  // 2026-12-08T10:00:00Z
    std::string html = ActivityReportHtml(header, f);
    for (const char* text : {"Activity report", "2026-12-01 - 2026-12-03", "1.5.0", "COUNTER1", "KVDEMO01",
                             "<svg", "Scans per day by verdict", "Alerts of the period", "Set aside",
                             "Decommissions undone within 10 days", "Deliveries checked", "Phoenix", "4 days 23 h",
                             "Waited in an outage", "<td>7 min</td>"})
        EXPECT_NE(html.find(text), std::string::npos) << text;
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("password"), std::string::npos);
    // Day 1: Supply and Check again; day 3: Supply, Alert, Do not supply;
    // and the legend's five.
    std::string svg = ActivityChartSvg(f);
    size_t rects = 0;
    for (size_t at = svg.find("<rect"); at != std::string::npos; at = svg.find("<rect", at + 1)) ++rects;
    EXPECT_EQ(rects, 2u + 3u + 5u);
    EXPECT_NE(svg.find("2026-12-03: 1 Alert: do not supply"), std::string::npos);
}

}  // namespace
