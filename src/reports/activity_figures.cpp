// The activity report's counting rules.
#include "reports/activity_figures.h"

#include <map>

#include "core/scan_result.h"
#include "guide/answer_guide.h"
#include "history/entry_guidance.h"
#include "history/past_successes.h"

namespace {

constexpr long long kUndoSeconds = 10LL * 24 * 60 * 60;

bool InPeriod(const HistoryEntry& e, const std::string& from)
{
    return from.empty() || e.localTime.compare(0, 10, from) >= 0;
}

// "Done before": the worker's row for a change found already made; nothing
// was done by that scan.
bool Succeeded(const HistoryEntry& e, int mode)
{
    return e.mode == mode && e.kind == ScanResultKind::Success && e.statusText != "Done before";
}

std::string PackOf(const HistoryEntry& e)
{
    PackFields pack = PackFieldsOf(e);
    return pack.serial.empty() ? "#" + e.barcode : pack.productCode + '\x1f' + pack.serial;
}

void CountDay(DayFigures& day, const HistoryEntry& e)
{
    ++day.scans;
    if (e.mode >= 0 && e.mode < kModeColumns) ++day.byMode[e.mode];
    AnswerGuidance guidance = GuidanceOfEntry(e);
    ++day.byVerdict[static_cast<int>(guidance.explained ? guidance.verdict : Verdict::CheckAgain)];
    if (guidance.alert) ++day.alertsRaised;
    // A held scan reaches the history only once the counter chose not to send it.
    if (e.kind == ScanResultKind::Held) ++day.heldNotSent;
    if (e.waitedSeconds > 0) {
        ++day.waitedScans;
        day.waitedSeconds += e.waitedSeconds;
    }
}

void AddTo(DayFigures& total, const DayFigures& day)
{
    total.scans += day.scans;
    for (int i = 0; i < kModeColumns; ++i) total.byMode[i] += day.byMode[i];
    for (int i = 0; i < kVerdictColumns; ++i) total.byVerdict[i] += day.byVerdict[i];
    total.alertsRaised += day.alertsRaised;
    total.heldNotSent += day.heldNotSent;
    total.waitedScans += day.waitedScans;
    total.waitedSeconds += day.waitedSeconds;
}

// A successful Recommission in the period undoes the pack's latest
// successful Decommission before it, when that lies within the undo time.
std::vector<UndoneDecommission> Undone(const ActivityInput& in)
{
    std::vector<UndoneDecommission> undone;
    std::map<std::string, const HistoryEntry*> lastDecommission;
    for (const HistoryEntry& e : in.scans) {
        if (Succeeded(e, Decommission)) lastDecommission[PackOf(e)] = &e;
        if (!Succeeded(e, Recommission) || !InPeriod(e, in.from)) continue;
        auto found = lastDecommission.find(PackOf(e));
        if (found == lastDecommission.end()) continue;
        std::optional<std::time_t> done = ParseUtcTime(found->second->utcTime), undo = ParseUtcTime(e.utcTime);
        if (done && undo && *undo - *done <= kUndoSeconds) undone.push_back({*found->second, e});
        lastDecommission.erase(found);
    }
    return undone;
}

std::vector<DayFigures> ChartDays(const std::string& from, const std::string& to,
                                  const std::map<std::string, DayFigures>& days)
{
    std::vector<DayFigures> chart;
    if (!from.empty() && !to.empty()) {
        for (std::string day = from; day <= to && chart.size() <= kMostChartDays; day = DaysBefore(day, -1)) {
            auto found = days.find(day);
            chart.push_back(found != days.end() ? found->second : DayFigures{});
            chart.back().day = day;
            if (DaysBefore(day, -1) == day) break;  // no date: no next day
        }
        if (chart.size() <= kMostChartDays) return chart;
        chart.clear();
    }
    for (const auto& [name, day] : days) chart.push_back(day);
    return chart;
}

}  // namespace

ActivityFigures ActivityFiguresOf(const ActivityInput& in)
{
    ActivityFigures figures;
    std::map<std::string, DayFigures> days;
    std::map<int64_t, std::vector<DeliveryScan>> deliveryScans;
    for (const HistoryEntry& e : in.scans) {
        if (!InPeriod(e, in.from)) continue;
        DayFigures& day = days[e.localTime.substr(0, 10)];
        day.day = e.localTime.substr(0, 10);
        CountDay(day, e);
        if (GuidanceOfEntry(e).alert) figures.alerts.push_back(e);
        if (e.delivery != 0) deliveryScans[e.delivery].push_back({e, true});
    }
    for (const auto& [name, day] : days) {
        figures.days.push_back(day);
        AddTo(figures.total, day);
    }
    figures.chartDays = ChartDays(in.from, in.to, days);
    figures.undone = Undone(in);
    for (const DeliveryRecord& delivery : in.deliveries)
        figures.deliveries.push_back(
            {delivery, TallyDelivery(deliveryScans[delivery.id], in.today, in.shortDatedMonths)});
    return figures;
}

std::string DaysBefore(const std::string& date, int days)
{
    std::optional<std::time_t> time = ParseUtcTime(date + "T12:00:00Z");
    if (!time) return date;
    std::time_t earlier = *time - static_cast<std::time_t>(days) * 24 * 60 * 60;
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &earlier);
#else
    gmtime_r(&earlier, &parts);
#endif
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &parts);
    return text;
}
