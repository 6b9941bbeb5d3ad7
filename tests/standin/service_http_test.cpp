// The stand-in service through real HTTP: the pack-state model with its
// return codes and the answer layout the program cuts. (Its misbehaviours
// are met by the worker's tests.)
#include <gtest/gtest.h>

#include "guide/answer_guide.h"
#include "standin_fixture.h"
#include "verify/reply_parser.h"

namespace {

const std::string kDemo1 = "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0001";
const std::string kDemo2 = "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0002";

ScanResult Read(const std::string& reply)
{
    ScanResult result;
    FillFromReply(reply, result);
    return result;
}

}  // namespace

TEST(StandinService, DecommissionThenRecommissionFollowTheNationalRules)
{
    Standin service;
    struct Step {
        int mode;
        const char* account;
        int kind;
        const char* code;  // the heading's start
    } steps[] = {
        {Decommission, "PHARM01", ScanResultKind::Success, "Pack decommissioned"},
        {Decommission, "PHARM01", ScanResultKind::Error, "NMVS_NC_PCK_22"},
        {Verify, "PHARM01", ScanResultKind::Warning, "NMVS_NC_PCK_22"},  // supplied
        {Recommission, "PHARM02", ScanResultKind::Error, "NMVS_NC_PCK_21"},  // another pharmacy
        {Recommission, "PHARM01", ScanResultKind::Success, ""},
        {Verify, "PHARM01", ScanResultKind::Success, "Pack verified"},
        {Recommission, "PHARM01", ScanResultKind::Error, "NMVS_NC_PCK_19"},  // already active
    };
    for (const Step& step : steps) {
        std::string password = std::string(step.account) == "PHARM02" ? "other" : "s3cret";
        ScanResult result = Read(service.Pack(step.mode, kDemo1, step.account, password));
        EXPECT_EQ(result.kind, step.kind) << step.code;
        EXPECT_EQ(result.messageHeading.rfind(step.code, 0), 0u) << result.messageHeading;
    }
    ASSERT_EQ(Read(service.Pack(Decommission, kDemo2)).kind, ScanResultKind::Success);
    service.Control({{"advance_days", 11}});
    EXPECT_EQ(Read(service.Pack(Recommission, kDemo2)).messageHeading.rfind("NMVS_NC_PCK_20", 0), 0u) << "too late";
}

// Every modelled refusal carries its national code, and an alert its ID.
TEST(StandinService, ModelledPacksAndBatchesAnswerWithTheirNationalCodes)
{
    Standin service;
    const std::string kOther = "0104150123456799";
    struct Case {
        std::string barcode;
        int mode;
        int kind;
        const char* code;
        bool alert;
    } cases[] = {
        {"0109999999999999" "21X", Verify, ScanResultKind::Error, "NMVS_NC_PC_01", false},
        {"BAG 12", Decommission, ScanResultKind::Error, "NMVS_NC_PC_01", false},
        {"0104150123456782" "21NOSUCH", Verify, ScanResultKind::Error, "NMVS_NC_PC_02", true},
        {"0104150123456782" "10NOLOT\x1D" "21NOSUCH", Decommission, ScanResultKind::Error, "NMVS_FE_LOT_03", true},
        {"0104150123456782" "10WRONG\x1D" "21DEMO0003", Verify, ScanResultKind::Error, "NMVS_FE_LOT_03", true},
        {kOther + "10LOT19X\x1D" "21RECALL01", Decommission, ScanResultKind::Error, "NMVS_FE_LOT_13", true},
        {"0104150123456782" "17301231" "21DEMO0003", Verify, ScanResultKind::Error, "NMVS_FE_LOT_12", true},
        {"0104150123456782" "17291331" "21DEMO0003", Decommission, ScanResultKind::Error, "NMVS_TE_XM_02", false},
        {"0104150123456782" "21DEMO0004", Decommission, ScanResultKind::Error, "NMVS_NC_PCK_22", true},
        {"0104150123456782" "21DEMO0005", Decommission, ScanResultKind::Error, "NMVS_NC_PCK_22", true},
        {"0104150123456782" "21DEMO0005", Recommission, ScanResultKind::Error, "NMVS_NC_PCK_21", true},
        {kOther + "17190630" "10LOT19X\x1D" "21OLD00001", Verify, ScanResultKind::Warning,
         "NMVS_NC_PCK_22 Pack is inactive (Expired)", false},
        {kOther + "17190630" "10LOT19X\x1D" "21OLD00001", Decommission, ScanResultKind::Error, "NMVS_NC_PCK_22", false},
        {kOther + "21RECALL01", Verify, ScanResultKind::Warning, "NMVS_NC_PCK_22 Pack is inactive (Recalled)", false},
        {kOther + "21RECALL01", Decommission, ScanResultKind::Error, "NMVS_NC_PCK_22", false},
        {kOther + "21WDRN0001", Decommission, ScanResultKind::Error, "NMVS_NC_PCK_22", false},
        {kOther + "21LOCK0001", Verify, ScanResultKind::Warning, "NMVS_NC_PCK_22 Pack is inactive (Locked)", false},
        {kOther + "21LOCK0001", Decommission, ScanResultKind::Error, "NMVS_NC_PCK_22", true},
        {kOther + "21STOL0001", Verify, ScanResultKind::Warning, "NMVS_NC_PCK_22 Pack is inactive (Stolen)", false},
        {kOther + "21DEST0001", Verify, ScanResultKind::Warning, "NMVS_NC_PCK_22 Pack is inactive (Destroyed)", false},
        {kOther + "21STOL0001", Recommission, ScanResultKind::Error, "NMVS_NC_PCK_06", true},
    };
    for (const Case& c : cases) {
        ScanResult result = Read(service.Pack(c.mode, c.barcode));
        EXPECT_EQ(result.kind, c.kind) << c.barcode;
        EXPECT_EQ(result.messageHeading.rfind(c.code, 0), 0u) << c.barcode << ": " << result.messageHeading;
        EXPECT_FALSE(result.messageBody.empty()) << c.barcode;
        EXPECT_EQ(result.messageBody.find("Alert ID: AT-") != std::string::npos, c.alert) << result.messageBody;
        // The guide reads the stand-in's answers as the national ones.
        Verdict expected = c.alert ? Verdict::AlertDoNotSupply
                           : std::string(c.code) == "NMVS_TE_XM_02" ? Verdict::CheckAgain
                                                                     : Verdict::DoNotSupply;
        result.mode = c.mode;
        EXPECT_STREQ(VerdictWord(ExplainAnswer(FactsOfResult(result)).verdict), VerdictWord(expected)) << c.barcode;
    }
}

