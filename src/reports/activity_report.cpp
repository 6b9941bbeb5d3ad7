// The activity report's page and chart.
#include "reports/activity_report.h"

#include <algorithm>
#include <iterator>

#include "base/html_text.h"
#include "guide/answer_guide.h"
#include "history/alert_case.h"
#include "history/history_view_rules.h"
#include "history/past_successes.h"
#include "reports/delivery_report.h"
#include "reports/report_page.h"

namespace {

// The results list's colours for the verdicts, in Verdict's order.
const char* const kVerdictColours[kVerdictColumns] = {"#2e7d32", "#c62828", "#ef6c00", "#f9a825", "#6a1b9a"};
const ReportText kModeWords[kModeColumns] = {ReportText::ModeVerify, ReportText::ModeDecommission,
                                             ReportText::ModeRecommission};

constexpr int kChartHeight = 180, kBarWidth = 24, kBarGap = 16, kLeft = 40, kTop = 16, kLegendHeight = 24;
constexpr int kLegendCharWidth = 7;
constexpr int kNamedDays = 14;  // wide enough for the 10-pixel legend text

std::string Number(int value) { return "#" + std::to_string(value); }

std::vector<std::string> Words(const ReportText* ids, size_t count)
{
    std::vector<std::string> words;
    for (size_t i = 0; i < count; ++i) words.push_back(ReportString(ids[i]));
    return words;
}

std::string Rect(int x, int y, int width, int height, const char* colour, const std::string& title)
{
    return "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" + std::to_string(width) +
           "\" height=\"" + std::to_string(height) + "\" fill=\"" + colour + "\"><title>" + HtmlText(title) +
           "</title></rect>";
}

std::string Label(int x, int y, const std::string& text, const char* anchor = "middle")
{
    return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" font-size=\"10\" text-anchor=\"" +
           anchor + "\">" + HtmlText(text) + "</text>";
}

// The legend; `width` gets its right end.
std::string Legend(int y, int& width)
{
    std::string svg;
    int x = kLeft;
    for (int v = 0; v < kVerdictColumns; ++v) {
        std::string word = VerdictWord(static_cast<Verdict>(v));
        svg += Rect(x, y, 10, 10, kVerdictColours[v], word) + Label(x + 14, y + 9, word, "start");
        x += 28 + static_cast<int>(word.size()) * kLegendCharWidth;
    }
    width = x;
    return svg;
}

std::string PeriodText(const ActivityHeader& h)
{
    if (h.from.empty() && h.to.empty()) return ReportString(ReportText::ActivityAllTime);
    return (h.from.empty() ? "..." : h.from) + " - " + (h.to.empty() ? "..." : h.to);
}

std::string HeaderTable(const ActivityHeader& h)
{
    const std::pair<ReportText, std::string> facts[] = {
        {ReportText::ActivityPeriod, PeriodText(h)},     {ReportText::ActivityProgram, h.programVersion},
        {ReportText::ActivityComputer, h.computer},      {ReportText::ActivityAccount, h.account},
        {ReportText::ActivityMade, h.madeLocal},
    };
    std::string html = "<table class=\"facts\">\n";
    for (const auto& [name, value] : facts)
        html += "<tr><th>" + HtmlText(ReportString(name)) + "</th><td>" + HtmlText(value) + "</td></tr>\n";
    return html + "</table>\n";
}

std::vector<std::string> DayCells(const std::string& name, const DayFigures& day)
{
    std::vector<std::string> cells = {name, Number(day.scans)};
    for (int count : day.byMode) cells.push_back(Number(count));
    for (int count : day.byVerdict) cells.push_back(Number(count));
    cells.push_back(Number(day.alertsRaised));
    cells.push_back(Number(day.heldNotSent));
    cells.push_back(Number(day.waitedScans));
    cells.push_back(DurationText(day.waitedSeconds));
    return cells;
}

std::string DaysTable(const ActivityFigures& f)
{
    if (f.days.empty()) return "<p>" + HtmlText(ReportString(ReportText::ActivityNoScans)) + "</p>\n";
    std::vector<std::string> columns = {ReportString(ReportText::ActivityDay), ReportString(ReportText::ActivityScans)};
    for (ReportText mode : kModeWords) columns.push_back(ReportString(mode));
    for (int v = 0; v < kVerdictColumns; ++v) columns.push_back(VerdictWord(static_cast<Verdict>(v)));
    columns.push_back(ReportString(ReportText::ActivityAlertsRaised));
    columns.push_back(ReportString(ReportText::ActivityHeldNotSent));
    columns.push_back(ReportString(ReportText::ActivityWaitedScans));
    columns.push_back(ReportString(ReportText::ActivityWaitedTime));
    std::string html = "<table>\n" + HeaderRow(columns);
    for (const DayFigures& day : f.days) html += DataRow(DayCells(day.day, day));
    html += DataRow(DayCells(ReportString(ReportText::ActivityTotal), f.total), "total");
    return html + "</table>\n";
}

std::string AlertsTable(const ActivityHeader& h, const ActivityFigures& f)
{
    if (f.alerts.empty()) return "<p>" + HtmlText(ReportString(ReportText::ActivityNoAlerts)) + "</p>\n";
    const ReportText columns[] = {ReportText::ColumnTime,   ReportText::ColumnAlertId, ReportText::ColumnProduct,
                                  ReportText::ColumnSerial, ReportText::ColumnHeading, ReportText::ActivityCaseState,
                                  ReportText::ActivityAge};
    std::string html = "<table>\n" + HeaderRow(Words(columns, std::size(columns)));
    for (const HistoryEntry& alert : f.alerts) {
        PackFields pack = PackFieldsOf(alert);
        std::optional<std::time_t> when = ParseUtcTime(alert.utcTime);
        std::string state = CaseStateWord(CaseStateOfStored(alert.caseState));
        std::string id = alert.caseAlertId.empty() ? AlertIdIn(alert.messageHeading, alert.messageBody)
                                                    : alert.caseAlertId;
        html += DataRow({ShownTime(alert.localTime), id, pack.productCode, pack.serial, alert.messageHeading, state,
                         when ? DurationText(static_cast<long long>(h.now - *when)) : ""},
                        "alert");
    }
    return html + "</table>\n";
}

std::string UndoneTable(const ActivityFigures& f)
{
    if (f.undone.empty()) return "<p>" + HtmlText(ReportString(ReportText::ActivityNoneUndone)) + "</p>\n";
    const ReportText columns[] = {ReportText::ActivityDecommissioned, ReportText::ActivityRecommissioned,
                                  ReportText::ColumnProduct, ReportText::ColumnSerial, ReportText::ColumnUser};
    std::string html = "<table>\n" + HeaderRow(Words(columns, std::size(columns)));
    for (const UndoneDecommission& u : f.undone) {
        PackFields pack = PackFieldsOf(u.recommission);
        html += DataRow({ShownTime(u.decommission.localTime), ShownTime(u.recommission.localTime),
                         pack.productCode, pack.serial, u.recommission.userName});
    }
    return html + "</table>\n";
}

std::string DeliveriesTable(const ActivityFigures& f)
{
    if (f.deliveries.empty()) return "<p>" + HtmlText(ReportString(ReportText::ActivityNoDeliveries)) + "</p>\n";
    std::vector<std::string> columns = {ReportString(ReportText::ActivityDelivery),
                                        ReportString(ReportText::DeliveryOpened),
                                        ReportString(ReportText::DeliverySupplier),
                                        ReportString(ReportText::DeliveryNote)};
    for (const auto& [name, count] : TallyLines(DeliveryTally{})) columns.push_back(name);
    std::string html = "<table>\n" + HeaderRow(columns);
    for (const DeliveryFigures& d : f.deliveries) {
        std::vector<std::string> cells = {std::to_string(d.delivery.id), ShownTime(d.delivery.openedLocal),
                                          d.delivery.supplier, d.delivery.noteNumber};
        for (const auto& [name, count] : TallyLines(d.tally)) cells.push_back(Number(count));
        html += DataRow(cells);
    }
    return html + "</table>\n";
}

}  // namespace

