// The hold rule and the held scan's texts.
#include "verify/hold_rules.h"

#include "base/string_format.h"
#include "base/text_catalog.h"
#include "core/scan_result.h"
#include "core/test_barcodes.h"
#include "packcode/pack_code.h"

const char kHeldStatusText[] = "Held";
const char kNotSentStatusText[] = "Not sent";

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
    for (const std::string& fault : faults) list += "- " + ShownText(fault) + "\n";
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
    std::string barcode = Text(TextId::HeldBarcode) + escapedBarcode + "\n\n";
    if (reasons.expiredOn.empty())
        return Text(TextId::HeldMisread) + FaultList(reasons.faults) + "\n" + barcode + Text(TextId::HeldMisreadChoice);
    std::string text = StringPrintf(Text(TextId::HeldExpired), reasons.expiredOn.c_str());
    if (!reasons.faults.empty()) text += Text(TextId::HeldAlsoMisread) + FaultList(reasons.faults) + "\n";
    return text + barcode + Text(TextId::HeldExpiredChoice);
}
