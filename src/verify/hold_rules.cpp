// The hold rule and the held scan's texts.
#include "verify/hold_rules.h"

#include "core/scan_result.h"
#include "core/test_barcodes.h"
#include "packcode/pack_code.h"

const char kHeldStatusText[] = "Held";
const char kNotSentStatusText[] = "Not sent";
const char kHeldCaption[] = "Scan held";

namespace {

bool MayBeHeld(bool holdOn, int32_t mode, const std::string& barcode)
{
    bool packMode = mode == Verify || mode == Decommission || mode == Recommission;
    return holdOn && packMode && !IsTestBenchBarcode(barcode);
}

std::string ExpiredSentence(const std::string& expiredOn) { return "The pack expired on " + expiredOn + "."; }

std::string FaultList(const std::vector<std::string>& faults)
{
    std::string list;
    for (const std::string& fault : faults) list += "- " + fault + "\n";
    return list;
}

}  // namespace

HoldReasons ReasonsToHold(bool holdOn, int32_t mode, const std::string& barcode,
                          const std::optional<CalendarDate>& today)
{
    if (!MayBeHeld(holdOn, mode, barcode)) return {};
    PackCodeReading reading = ReadPackCode(barcode);
    // Verify and Recommission go out: neither supplies the pack.
    std::string expiredOn = mode == Decommission ? ExpiredOn(reading.expiry, today) : "";
    return {reading.faults, expiredOn};
}

std::string HeldRowHeading(const HoldReasons& reasons)
{
    return reasons.expiredOn.empty() ? "Not sent: the code looks damaged or misread" : "Not sent: the pack has expired";
}

std::string HeldRowText(const HoldReasons& reasons)
{
    std::string text = reasons.expiredOn.empty() ? "" : ExpiredSentence(reasons.expiredOn);
    for (const std::string& fault : reasons.faults) text += (text.empty() ? "" : " ") + fault;
    return text;
}

std::string HeldScanQuestion(const HoldReasons& reasons, const std::string& escapedBarcode)
{
    std::string barcode = "Barcode: " + escapedBarcode + "\n\n";
    if (reasons.expiredOn.empty()) {
        return "This scan was not sent: its code looks damaged or misread.\n\n" + FaultList(reasons.faults) + "\n" +
               barcode +
               "Scan the pack again and choose Do not send. Choose Send anyway only when the pack's code really "
               "reads like this.";
    }
    std::string text = "This pack was not decommissioned: it expired on " + reasons.expiredOn +
                       ".\n\nIt must not be supplied. Put it with the packs for destruction.\n\n";
    if (!reasons.faults.empty()) text += "Its code also looks damaged or misread:\n" + FaultList(reasons.faults) + "\n";
    return text + barcode + "Choose Do not send. Choose Send anyway only if the pack must be decommissioned all the same.";
}
