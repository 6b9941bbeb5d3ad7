// Filling a scan result from the service's reply by keys and terminators.
#include <gtest/gtest.h>

#include "verify/reply_parser.h"

namespace {

std::string Reply(const std::string& status, const std::string& lot = R"("Lot":"L1",)",
                  const std::string& body = R"("MessageBody":"Pack is active.",)")
{
    return R"({"$type":"API.Verify.Response, TembrelQuorvixFMDCore","Item":{"$type":"GS1.ItemStatus, TembrelQuorvixFMDCore",)" +
           status + R"("MessageHeading":"Pack verified",)" + body +
           R"("PostTransactionID":"P-1","ReplyTransactionID":"R-2","Raw":"01\u001D21","GTIN":"05000456013482",)" + lot +
           R"("Exp":"201200","SN":"0000000100"},"Success":true})";
}

ScanResult Fill(const std::string& reply)
{
    ScanResult result;
    result.kind = ScanResultKind::Failed;
    FillFromReply(reply, result);
    return result;
}

}  // namespace

TEST(ReplyParser, SuccessFillsAllElevenFields)
{
    ScanResult r = Fill(Reply(R"("Status":1,)"));
    EXPECT_EQ(r.kind, ScanResultKind::Success);
    EXPECT_EQ(r.statusText, "Success");
    EXPECT_EQ(r.status, "1");
    EXPECT_EQ(r.messageHeading, "Pack verified");
    EXPECT_EQ(r.messageBody, "Pack is active.");
    EXPECT_EQ(r.postTransactionId, "P-1");
    EXPECT_EQ(r.replyTransactionId, "R-2");
    EXPECT_EQ(r.raw, "01\\u001D21") << "escapes are not decoded";
    EXPECT_EQ(r.gtin, "05000456013482");
    EXPECT_EQ(r.lot, "L1");
    EXPECT_EQ(r.exp, "201200");
    EXPECT_EQ(r.sn, "0000000100");
    EXPECT_EQ(r.success, "true");
}

TEST(ReplyParser, StatusDecidesKind)
{
    struct Case {
        const char* status;
        int kind;
        const char* text;
        const char* value;
    } cases[] = {
        {R"("Status":2,)", ScanResultKind::Warning, "Warning", "2"},   {R"("Status":0,)", ScanResultKind::Error, "Error", "0"},
        {R"("Status":4,)", ScanResultKind::Failed, "Failed", "4"},     {R"("Status": 1,)", ScanResultKind::Success, "Success", " 1"},
        {R"("Status":-1,)", ScanResultKind::Failed, "Failed", "-1"},   {R"("Status":"x",)", ScanResultKind::Error, "Error", "\"x\""},
        {"", ScanResultKind::Error, "Error", ""},  // no Status member: the number reads as 0
    };
    for (const Case& c : cases) {
        ScanResult r = Fill(Reply(c.status));
        EXPECT_EQ(r.kind, c.kind) << c.status;
        EXPECT_EQ(r.statusText, c.text) << c.status;
        EXPECT_EQ(r.status, c.value) << c.status;
    }
}

TEST(ReplyParser, WithoutTheItemTypeNameTheResultIsInvalid)
{
    for (const char* reply : {"", "<html><body>502 Bad Gateway</body></html>",
                              R"({"$type":"API.Login.Response, TembrelQuorvixFMDCore","Success":true})",
                              R"({"$type":GS1.ItemStatus, TembrelQuorvixFMDCore,"Status":1,})" /* name without its quotes */}) {
        ScanResult r = Fill(reply);
        EXPECT_EQ(r.kind, ScanResultKind::Failed) << reply;
        EXPECT_EQ(r.status, "3") << reply;
        EXPECT_EQ(r.statusText, "Invalid") << reply;
        EXPECT_TRUE(r.messageHeading.empty() && r.gtin.empty() && r.success.empty()) << reply;
    }
}

// Fields are cut by key and terminator, not parsed: a null lot stays empty,
// an escaped quote before a comma ends the body, "Success" runs to the next
// closing brace, and the first occurrence of a key wins.
TEST(ReplyParser, FieldsAreCutByKeyAndTerminator)
{
    ScanResult nullLot = Fill(Reply(R"("Status":1,)", R"("Lot":null,)"));
    EXPECT_EQ(nullLot.lot, "");
    EXPECT_EQ(nullLot.exp, "201200");
    EXPECT_EQ(Fill(Reply(R"("Status":0,)", "", R"("MessageBody":"The pack \"A\", was supplied.",)")).messageBody,
              R"(The pack \"A\)");
    EXPECT_EQ(Fill(R"("GS1.ItemStatus, TembrelQuorvixFMDCore" "Success": true, "More":1})").success,
              R"( true, "More":1)");
    ScanResult twice = Fill(Reply(R"("Status":1,)") + R"({"GTIN":"99999999999999","Status":0,})");
    EXPECT_EQ(twice.gtin, "05000456013482");
    EXPECT_EQ(twice.kind, ScanResultKind::Success);
}

TEST(ExtractField, LeavesTheValueAloneWhenKeyOrTerminatorIsMissing)
{
    std::string value = "kept";
    ExtractField(R"("A":"x")", "\"B\":\"", "\",", value);
    EXPECT_EQ(value, "kept");
    ExtractField(R"("A":"x")", "\"A\":\"", "\",", value);
    EXPECT_EQ(value, "kept");
    ExtractField(R"("A":"x",)", "\"A\":\"", "\",", value);
    EXPECT_EQ(value, "x");
}

// Mode names show in the results list's rows, tested there.
TEST(ScanResultNames, TestAccountsBeginWithKvdemo)
{
    EXPECT_TRUE(IsTestAccount("KVDEMO"));
    EXPECT_TRUE(IsTestAccount("KVDEMO42"));
    EXPECT_FALSE(IsTestAccount("KVDEM"));
    EXPECT_FALSE(IsTestAccount("kvdemo42"));
    EXPECT_FALSE(IsTestAccount(""));
}
