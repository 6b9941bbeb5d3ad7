// The delivery report: a printable HTML page with the delivery's details, its
// tally, the packs to put aside and every pack checked, and the same packs as
// CSV for a spreadsheet. Portable.
#pragma once
#include <string>
#include <vector>

#include "history/delivery_record.h"
#include "history/history_csv.h"
#include "reports/delivery_tally.h"

struct DeliveryReportInput {
    DeliveryRecord delivery;
    std::vector<DeliveryScan> scans;  // oldest first
    DeliveryTally tally;
};

// The tally's lines as the window and the page show them: name and count.
std::vector<std::pair<std::string, int>> TallyLines(const DeliveryTally& tally);

std::string DeliveryReportHtml(const DeliveryReportInput& input);
// UTF-8 with a byte-order mark; one row per scan, the packs to put aside
// marked.
std::string DeliveryReportCsv(const DeliveryReportInput& input, CodePageConverter toUtf8);
