// The delivery check's and the reports' English texts.
#include "reports/report_texts.h"

#include <cstddef>

namespace {

struct Entry {
    ReportText id;
    const char* text;
};

// In ReportText's order: ReportString() relies on it and a test checks it.
const Entry kTexts[] = {
    {ReportText::TallyChecked, "Packs checked"},
    {ReportText::TallyMaySupply, "May be supplied"},
    {ReportText::TallyAlerts, "Alerts"},
    {ReportText::TallyNotToSupply, "Not to be supplied"},
    {ReportText::TallyUnknownProduct, "Unknown product"},
    {ReportText::TallyShortDated, "Short-dated"},
    {ReportText::TallyTwice, "Same pack twice"},
    {ReportText::TallyNotCheckedYet, "Not checked yet"},

    {ReportText::NotCheckedYet, "Not checked yet"},
    {ReportText::ReasonWaiting, "Waiting for the service"},
    {ReportText::ReasonTwice, "Scanned twice in this delivery"},
    {ReportText::NextTwice, "If two packs carry this code, set both aside, marked, and contact the supplier; if one "
                            "pack was scanned twice, nothing more to do."},
    {ReportText::ReasonShortDated, "Short-dated: use by %s"},
    {ReportText::NextShortDated, "It may be supplied. Keep it apart if the supplier takes short-dated packs back."},

    {ReportText::ColumnTime, "Time"},
    {ReportText::ColumnProduct, "Product code"},
    {ReportText::ColumnBatch, "Batch"},
    {ReportText::ColumnExpiry, "Expiry"},
    {ReportText::ColumnSerial, "Serial number"},
    {ReportText::ColumnVerdict, "Verdict"},
    {ReportText::ColumnReason, "Why"},
    {ReportText::ColumnNextStep, "Next step"},
    {ReportText::ColumnAlertId, "Alert ID"},
    {ReportText::ColumnHeading, "Answer"},
    {ReportText::ColumnUser, "User name"},
    {ReportText::ModeVerify, "Verify"},
    {ReportText::ModeDecommission, "Decommission"},
    {ReportText::ModeRecommission, "Recommission"},

    {ReportText::DeliveryTitle, "Delivery %s"},
    {ReportText::DeliverySupplier, "Supplier"},
    {ReportText::DeliveryNote, "Delivery note"},
    {ReportText::DeliveryOpened, "Opened"},
    {ReportText::DeliveryClosed, "Closed"},
    {ReportText::DeliveryStillOpen, "still open"},
    {ReportText::DeliveryCounts, "Tally"},
    {ReportText::DeliveryPutAside, "Packs to put aside"},
    {ReportText::DeliveryNothingAside, "No pack to put aside."},
    {ReportText::DeliveryEveryPack, "Every pack checked"},

    {ReportText::ActivityTitle, "Activity report"},
    {ReportText::ActivityPeriod, "Period"},
    {ReportText::ActivityAllTime, "the whole history"},
    {ReportText::ActivityProgram, "Program version"},
    {ReportText::ActivityComputer, "Computer"},
    {ReportText::ActivityAccount, "Account"},
    {ReportText::ActivityMade, "Made"},
    {ReportText::ActivityChart, "Scans per day by verdict"},
    {ReportText::ActivityPerDay, "Per day"},
    {ReportText::ActivityDay, "Day"},
    {ReportText::ActivityScans, "Scans"},
    {ReportText::ActivityAlertsRaised, "Alerts raised"},
    {ReportText::ActivityHeldNotSent, "Held and not sent"},
    {ReportText::ActivityTotal, "Total"},
    {ReportText::ActivityAlerts, "Alerts of the period"},
    {ReportText::ActivityNoAlerts, "No alert in the period."},
    {ReportText::ActivityCaseState, "Case state"},
    {ReportText::ActivityAge, "Age"},
    {ReportText::ActivityUndone, "Decommissions undone within 10 days"},
    {ReportText::ActivityNoneUndone, "No decommission undone in the period."},
    {ReportText::ActivityDecommissioned, "Decommissioned"},
    {ReportText::ActivityRecommissioned, "Recommissioned"},
    {ReportText::ActivityDeliveries, "Deliveries checked"},
    {ReportText::ActivityNoDeliveries, "No delivery checked in the period."},
    {ReportText::ActivityDelivery, "Delivery"},
    {ReportText::ActivityNoScans, "No scan in the period."},
    {ReportText::CsvYes, "yes"},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<size_t>(ReportText::CsvYes) + 1);

}  // namespace

const char* ReportString(ReportText id)
{
    size_t index = static_cast<size_t>(id);
    return index < sizeof kTexts / sizeof kTexts[0] && kTexts[index].id == id ? kTexts[index].text : "";
}
