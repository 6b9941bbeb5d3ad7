// The double-scan guard's rule: which pack, which modes, for how long.
#include <gtest/gtest.h>

#include "verify/double_scan_guard.h"

namespace {

std::time_t g_now = 1800000000;
std::time_t TestNow() { return g_now; }

const std::string kPack = "0105037015020018" "17210228" "10B\x1D" "21SER1";
const std::string kSamePackOtherOrder = "]d2" "21SER1\x1D" "0105037015020018" "10B\x1D" "17210228\r";

TEST(DoubleScanGuard, StopsThePackInItsModeForItsMinutesOnly)
{
    struct Case {
        const char* label;
        std::string doneScan;
        int32_t doneMode;
        std::string scan;
        int32_t mode;
        std::time_t later;
        bool stopped;
    } cases[] = {
        {"same pack, same mode", kPack, Decommission, kPack, Decommission, 599, true},
        {"other field order", kSamePackOtherOrder, Decommission, kPack, Decommission, 0, true},
        {"after the minutes", kPack, Decommission, kPack, Decommission, 600, false},
        {"recommissioned", kPack, Recommission, kSamePackOtherOrder, Recommission, 60, true},
        {"other mode", kPack, Decommission, kPack, Recommission, 1, false},
        {"verify is never guarded", kPack, Verify, kPack, Verify, 1, false},
        {"other serial", kPack + "2", Decommission, kPack, Decommission, 1, false},
        {"unreadable, same text", "BAG 12", Decommission, "BAG 12", Decommission, 1, true},
        {"unreadable, other text", "BAG 12", Decommission, "BAG 13", Decommission, 1, false},
    };
    for (const Case& c : cases) {
        DoubleScanGuard guard;
        guard.SetClock(TestNow);
        g_now = 1800000000;
        guard.RememberSuccess(c.doneScan, c.doneMode);
        g_now += c.later;
        std::optional<std::time_t> done = guard.DoneBefore(c.scan, c.mode, 10);
        EXPECT_EQ(done.has_value(), c.stopped) << c.label;
        if (done) EXPECT_EQ(*done, 1800000000) << c.label;
    }
}

TEST(DoubleScanGuard, ARecommissionUndoesTheDecommission)
{
    DoubleScanGuard guard;
    guard.SetClock(TestNow);
    guard.RememberSuccess(kPack, Decommission);
    guard.RememberSuccess(kPack, Recommission);
    EXPECT_FALSE(guard.DoneBefore(kPack, Decommission, 10)) << "the pack is active again";
    EXPECT_TRUE(guard.DoneBefore(kPack, Recommission, 10));
}

TEST(DoubleScanGuard, TheStoppedScanBecomesADoneBeforeRowWithItsLogRow)
{
    DoubleScanGuard guard;
    guard.SetClock(TestNow);
    ScanResult record;
    record.mode = Decommission;
    record.barcode = kPack;
    EXPECT_EQ(guard.StopIfDoneBefore(record, 10), "");
    EXPECT_EQ(record.statusText, "") << "a scan to be sent stays as it is";
    guard.RememberSuccess(kPack, Decommission);
    EXPECT_EQ(guard.StopIfDoneBefore(record, 10),
              "Same pack decommissioned at " + LocalClockTime(g_now) + " - not sent again");
    EXPECT_EQ(record.kind, ScanResultKind::Success);
    EXPECT_EQ(record.statusText, "Done before");
    EXPECT_EQ(record.gtin + " " + record.lot + " " + record.exp + " " + record.sn, "05037015020018 B 210228 SER1");
    EXPECT_EQ(LocalClockTime(g_now).size(), 8u);
}

}  // namespace
