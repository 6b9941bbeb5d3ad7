// A refused account with scans kept through outages: the password is not sent
// again, so that the account never locks; scans wait until a credentials
// check succeeds, then go out once each. With the switch off, as before.
#include <algorithm>

#include "support/worker_fixture.h"
#include "verify/account_refusal.h"

namespace {

size_t LoginsIn(const std::vector<std::string>& bodies)
{
    return static_cast<size_t>(std::count_if(bodies.begin(), bodies.end(), [](const std::string& body) {
        return body.find("API.Login.Request") != std::string::npos;
    }));
}

}  // namespace

class Refusal : public Outage {
protected:
    // The password changed at the national portal, behind the program's back.
    void ChangePasswordAtTheService() { ASSERT_TRUE(standin.Control(R"({"set_password":{"account":"PHARM01","password":"n3w"}})")); }
    bool Remembered() { return PathExists(Waiting() + "\\account.refused"); }
    std::string AccountState() { return standin.ControlAnswer("{}").value_or(""); }
    size_t Alerts()
    {
        size_t alerts = 0;
        for (const ScanResult* result : host.window.Results()) alerts += result->status == kOutageAlertStatus;
        return alerts;
    }
};

TEST_F(Refusal, APasswordChangedElsewhereIsSentTwiceAtMostAndTheScansGoOnceTheNewOneIsAccepted)
{
    ChangePasswordAtTheService();
    std::string first = Spool('1', kDemo1);
    ASSERT_TRUE(WaitFor([&] { TakeRecordsFor(50); return LastFor(first) && Remembered(); }, 30000));
    EXPECT_EQ(LastFor(first)->kind, ScanResultKind::Waiting);
    EXPECT_EQ(LastFor(first)->messageHeading, kAccountRefusedReason);
    EXPECT_EQ(host.refusalsReported, 1) << "the window asks for the password";
    // New scans wait behind it, whatever their mode; nothing more is sent.
    std::string second = Spool('0', kDemo2), third = Spool('1', kDemo3);
    ASSERT_TRUE(WaitFor([&] { TakeRecordsFor(50); return LastFor(second) && LastFor(third); }, 10000));
    TakeRecordsFor(1500);
    EXPECT_EQ(LastFor(third)->messageHeading, kAccountRefusedReason);
    EXPECT_EQ(standin.Requests().size(), 2u) << "the scan and one credentials check";
    EXPECT_EQ(LoginsIn(standin.Requests()), 1u);
    EXPECT_EQ(Alerts(), 1u) << "one alert per refusal";
    EXPECT_NE(AccountState().find(R"("PHARM01":{"locked":false,"refused_in_a_row":2})"), std::string::npos)
        << AccountState();

    // The pharmacist saves the new password: its check succeeds.
    host.SetCredentials("PHARM01", "n3w", standin.Host());
    EXPECT_TRUE(CFMDThread::CheckLogin(host.SettingsSnapshot(), host.folder.Path()));
    EXPECT_FALSE(Remembered());
    for (const std::string& key : {first, second, third}) ASSERT_TRUE(WaitForFinal(key)) << key;
    EXPECT_EQ(LastFor(first)->statusText, "Success");
    EXPECT_EQ(LastFor(second)->statusText, "Success");
    EXPECT_EQ(LastFor(third)->statusText, "Success");
    // The worker may send with the new password before the check has answered.
    std::vector<std::string> bodies = standin.Requests();
    ASSERT_EQ(bodies.size(), 7u);
    EXPECT_EQ(LoginsIn(bodies), 2u);
    std::vector<std::string> packs;
    for (const std::string& operation : SentOperations(2))
        if (operation.rfind("Login", 0) != 0) packs.push_back(operation);
    // The refused Decommission had no item status: it is verified first.
    EXPECT_EQ(packs, (std::vector<std::string>{"Verify DEMO0001", "Decommission DEMO0001", "Verify DEMO0002",
                                               "Decommission DEMO0003"}))
        << "oldest first, once each";
    EXPECT_NE(AccountState().find(R"("PHARM01":{"locked":false,"refused_in_a_row":0})"), std::string::npos);
}

// What counts as a refusal: the guide's word on an answer, or an answer
// without an item status followed by a refused check; an answer without an
// item status whose check is accepted is another error.
TEST_F(Refusal, OnlyTheServicesRefusalOfTheAccountStopsTheSending)
{
    // An item status that refuses the account: no credentials check needed.
    ASSERT_TRUE(standin.Control(R"({"refusal_style":"item_status"})"));
    ChangePasswordAtTheService();
    std::string refused = Spool('0', kDemo1);
    ASSERT_TRUE(WaitFor([&] { TakeRecordsFor(50); return LastFor(refused) && Remembered(); }, 30000));
    EXPECT_EQ(LastFor(refused)->kind, ScanResultKind::Waiting);
    EXPECT_EQ(standin.Requests().size(), 1u) << "the answer said so: no check";

    // The pharmacist saves the password again (it was set back at the service).
    ASSERT_TRUE(standin.Control(R"({"set_password":{"account":"PHARM01","password":"s3cret"},"refusal_style":"error"})"));
    EXPECT_TRUE(CFMDThread::CheckLogin(host.SettingsSnapshot(), host.folder.Path()));
    ASSERT_TRUE(WaitForFinal(refused));
    EXPECT_EQ(LastFor(refused)->statusText, "Success");
    ASSERT_TRUE(WaitFor([&] { TakeRecordsFor(50); return !host.window.LogRows().empty() &&
                              host.window.LogRows().back() == "The service answers again: 1 waiting scans sent"; }, 10000));

    // An error of another kind: the check is accepted, nothing is remembered.
    ASSERT_TRUE(standin.Control(R"({"mode":"error_json"})"));
    size_t before = standin.Requests().size();
    std::string invalid = Spool('0', kDemo2);
    ASSERT_TRUE(WaitForFinal(invalid));
    EXPECT_EQ(LastFor(invalid)->statusText, "Invalid") << "a Verify without an item status is shown as it came";
    std::vector<std::string> bodies = standin.Requests();
    EXPECT_EQ(LoginsIn(std::vector<std::string>(bodies.begin() + static_cast<long>(before), bodies.end())), 1u);
    EXPECT_FALSE(Remembered());
}

TEST_F(Worker, WithTheSwitchOffARefusedPasswordIsSentWithEveryScanAsBefore)
{
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(standin.Control(R"({"set_password":{"account":"PHARM01","password":"n3w"}})"));
    std::vector<std::string> keys = {Spool('0', kDemo1), Spool('0', kDemo2), Spool('0', kDemo3)};
    ASSERT_TRUE(WaitForResults(3));
    for (const std::string& key : keys) EXPECT_EQ(ResultFor(key)->statusText, "Invalid");
    EXPECT_EQ(standin.Requests().size(), 3u);
    EXPECT_EQ(LoginsIn(standin.Requests()), 0u) << "no check of its own";
    EXPECT_EQ(host.refusalsReported, 0);
    EXPECT_FALSE(PathExists(host.folder / "Waiting\\account.refused"));
    // The national rule the switch protects against.
    EXPECT_NE(standin.ControlAnswer("{}").value_or("").find(R"("locked":true)"), std::string::npos);
}
