// The hold rule and the held scan's texts.
#include "verify/hold_rules.h"

#include "core/scan_result.h"
#include "core/test_barcodes.h"
#include "packcode/pack_code.h"

const char kHeldStatusText[] = "Held";
const char kNotSentStatusText[] = "Not sent";
const char kHeldCaption[] = "Scan held";

std::vector<std::string> FaultsThatHold(bool holdOn, int32_t mode, const std::string& barcode)
{
    bool packMode = mode == Verify || mode == Decommission || mode == Recommission;
    if (!holdOn || !packMode || IsTestBenchBarcode(barcode)) return {};
    return ReadPackCode(barcode).faults;
}

std::string HeldRowText(const std::vector<std::string>& faults)
{
    std::string text;
    for (const std::string& fault : faults) text += (text.empty() ? "" : " ") + fault;
    return text;
}

std::string HeldScanQuestion(const std::vector<std::string>& faults, const std::string& escapedBarcode)
{
    std::string text = "This scan was not sent: its code looks damaged or misread.\n\n";
    for (const std::string& fault : faults) text += "- " + fault + "\n";
    text += "\nBarcode: " + escapedBarcode + "\n\n"
            "Scan the pack again and choose Do not send. Choose Send anyway only when the pack's code "
            "really reads like this.";
    return text;
}