TEST(StandinService, EndsWhenItsParentEnds)
{
    // A shell starts the service and exits; the service must follow it.
    std::string command = std::string("sh -c '") + STANDIN_EXE + " --account A:B >/dev/null & echo $!'";
    FILE* shell = popen(command.c_str(), "r");
    ASSERT_NE(shell, nullptr);
    int pid = 0;
    ASSERT_EQ(fscanf(shell, "%d", &pid), 1);
    pclose(shell);
    bool gone = false;
    for (int i = 0; i < 300 && !gone; ++i) {
        gone = kill(pid, 0) != 0;
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone);
}

// The outages a worker must ride out, and the counts that show whether a
// pack was decommissioned twice.
TEST(StandinService, OutagesRefuseDropOrLoseTheAnswerAndEndByThemselves)
{
    Standin service;
    ASSERT_EQ(service.Control({{"outage", "drop"}})["outage"], "drop");
    EXPECT_EQ(service.Pack(Decommission, kDemo1), "") << "read, never passed on";
    EXPECT_TRUE(service.Packs().empty());
    service.Control({{"outage", "drop_after"}});
    EXPECT_EQ(service.Pack(Decommission, kDemo1), "") << "acted on, answer lost";
    service.Control({{"outage", "cut_answer"}});
    EXPECT_EQ(service.Pack(Decommission, kDemo2), "") << "acted on, answer cut in its middle";
    service.Control({{"outage", "refuse"}, {"outage_ms", 600}});
    auto refusedAt = std::chrono::steady_clock::now();
    EXPECT_EQ(service.Pack(Verify, kDemo1), "");
    while (service.Pack(Verify, kDemo2).empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_GE(std::chrono::steady_clock::now() - refusedAt, std::chrono::milliseconds(500));
    EXPECT_EQ(Read(service.Pack(Decommission, kDemo1)).messageHeading.rfind("NMVS_NC_PCK_22", 0), 0u);
    nlohmann::json packs = service.Packs();
    ASSERT_EQ(packs.size(), 2u);
    EXPECT_EQ(packs[0]["serial"], "DEMO0001");
    EXPECT_EQ(packs[0]["state_changes"], 1);
    EXPECT_EQ(packs[0]["decommission_requests"], 2);
    EXPECT_EQ(packs[1]["serial"], "DEMO0002");
    EXPECT_EQ(packs[1]["state"], "Supplied");
}
