// The stand-in service through real HTTP: accounts, the pack-state model with
// its return codes, the answer layout the program cuts, recorded requests and
// the misbehaviours tests need.
#include <gtest/gtest.h>

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

std::string Heading(const std::string& reply) { return Read(reply).messageHeading; }

}  // namespace

TEST(StandinService, OnlyTheAccountsItWasGivenLogInOrGetAnItemStatus)
{
    Standin service;
    ASSERT_GT(service.Port(), 0);
    auto login = [&](const std::string& account, const std::string& password) {
        auto result = service.Post(FillRequestTemplate(LoginTemplate(), account, password, ""));
        return result && result->body.find("\"Success\":true") != std::string::npos;
    };
    EXPECT_TRUE(login("PHARM01", "s3cret"));
    EXPECT_FALSE(login("PHARM01", "wrong"));
    EXPECT_FALSE(login("NOBODY", "s3cret"));
    EXPECT_EQ(Read(service.Pack(Verify, kDemo1, "PHARM01", "nope")).statusText, "Invalid");
}

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
    EXPECT_EQ(Heading(service.Pack(Recommission, kDemo2)).rfind("NMVS_NC_PCK_20", 0), 0u) << "too late";
}

TEST(StandinService, UnknownExpiredMismatchedAndRecalledPacks)
{
    Standin service;
    struct Case {
        std::string barcode;
        int mode;
        int kind;
        const char* code;
    } cases[] = {
        {"0109999999999999" "21X", Verify, ScanResultKind::Error, "NMVS_NC_PC_01"},
        {"0104150123456782" "21NOSUCH", Verify, ScanResultKind::Error, "NMVS_NC_PC_02"},
        {"BAG 12", Decommission, ScanResultKind::Error, "NMVS_NC_PC_01"},
        {"0104150123456799" "17190630" "10LOT19X\x1D" "21OLD00001", Verify, ScanResultKind::Warning, "NMVS_NC_PCK_02"},
        {"0104150123456799" "17190630" "10LOT19X\x1D" "21OLD00001", Decommission, ScanResultKind::Error, "NMVS_NC_PCK_02"},
        {"0104150123456782" "10WRONG\x1D" "21DEMO0003", Verify, ScanResultKind::Error, "NMVS_FE_LOT_03"},
        {"0104150123456782" "17301231" "21DEMO0003", Verify, ScanResultKind::Error, "NMVS_FE_LOT_12"},
        {"0104150123456799" "21RECALL01", Decommission, ScanResultKind::Error, "NMVS_NC_PCK_06"},
        {"0104150123456782" "21DEMO0004", Decommission, ScanResultKind::Error, "NMVS_NC_PCK_22"},
    };
    for (const Case& c : cases) {
        ScanResult result = Read(service.Pack(c.mode, c.barcode));
        EXPECT_EQ(result.kind, c.kind) << c.barcode;
        EXPECT_EQ(result.messageHeading.rfind(c.code, 0), 0u) << c.barcode << ": " << result.messageHeading;
        EXPECT_FALSE(result.messageBody.empty()) << c.barcode;
    }
}

// Bodies are recorded byte for byte, also when they are no JSON; barcodes
// with quotes, backslashes and high bytes arrive as valid JSON.
TEST(StandinService, RecordsTheExactBytesItReceived)
{
    Standin service;
    const std::string awkward = "01041501234567822" "1A\"B\\C\xE9\x1D" "10LOT";
    std::string body = FillRequestTemplate(RequestTemplate(Verify), "PHARM01", "s3cret", EscapeBarcode(awkward));
    service.Post(body);
    service.Post("not json at all");
    nlohmann::json requests = service.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0]["body"].get<std::string>(), body);
    EXPECT_TRUE(requests[0]["valid_json"].get<bool>());
    auto sent = nlohmann::json::parse(body);
    EXPECT_EQ(sent["List"]["$values"][0]["Raw"].get<std::string>(), "01041501234567822" "1A\"B\\C\xC3\xA9\x1D" "10LOT");
    EXPECT_FALSE(requests[1]["valid_json"].get<bool>());
}

TEST(StandinService, CanAnswerWithAnHtmlPageDropOrDelay)
{
    Standin service;
    service.Control({{"mode", "html"}});
    auto html = service.Post(FillRequestTemplate(RequestTemplate(Verify), "PHARM01", "s3cret", ""));
    ASSERT_TRUE(html);
    EXPECT_EQ(html->status, 502);
    EXPECT_EQ(Read(html->body).statusText, "Invalid");

    service.Control({{"mode", "drop"}});
    auto dropped = service.Post("{}");
    EXPECT_FALSE(dropped && dropped->status == 200);

    service.Control({{"mode", "normal"}, {"delay_ms", 300}});
    auto start = std::chrono::steady_clock::now();
    auto delayed = service.Post(FillRequestTemplate(LoginTemplate(), "PHARM01", "s3cret", ""));
    EXPECT_TRUE(delayed);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
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
