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
        EXPECT_EQ(ReasonsToHold(c.on, c.mode, c.barcode, std::nullopt).faults, c.held)
            << c.on << " " << c.mode << " " << c.barcode;
}

// Only a Decommission supplies the pack: it alone is held for its expiry.
TEST(HoldRules, AnExpiredPackIsHeldOnlyWhenDecommissionedWithTheSwitchOn)
{
    const std::optional<CalendarDate> today = CalendarDate{2026, 12, 8};
    const std::string expired = "0104150123456799" "17190630" "10LOT19X\x1D" "21OLD00001";
    const std::string endOfMonth = "0104150123456782" "17261100" "10LOT24A\x1D" "21DEMO0001";
    const std::string lastDayToday = "0104150123456782" "17261208" "10LOT24A\x1D" "21DEMO0001";
    const std::string expiredFaulty = "0104150123456798" "17190630" "10LOT19X\x1D" "21OLD00001";
    const std::string bench = TestBarcodeFor(kFirstTestBarcodeCommand);  // B01 expired in 2021
    const struct {
        bool on;
        int32_t mode;
        std::string barcode;
        std::optional<CalendarDate> today;
        std::string expiredOn;
        size_t faults;
    } cases[] = {
        {true, Decommission, expired, today, "2019-06-30", 0},
        {true, Decommission, endOfMonth, today, "2026-11-30", 0},
        {true, Decommission, lastDayToday, today, "", 0},
        {true, Decommission, expiredFaulty, today, "2019-06-30", 1},
        {true, Verify, expired, today, "", 0},
        {true, Recommission, expired, today, "", 0},
        {true, Verify, expiredFaulty, today, "", 1},  // held for its fault alone
        {false, Decommission, expired, today, "", 0},
        {true, Decommission, expired, std::nullopt, "", 0},  // the clock is not believed
        {true, Decommission, bench, today, "", 0},
        {true, Login, expired, today, "", 0},
    };
    for (const auto& c : cases) {
        HoldReasons reasons = ReasonsToHold(c.on, c.mode, c.barcode, c.today);
        EXPECT_EQ(reasons.expiredOn, c.expiredOn) << c.on << " " << c.mode << " " << c.barcode;
        EXPECT_EQ(reasons.faults.size(), c.faults) << c.on << " " << c.mode << " " << c.barcode;
        EXPECT_EQ(reasons.None(), c.expiredOn.empty() && c.faults == 0);
    }
}

TEST(HoldRules, TheQuestionNamesEveryFaultAndTheBarcode)
{
    HoldReasons faulty{{"First fault.", "Second fault."}, ""};
    std::string question = HeldScanQuestion(faulty, "0104\\u001D21X");
    for (const char* part : {"looks damaged or misread", "- First fault.\n", "- Second fault.\n",
                             "Barcode: 0104\\u001D21X", "Send anyway", "Do not send"})
        EXPECT_NE(question.find(part), std::string::npos) << part;
    EXPECT_EQ(question.find("expired"), std::string::npos);
    EXPECT_EQ(HeldRowText(faulty), "First fault. Second fault.");
    EXPECT_EQ(HeldRowHeading(faulty), "Not sent: the code looks damaged or misread");
}

TEST(HoldRules, TheQuestionAboutAnExpiredPackSaysWhereItBelongs)
{
    HoldReasons expired{{}, "2019-06-30"};
    std::string question = HeldScanQuestion(expired, "0104X");
    for (const char* part : {"expired on 2019-06-30", "must not be supplied", "packs for destruction",
                             "Barcode: 0104X", "Choose Do not send", "Send anyway"})
        EXPECT_NE(question.find(part), std::string::npos) << part;
    EXPECT_EQ(question.find("misread"), std::string::npos) << "a sound code is not called damaged";
    EXPECT_EQ(HeldRowHeading(expired), "Not sent: the pack has expired");
    EXPECT_EQ(HeldRowText(expired), "The pack expired on 2019-06-30.");

    HoldReasons both{{"A fault."}, "2019-06-30"};
    EXPECT_NE(HeldScanQuestion(both, "0104X").find("also looks damaged or misread:\n- A fault.\n"), std::string::npos);
    EXPECT_EQ(HeldRowText(both), "The pack expired on 2019-06-30. A fault.");
}

}  // namespace
