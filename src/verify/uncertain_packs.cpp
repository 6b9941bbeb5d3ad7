// Which packs are left uncertain, and what each outcome says of that.
#include "verify/uncertain_packs.h"

#include "core/scan_result.h"
#include "verify/double_scan_guard.h"
#include "verify/outage_rules.h"
#include "verify/scan_route.h"

PackNews NewsOfOutcome(int32_t mode, int32_t kind, const std::string& statusText, const std::string& status,
                       const std::string& messageHeading, int curlResult)
{
    if (!ChangesPackState(mode)) return PackNews::None;
    switch (kind) {
    case ScanResultKind::Success:
        // The guard's row: nothing was sent.
        if (statusText == kDoneBeforeStatusText) return PackNews::None;
        return PackNews::Settled;
    case ScanResultKind::Warning:
    case ScanResultKind::Error: return PackNews::Settled;
    case ScanResultKind::Failed: break;
    default: return PackNews::None;
    }
    // A Verify sent first that brought no answer leaves the pack as it was.
    if (SaysCheckedFirst(messageHeading)) return PackNews::Uncertain;
    if (curlResult != 0) return LeavesOutcomeUncertain(ReadExchange(curlResult, "")) ? PackNews::Uncertain : PackNews::None;
    // No item status: a refusal, an error page or nothing readable.
    return status == "3" ? PackNews::Uncertain : PackNews::Settled;
}

void UncertainPacks::Note(PackNews news, const std::string& barcode, std::time_t when)
{
    if (news == PackNews::None || (news == PackNews::Settled && m_since.empty())) return;
    std::string pack = DoubleScanGuard::PackKey(barcode);
    if (news == PackNews::Uncertain)
        m_since[pack] = when;
    else
        m_since.erase(pack);
}

bool UncertainPacks::IsUncertain(const std::string& barcode, std::time_t now) const
{
    if (m_since.empty()) return false;
    auto found = m_since.find(DoubleScanGuard::PackKey(barcode));
    return found != m_since.end() && now - found->second < kUncertainDays * 24 * 3600;
}
