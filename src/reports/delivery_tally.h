// A delivery's running tally and the packs to put aside, from its scans: each
// pack counted once by its latest scan, in exactly one of may be supplied,
// alert, not to be supplied, unknown product or not checked yet; short-dated
// and scanned twice counted beside those. Portable.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_entry.h"
#include "packcode/expiry_date.h"

// One scan of a delivery: its history row, or what is known of a scan not
// settled yet (kept waiting, held, on its way).
struct DeliveryScan {
    HistoryEntry entry;
    bool settled = true;
};

struct PutAsidePack {
    HistoryEntry entry;  // the pack's latest scan
    std::string verdict, reason, nextStep;
};

struct DeliveryTally {
    int checked = 0;  // packs, each once however often it was scanned
    int maySupply = 0, alerts = 0, notToSupply = 0, unknownProduct = 0, notCheckedYet = 0;
    int shortDated = 0, twice = 0;
    std::vector<PutAsidePack> putAside;  // in the order first scanned
};

// Whether a pack of expiry YYMMDD may still be used today but no longer than
// `months` months from it; false without a trusted today or a date.
bool IsShortDated(std::string_view yymmdd, const std::optional<CalendarDate>& today, long months);

DeliveryTally TallyDelivery(const std::vector<DeliveryScan>& scans, const std::optional<CalendarDate>& today,
                            long shortDatedMonths);

// The pack as read from its code: product code, batch, expiry and serial,
// from the history's reading when it has one.
struct PackFields {
    std::string productCode, batch, expiry, serial;
};
PackFields PackFieldsOf(const HistoryEntry& entry);
