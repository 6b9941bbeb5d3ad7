// Recognising a refused account: in a pack's answer, in a credentials
// check's answer, and the fingerprint that remembers which password it was.
#include <gtest/gtest.h>

#include "core/scan_result.h"
#include "verify/account_refusal.h"

TEST(AccountRefusal, APackAnswerRefusesTheAccountOnlyWhenTheGuideSaysSo)
{
    const struct {
        const char* status;
        const char* heading;
        const char* body;
        bool refuses;
    } cases[] = {
        {"0", "Password expired", "Change the password of the account.", true},
        {"0", "The account is locked after too many refused attempts", "", true},
        {"0", "Unknown account or wrong password", "", true},
        {"0", "NMVS_NC_PC_02 Unknown product code", "", false},
        {"1", "Pack is active", "", false},
        {"2", "NMVS_NC_PCK_22 Pack is already inactive (Supplied)", "", false},
    };
    for (const auto& c : cases) {
        ScanResult answered;
        answered.kind = c.status[0] == '1' ? ScanResultKind::Success : ScanResultKind::Error;
        answered.statusText = c.status[0] == '1' ? "Success" : "Error";
        answered.status = c.status;
        answered.messageHeading = c.heading;
        answered.messageBody = c.body;
        EXPECT_EQ(AnswerRefusesAccount(answered), c.refuses) << c.heading;
    }
}

TEST(AccountRefusal, ACredentialsCheckRefusesOnlyWhenTheServiceAnswered)
{
    const struct {
        int curl;
        const char* reply;
        LoginAnswer expected;
    } cases[] = {
        {0, R"({"$type":"API.Login.Response","Message":"Welcome","Success":true})", LoginAnswer::Accepted},
        {0, R"({"$type":"API.Login.Response","Message":"Unknown account or wrong password","Success":false})",
         LoginAnswer::Refused},
        {0, "  {\"Success\":false}", LoginAnswer::Refused},
        {0, "<html><body>502 Bad Gateway</body></html>", LoginAnswer::Unknown},  // a gateway's page
        {0, "", LoginAnswer::Unknown},
        {28, "", LoginAnswer::Unknown},
        {35, R"({"Success":false})", LoginAnswer::Unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadLoginAnswer(c.curl, c.reply), c.expected) << c.curl << " " << c.reply;
}

TEST(AccountRefusal, TheFingerprintTellsPasswordsAndAccountsApartWithoutHoldingThem)
{
    std::string refused = AccountFingerprint("PHARM01", "s3cret");
    EXPECT_EQ(refused, AccountFingerprint("PHARM01", "s3cret"));
    EXPECT_NE(refused, AccountFingerprint("PHARM01", "s3cret2"));
    EXPECT_NE(refused, AccountFingerprint("PHARM02", "s3cret"));
    EXPECT_NE(AccountFingerprint("ab", "c"), AccountFingerprint("a", "bc"));
    EXPECT_EQ(refused.find("s3cret"), std::string::npos);
    EXPECT_EQ(refused.size(), 16u);
}
