// Row colours, the alert rule and the row time.
#include "ui/main/result_rules.h"

#include "verify/outage_rules.h"
#include "verify/scan_route.h"

bool RowBackground(int32_t kind, RunColour& colour)
{
    switch (kind) {
    case ScanResultKind::Scanned: colour = {255, 255, 255}; return true;
    case ScanResultKind::Failed: colour = {255, 240, 240}; return true;
    case ScanResultKind::Success: colour = {240, 255, 240}; return true;
    case ScanResultKind::Warning:
    case ScanResultKind::Waiting:
    case ScanResultKind::Held: colour = {255, 255, 240}; return true;
    case ScanResultKind::Error: colour = {255, 240, 240}; return true;
    default: return false;
    }
}

bool NeedsAlert(const ScanResult& result)
{
    if (result.status == "3") return false;
    switch (result.kind) {
    case ScanResultKind::Failed:
    case ScanResultKind::Error: return true;
    case ScanResultKind::Warning:
        // A change found made after its answer was lost, or not sent after a
        // check: the pharmacist looks at the pack whatever the mode.
        if (result.statusText == kDoneBeforeStatusText ||
            SaysCheckedFirst(result.messageHeading))
            return true;
        return result.mode == Verify || result.mode == Recommission;
    case ScanResultKind::Success: return result.mode == Verify || result.mode == Recommission;
    // Once per outage, not once per scan.
    case ScanResultKind::Waiting: return result.status == kOutageAlertStatus;
    default: return false;
    }
}

std::string RowTime(const std::string& timestamp) { return timestamp.substr(0, 19); }
