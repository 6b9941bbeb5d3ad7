// Which failed exchanges are outages, the replay pause, the waiting order and
// the verify-first decision.
#include <gtest/gtest.h>

#include "verify/outage_rules.h"

namespace {

const char kItemReply[] =
    R"({"$type":"API.Verify.Response, TembrelQuorvixFMDCore","Item":{"$type":"GS1.ItemStatus, TembrelQuorvixFMDCore","Status":1},"Success":true})";

ScanResult Verified(int32_t kind, const char* heading, const char* status = "")
{
    ScanResult result;
    result.kind = kind;
    result.messageHeading = heading;
    result.status = status;
    return result;
}

}  // namespace

TEST(OutageRules, ClassifiesExitCodesAndReplies)
{
    const struct {
        int code;
        std::string reply;
        OutageKind expected;
    } cases[] = {
        {0, kItemReply, OutageKind::None},
        {0, R"({"Success":false,"Message":"Unknown account or wrong password"})", OutageKind::None},
        {0, "<html><title>502 Bad Gateway</title></html>", OutageKind::Uncertain},
        {0, "", OutageKind::Uncertain},
        {0, "  \r\n<!DOCTYPE html>", OutageKind::Uncertain},
        {5, "", OutageKind::NeverSent},  {6, "", OutageKind::NeverSent},  {7, "", OutageKind::NeverSent},
        {35, "", OutageKind::NeverSent}, {28, "", OutageKind::Uncertain}, {52, "", OutageKind::Uncertain},
        {55, "", OutageKind::Uncertain}, {56, "", OutageKind::Uncertain}, {-1, "", OutageKind::None},
        {18, "", OutageKind::None},      {60, "", OutageKind::None},      {3, "", OutageKind::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyExchange(c.code, c.reply), c.expected) << c.code << " \"" << c.reply << '"';
}

TEST(OutageRules, PauseDoublesFromOneSecondUpToAMinute)
{
    ReplayPause pause;
    std::vector<unsigned> seen;
    for (int i = 0; i < 9; ++i) seen.push_back(pause.Next());
    EXPECT_EQ(seen, (std::vector<unsigned>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
    pause.Reset();
    EXPECT_EQ(pause.Next(), 1000u);
}

TEST(OutageRules, WaitingKeysGoOldestFirstByValue)
{
    std::vector<std::string> keys = {"1000", "999", "20000", "1001", "12"};
    SortOldestFirst(keys);
    EXPECT_EQ(keys, (std::vector<std::string>{"12", "999", "1000", "1001", "20000"}));
}

TEST(OutageRules, VerifyFirstDecidesAResentStateChange)
{
    const struct {
        int32_t mode;
        ScanResult verified;
        ResendDecision expected;
    } cases[] = {
        {Decommission, Verified(ScanResultKind::Success, "Pack verified", "1"), ResendDecision::Send},
        {Decommission, Verified(ScanResultKind::Warning, "NMVS_NC_PCK_22 Pack is inactive (Supplied)", "2"),
         ResendDecision::DoneBefore},
        {Decommission, Verified(ScanResultKind::Warning, "NMVS_NC_PCK_22 Pack is inactive (Destroyed)", "2"),
         ResendDecision::ShowAsIs},
        {Decommission, Verified(ScanResultKind::Warning, "NMVS_NC_PCK_02 Pack expired", "2"), ResendDecision::ShowAsIs},
        {Decommission, Verified(ScanResultKind::Error, "NMVS_NC_PC_02 Unknown serial number", "0"),
         ResendDecision::ShowAsIs},
        {Decommission, Verified(ScanResultKind::Failed, "", "3"), ResendDecision::ShowAsIs},
        {Recommission, Verified(ScanResultKind::Warning, "NMVS_NC_PCK_22 Pack is inactive (Supplied)", "2"),
         ResendDecision::Send},
        {Recommission, Verified(ScanResultKind::Success, "Pack verified", "1"), ResendDecision::ShowAsIs},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideAfterVerify(c.mode, c.verified), c.expected) << c.mode << " " << c.verified.messageHeading;
}
