// The activity report's printable HTML page: the period, program, computer
// and account; a bar chart of scans per day by verdict (inline SVG, no
// script); the per-day table; the alerts with their case state and age; the
// decommissions undone; the deliveries checked. Portable.
#pragma once
#include <ctime>
#include <string>

#include "reports/activity_figures.h"

struct ActivityHeader {
    std::string from, to;  // YYYY-MM-DD, empty for no bound
    std::string programVersion, computer, account, madeLocal;
    std::time_t now = 0;  // for the alerts' age
};

// The chart alone: one stacked bar per day, coloured by verdict, with its legend.
std::string ActivityChartSvg(const ActivityFigures& figures);
std::string ActivityReportHtml(const ActivityHeader& header, const ActivityFigures& figures);