std::string ActivityChartSvg(const ActivityFigures& f)
{
    int most = 1;
    for (const DayFigures& day : f.chartDays) most = std::max(most, day.scans);
    const int days = static_cast<int>(f.chartDays.size());
    const int width = kLeft + std::max(days, 1) * (kBarWidth + kBarGap) + 20;
    const int plotBottom = kTop + kChartHeight;
    const int height = plotBottom + 30 + kLegendHeight;
    int legendWidth = 0;
    const std::string legend = Legend(plotBottom + 26, legendWidth);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(std::max(width, legendWidth)) +
                      "\" height=\"" + std::to_string(height) + "\" role=\"img\" aria-label=\"" +
                      HtmlText(ReportString(ReportText::ActivityChart)) + "\">";
    svg += "<line x1=\"" + std::to_string(kLeft - 4) + "\" y1=\"" + std::to_string(plotBottom) + "\" x2=\"" +
           std::to_string(width - 10) + "\" y2=\"" + std::to_string(plotBottom) + "\" stroke=\"#444\"/>";
    svg += Label(kLeft - 8, kTop + 8, std::to_string(most), "end") + Label(kLeft - 8, plotBottom, "0", "end");
    for (int i = 0; i < days; ++i) {
        const DayFigures& day = f.chartDays[i];
        int x = kLeft + i * (kBarWidth + kBarGap), y = plotBottom;
        for (int v = 0; v < kVerdictColumns; ++v) {
            int count = day.byVerdict[v];
            if (count == 0) continue;
            int h = count * kChartHeight / most;
            y -= h;
            svg += Rect(x, y, kBarWidth, h, kVerdictColours[v],
                        day.day + ": " + std::to_string(count) + " " + VerdictWord(static_cast<Verdict>(v)));
        }
        if (day.scans > 0) svg += Label(x + kBarWidth / 2, y - 3, std::to_string(day.scans));
        // "08.12.": day and month, short enough for the bar's width.
        std::string shortDay = day.day.size() >= 10 ? day.day.substr(8, 2) + "." + day.day.substr(5, 2) + "." : day.day;
        // A long period names every seventh day, so the names do not overlap.
        if (days <= kNamedDays || i % 7 == 0) svg += Label(x + kBarWidth / 2, plotBottom + 13, shortDay);
    }
    return svg + legend + "</svg>";
}

std::string ActivityReportHtml(const ActivityHeader& h, const ActivityFigures& f)
{
    std::string html = PageStart(ReportString(ReportText::ActivityTitle)) + HeaderTable(h);
    const std::pair<ReportText, std::string> sections[] = {
        {ReportText::ActivityChart, ActivityChartSvg(f) + "\n"},
        {ReportText::ActivityPerDay, DaysTable(f)},
        {ReportText::ActivityAlerts, AlertsTable(h, f)},
        {ReportText::ActivityUndone, UndoneTable(f)},
        {ReportText::ActivityDeliveries, DeliveriesTable(f)},
    };
    for (const auto& [heading, body] : sections) html += "<h2>" + HtmlText(ReportString(heading)) + "</h2>\n" + body;
    return html + "</body></html>\n";
}
