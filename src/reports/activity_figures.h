// The activity report's figures, from the history's rows of a period: per
// day the scans by mode and by verdict, the alerts raised, the scans held
// and not sent, and the time scans waited for the service in outages; the alerts with their case; the decommissions undone within
// the undo time; the deliveries checked with their tallies. Portable.
#pragma once
#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "history/delivery_record.h"
#include "history/history_entry.h"
#include "reports/delivery_tally.h"

constexpr int kMostChartDays = 92;
constexpr int kModeColumns = 3;     // Verify, Decommission, Recommission
constexpr int kVerdictColumns = 5;  // in Verdict's order

struct DayFigures {
    std::string day;  // YYYY-MM-DD, local
    int scans = 0;
    int byMode[kModeColumns] = {};
    int byVerdict[kVerdictColumns] = {};
    int alertsRaised = 0;
    int heldNotSent = 0;
    int waitedScans = 0;           // answered only after waiting through an outage
    long long waitedSeconds = 0;  // their waiting, added up
};

struct UndoneDecommission {
    HistoryEntry decommission, recommission;
};

struct DeliveryFigures {
    DeliveryRecord delivery;
    DeliveryTally tally;
};

struct ActivityFigures {
    std::vector<DayFigures> days;  // oldest first, only days with scans
    // The chart's days: every day of a bounded period of up to kMostChartDays
    // days, those without scans too, so that a quiet day shows as a gap;
    // otherwise the days with scans.
    std::vector<DayFigures> chartDays;
    DayFigures total;
    std::vector<HistoryEntry> alerts;  // oldest first
    std::vector<UndoneDecommission> undone;
    std::vector<DeliveryFigures> deliveries;
};

struct ActivityInput {
    std::string from, to;  // YYYY-MM-DD, empty for no bound
    // The period's rows, oldest first; rows up to the undo time before
    // `from` may come too: they only find the decommissions undone.
    std::vector<HistoryEntry> scans;
    std::vector<DeliveryRecord> deliveries;
    std::optional<CalendarDate> today;
    long shortDatedMonths = 3;
};

ActivityFigures ActivityFiguresOf(const ActivityInput& input);
// The day `days` before `date` (YYYY-MM-DD; a negative count goes forward);
// `date` itself when it is no date.
std::string DaysBefore(const std::string& date, int days);
