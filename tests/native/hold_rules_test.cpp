// Which scans the worker holds back, and what the box says about them.
#include <gtest/gtest.h>

#include "core/scan_result.h"
#include "core/test_barcodes.h"
#include "packcode/pack_code.h"
#include "verify/hold_rules.h"

namespace {

const std::string kWrongCheckDigit = "0104150123456783" "17291231" "10LOT24A\x1D" "21DEMO0001";
const std::string kSound = "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0001";
const char kCheckDigitFault[] = "The product code's check digit is wrong.";
// The separator before an optional national number lost: the batch swallowed the PZN.
const std::string kPznInBatch = "0104150123456782" "17291231" "21DEMO0001\x1D" "10LOT24A" "71004877800";

TEST(HoldRules, OnlyAFaultyPackScanIsHeldWhileTheSwitchIsOn)
{
    const std::string bench = TestBarcodeFor(kFirstTestBarcodeCommand + 4);  // B05: a replaced separator
    ASSERT_FALSE(ReadPackCode(bench).faults.empty()) << "the bench case must read as faulty to mean anything";
    const struct {
        bool on;
        int32_t mode;
        std::string barcode;
        std::vector<std::string> held;
    } cases[] = {
        {true, Decommission, kWrongCheckDigit, {kCheckDigitFault}},
        {true, Verify, kWrongCheckDigit, {kCheckDigitFault}},
        {true, Recommission, kWrongCheckDigit, {kCheckDigitFault}},
        {false, Decommission, kWrongCheckDigit, {}},
        {true, Decommission, kSound, {}},
        {true, Decommission, kPznInBatch,
         {"The batch runs into the national number: the scanner seems to drop the separator."}},
        {true, Login, kWrongCheckDigit, {}},  // fails as an invalid mode, unsent anyway
        {true, 7, kWrongCheckDigit, {}},
        {true, Decommission, bench, {}},  // the bench exists to try the service
    };
    for (const auto& c : cases)
        EXPECT_EQ(FaultsThatHold(c.on, c.mode, c.barcode), c.held) << c.on << " " << c.mode << " " << c.barcode;
}

TEST(HoldRules, TheQuestionNamesEveryFaultAndTheBarcode)
{
    std::string question = HeldScanQuestion({"First fault.", "Second fault."}, "0104\\u001D21X");
    for (const char* part : {"- First fault.\n", "- Second fault.\n", "Barcode: 0104\\u001D21X", "Send anyway",
                             "Do not send"})
        EXPECT_NE(question.find(part), std::string::npos) << part;
    EXPECT_EQ(HeldRowText({"First fault.", "Second fault."}), "First fault. Second fault.");
}

}  // namespace
