// The verification worker end to end under Wine: spool files in, the real
// curl.exe, the stand-in service, result records out.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include <sqlite3.h>

#include "app/fmd_app.h"
#include "framework/file_ops.h"
#include "history/history_store.h"
#include "support/worker_fixture.h"
#include "res/version.h"
#include "verify/curl_exchange.h"
#include "verify/fmd_thread.h"
#include "verify/request_templates.h"

namespace {

std::string PackRequest(const char* operation, const std::string& escapedRaw)
{
    return std::string(R"({"$type":"API.)") + operation +
           R"(.Request, TembrelQuorvixFMDCore","App":"Pellwick","Ver":"1.190416","Account":"PHARM01","Password":"s3cret","List":{"$type":"GS1.ItemCollection, TembrelQuorvixFMDCore","$values":[{"Raw":")" +
           escapedRaw + R"("}]}})";
}

}  // namespace

TEST_F(Worker, SendsTheExactRequestOfEachModeAndPostsTheResults)
{
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    std::string verify = Spool('0', kDemo1), decommission = Spool('1', kDemo2), recommission = Spool('2', kDemo3);
    ASSERT_TRUE(WaitForResults(3));

    std::vector<std::string> sent = standin.Requests();
    std::sort(sent.begin(), sent.end());
    std::vector<std::string> expected = {
        PackRequest("Decommission", R"(0104150123456782172912311)" "0LOT24A\\u001D21DEMO0002"),
        PackRequest("Recommission", "010415012345678221DEMO0003"),
        PackRequest("Verify", R"(0104150123456782172912311)" "0LOT24A\\u001D21DEMO0001"),
    };
    EXPECT_EQ(sent, expected);

    EXPECT_EQ(ResultFor(verify)->statusText, "Success");
    EXPECT_EQ(ResultFor(verify)->mode, 0);
    EXPECT_EQ(ResultFor(verify)->barcode, kDemo1) << "the record keeps the barcode unescaped";
    EXPECT_EQ(ResultFor(decommission)->statusText, "Success");
    EXPECT_EQ(ResultFor(decommission)->sn, "DEMO0002");
    EXPECT_EQ(ResultFor(recommission)->statusText, "Error") << "an active pack cannot be recommissioned";
    EXPECT_EQ(ResultFor(recommission)->messageHeading.rfind("NMVS_NC_PCK_19", 0), 0u);
    EXPECT_TRUE(ScanFolderEmptiesSoon());
    // The path a pharmacy runs: one exchange per scan, over TLS, no retry.
    EXPECT_EQ(standin.ServiceRequestsOver("tls"), 3);
    EXPECT_EQ(standin.ServiceRequestsOver("plain"), 0);
    EXPECT_EQ(TraceLog().find("download failed"), std::string::npos);
}

// The reading of a scan only adds a row: the request is the scan as it came.
TEST_F(Worker, AFaultyScanGoesOutUnchangedFollowedByItsCheckRow)
{
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    Spool('0', "0104150123456783" "17291231" "10LOT24A\x1D" "21DEMO0001");  // check digit 2, not 3
    ASSERT_TRUE(WaitForResults(1));
    Spool('0', kDemo2);
    ASSERT_TRUE(WaitForResults(2));
    EXPECT_EQ(standin.Requests(),
              (std::vector<std::string>{PackRequest("Verify", "01041501234567831729123110LOT24A\\u001D21DEMO0001"),
                                        PackRequest("Verify", "01041501234567821729123110LOT24A\\u001D21DEMO0002")}));
    EXPECT_EQ(host.window.LogRows(), std::vector<std::string>{"Scan check: The product code's check digit is wrong."});
}

// The stand-in's packs that expired in June 2019 and (day 00) February 2019.
const std::string kExpiredJune = "0104150123456799" "17190630" "10LOT19X\x1D" "21OLD00001";
const std::string kExpiredFebruary = "0104150123456799" "17190200" "10LOT19Y\x1D" "21OLD00002";

// The date each sent scan's expiry is compared with, and the log rows that
// have followed the answers so far.
class Expiry : public Worker {
protected:
    void TearDown() override
    {
        EnsureWorker()->ExpiryCheckClock().SetSource(nullptr);
        Worker::TearDown();
    }
    // The log rows once `count` have come, and none came for half a second more.
    std::vector<std::string> LogRowsOnce(size_t count)
    {
        WaitFor([&] {
            host.window.WaitForRecords(host.window.records.size() + 1, 50);
            return host.window.LogRows().size() >= count;
        }, 5000);
        while (host.window.WaitForRecords(host.window.records.size() + 1, 500)) {}
        return host.window.LogRows();
    }
};

const std::string kJuneRow = "Scan check: this pack expired on 2019-06-30";
const std::string kFebruaryRow = "Scan check: this pack expired on 2019-02-28";

// Neither Verify nor Recommission supplies the pack: both go out, each
// followed by its row, also with holding on.
TEST_F(Expiry, AVerifyOrRecommissionOfAnExpiredPackIsSentWithItsRow)
{
    AppSettings values;
    values.HoldImplausibleScans = true;
    host.settings.Replace(values);
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    std::string verify = Spool('0', kExpiredJune);
    ASSERT_TRUE(WaitForResults(1));
    EXPECT_EQ(LogRowsOnce(1), std::vector<std::string>{kJuneRow});
    std::string recommission = Spool('2', kExpiredFebruary);
    ASSERT_TRUE(WaitForResults(2));
    EXPECT_EQ(LogRowsOnce(2), (std::vector<std::string>{kJuneRow, kFebruaryRow})) << "day 00: the month's last day";
    EXPECT_EQ(standin.Requests(),
              (std::vector<std::string>{PackRequest("Verify", "01041501234567991719063010LOT19X\\u001D21OLD00001"),
                                        PackRequest("Recommission", "01041501234567991719020010LOT19Y\\u001D21OLD00002")}));
    EXPECT_EQ(ResultFor(verify)->messageHeading, "NMVS_NC_PCK_22 Pack is inactive (Expired)");
    EXPECT_NE(ResultFor(recommission)->kind, ScanResultKind::Held);
    EXPECT_TRUE(host.heldScans.empty());
    EXPECT_TRUE(ScanFolderEmptiesSoon());
}

TEST_F(Expiry, WithHoldingOffAnExpiredDecommissionIsSentAndOnlyGetsItsRow)
{
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    std::string key = Spool('1', kExpiredJune);
    ASSERT_TRUE(WaitForResults(1));
    EXPECT_EQ(LogRowsOnce(1), std::vector<std::string>{kJuneRow});
    EXPECT_EQ(standin.Requests().size(), 1u);
    EXPECT_EQ(ResultFor(key)->kind, ScanResultKind::Error) << "the service refuses it";
    EXPECT_TRUE(host.heldScans.empty());
}

// The worker's half of holding: the pack goes to the Held folder with its
// date for the box; the window's half is in the counter safety tests.
TEST_F(Expiry, WithHoldingOnAnExpiredDecommissionIsHeldWithItsDate)
{
    AppSettings values;
    values.HoldImplausibleScans = true;
    host.settings.Replace(values);
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    std::string key = Spool('1', kExpiredFebruary);
    ASSERT_TRUE(WaitForResults(1));
    EXPECT_EQ(ResultFor(key)->statusText, "Held");
    EXPECT_EQ(ResultFor(key)->messageHeading, "Not sent: the pack has expired");
    EXPECT_EQ(ResultFor(key)->messageBody, "The pack expired on 2019-02-28.");
    ASSERT_TRUE(WaitFor([&] { return host.heldScans.size() == 1; }, 5000));
    EXPECT_EQ(host.heldScans[0].expiredOn, "2019-02-28");
    EXPECT_TRUE(host.heldScans[0].faults.empty());
    EXPECT_TRUE(standin.Requests().empty());
    EXPECT_TRUE(LogRowsOnce(0).empty());
    std::string held = host.folder / "Held";
    EXPECT_EQ(ListFolder(held), std::vector<std::string>{key + ".dat"});
    DeleteFileA((held + "\\" + key + ".dat").c_str());
}

// After a restart the held pack is asked about again as expired, not as a
// scan held for no reason the program can still tell.
TEST_F(Expiry, AnExpiredDecommissionHeldByAnEarlierRunKeepsItsDate)
{
    std::string held = host.folder / "Held";
    ASSERT_TRUE(CreateDirectoryA(held.c_str(), nullptr));
    WriteBytes(held + "\\100.dat", "1" + kExpiredJune);
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(WaitForResults(1));
    EXPECT_EQ(ResultFor("100")->messageHeading, "Not sent: the pack has expired");
    ASSERT_TRUE(WaitFor([&] { return host.heldScans.size() == 1; }, 5000));
    EXPECT_EQ(host.heldScans[0].expiredOn, "2019-06-30");
    EXPECT_TRUE(standin.Requests().empty());
    DeleteFileA((held + "\\100.dat").c_str());
}

CalendarDate ClockOf2001() { return {2001, 1, 1}; }

// A clock years back would hold nothing wrongly, but would call expired
// packs in date: the check is off, and says so once.
TEST_F(Expiry, AClockBeforeTheBuildDateTurnsTheCheckOffWithOneWarning)
{
    EnsureWorker()->ExpiryCheckClock().SetSource(ClockOf2001);
    AppSettings values;
    values.HoldImplausibleScans = true;
    host.settings.Replace(values);
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    Spool('1', kExpiredJune);
    ASSERT_TRUE(WaitForResults(1));
    Spool('0', kExpiredFebruary);
    ASSERT_TRUE(WaitForResults(2));
    EXPECT_TRUE(ScanFolderEmptiesSoon());
    EXPECT_EQ(standin.Requests().size(), 2u) << "nothing held for its expiry";
    EXPECT_TRUE(LogRowsOnce(0).empty());
    EXPECT_EQ(CountOf(TraceLog(), "WARNING: FMD - the computer's clock reads 2001-01-01, before this program was built"), 1u)
        << TraceLog();
}

TEST_F(Worker, TheGuardSendsAPackDoneBeforeOnlyAfterItsMinutes)
{
    AppSettings values;
    values.GuardDoubleScans = true;
    values.DoubleScanMinutes = 10;
    host.settings.Replace(values);
    EnsureWorker()->ScanGuard().SetClock(GuardNow);
    std::time_t decommissioned = g_guardNow;
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    auto scan = [&](char mode, size_t results) {
        std::string key = Spool(mode, kDemo2);
        EXPECT_TRUE(WaitForResults(results));
        return ResultFor(key);
    };
    EXPECT_EQ(scan('1', 1)->statusText, "Success");
    const ScanResult* again = scan('1', 2);
    EXPECT_EQ(again->statusText, "Done before");
    EXPECT_EQ(again->kind, ScanResultKind::Success);
    EXPECT_EQ(standin.Requests().size(), 1u) << "two decommissions, one request";
    ASSERT_TRUE(host.window.WaitForRecords(3, 5000)) << "the log row follows its row";
    EXPECT_EQ(host.window.LogRows(), std::vector<std::string>{"Same pack decommissioned at " +
                                                              LocalClockTime(decommissioned) + " - not sent again"});
    scan('0', 3);
    scan('0', 4);
    EXPECT_EQ(standin.Requests().size(), 3u) << "two verifies, two requests";
    g_guardNow += 600;
    EXPECT_NE(scan('1', 5)->statusText, "Done before");
    EXPECT_EQ(standin.Requests().size(), 4u) << "after the minutes, sent again";
}

// An earlier run's successes come from the history: a restart within the
// minutes does not send the pack again.
TEST_F(Worker, TheGuardRemembersAcrossARestartThroughTheHistory)
{
    std::string reason;
    {
        ASSERT_TRUE(CreateDirectoryA((logFolder / "History").c_str(), nullptr));
        HistoryStore earlier;
        ASSERT_TRUE(earlier.Open(logFolder / "History\\history.db", "2026-12-08", reason)) << reason;
        auto success = [&](const std::string& barcode, std::time_t ago) {
            HistoryEntry e;
            e.utcTime = UtcCutoff(std::time(nullptr) - ago, 0);
            e.mode = Decommission;
            e.kind = ScanResultKind::Success;
            e.statusText = "Success";
            e.barcode = barcode;
            return earlier.Add(e, reason);
        };
        ASSERT_TRUE(success(kDemo2, 2 * 60)) << reason;
        ASSERT_TRUE(success(kDemo1, 20 * 60)) << reason;
    }
    AppSettings values;
    values.GuardDoubleScans = true;
    values.DoubleScanMinutes = 10;
    host.settings.Replace(values);
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    std::string again = Spool('1', kDemo2);
    ASSERT_TRUE(WaitForResults(1));
    EXPECT_EQ(ResultFor(again)->statusText, "Done before");
    std::string later = Spool('1', kDemo1);
    ASSERT_TRUE(WaitForResults(2));
    EXPECT_EQ(ResultFor(later)->statusText, "Success");
    EXPECT_EQ(standin.Requests(), std::vector<std::string>{PackRequest("Decommission",
                                                           "01041501234567821729123110LOT24A\\u001D21DEMO0001")});
}

TEST_F(Worker, CheckLoginSendsTheLoginDocumentAndLeavesNoFiles)
{
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    AppSettings settings = host.SettingsSnapshot();
    EXPECT_TRUE(CFMDThread::CheckLogin(settings, host.folder.Path()));
    settings.Password = "wrong";
    EXPECT_FALSE(CFMDThread::CheckLogin(settings, host.folder.Path()));
    std::vector<std::string> sent = standin.Requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0],
              R"({"$type":"API.Login.Request, TembrelQuorvixFMDCore","App":"Pellwick","Ver":"1.190416","Account":"PHARM01","Password":"s3cret"})");
    EXPECT_TRUE(ScanFolderEmptiesSoon());
}

TEST_F(Worker, CurlFailuresGiveFailedRowsAndLeaveNoFiles)
{
    struct Case {
        std::string host;
        const char* heading;
    } cases[] = {
        {"no-such-host.invalid", "Request failed due to COULDNT RESOLVE HOST"},
        {"127.0.0.1:1", "Request failed due to COULDNT CONNECT"},
    };
    size_t seen = 0;
    for (const Case& c : cases) {
        host.SetCredentials("PHARM01", "s3cret", c.host);
        std::string key = Spool('1', kDemo1);
        ASSERT_TRUE(WaitForResults(++seen)) << c.host;
        const ScanResult* result = ResultFor(key);
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(result->kind, ScanResultKind::Failed);
        EXPECT_EQ(result->statusText, "Failed");
        EXPECT_EQ(result->messageHeading, c.heading);
        EXPECT_TRUE(ScanFolderEmptiesSoon()) << c.host;
    }
    EXPECT_TRUE(standin.Requests().empty());
}

// A service that misbehaves: each scan ends as a row that says so, and no
// reply file stays behind. Over TLS, Wine's Schannel reports any end of the
// connection before the whole answer as a failed receive (on Windows: a
// partial file, or nothing received); each means the request may have arrived.
TEST_F(Worker, MisbehavingServicesGiveRowsThatSaySoAndLeaveNoFiles)
{
    const std::pair<const char*, const char*> cases[] = {
        {"partial", "Request failed due to RECV ERROR"}, {"drop", "Request failed due to RECV ERROR"},
        {"html", ""}};  // a 502 page: the reply is no item status
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    size_t seen = 0;
    for (const auto& [mode, heading] : cases) {
        ASSERT_TRUE(standin.Control(std::string(R"({"mode":")") + mode + "\"}"));
        std::string key = Spool('0', kDemo1);
        ASSERT_TRUE(WaitForResults(++seen)) << mode;
        EXPECT_EQ(ResultFor(key)->messageHeading, heading) << mode;
        EXPECT_EQ(ResultFor(key)->statusText, *heading ? "Failed" : "Invalid") << mode;
        EXPECT_TRUE(ScanFolderEmptiesSoon()) << mode;
    }
}

TEST_F(Worker, InvalidModeAndEmptySpoolFilesFailWithoutAnExchange)
{
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    std::string seven = Spool('7', "ABC");
    std::string base = MakeUniqueFileName(host.folder.Path(), "", "dat");
    ASSERT_TRUE(WriteWholeFile(base + ".dat", ""));
    std::string empty = base.substr(base.rfind('\\') + 1);
    std::string login = Spool('3', "ABC");
    ASSERT_TRUE(WaitForResults(3));

    EXPECT_EQ(ResultFor(seven)->mode, 7);
    EXPECT_EQ(ResultFor(seven)->barcode, "ABC");
    EXPECT_EQ(ResultFor(empty)->mode, -48);
    EXPECT_EQ(ResultFor(login)->mode, 3);
    for (const ScanResult* result : host.window.Results()) {
        EXPECT_EQ(result->kind, ScanResultKind::Failed);
        EXPECT_EQ(result->statusText, "Failed");
        EXPECT_TRUE(result->messageHeading.empty());
    }
    EXPECT_TRUE(standin.Requests().empty());
    EXPECT_TRUE(ScanFolderEmptiesSoon());
}

TEST_F(Worker, WithoutAPasswordFilesWaitThenGoInListingOrder)
{
    host.SetCredentials("PHARM01", "", standin.Host());
    std::vector<std::string> keys = {Spool('0', kDemo1), Spool('0', kDemo2), Spool('0', kDemo3)};
    // Several polling passes go by; nothing may be touched.
    Sleep(600);
    EXPECT_EQ(ListFolder(host.folder.Path()).size(), 3u);
    EXPECT_TRUE(host.window.Results().empty());
    EXPECT_TRUE(standin.Requests().empty());

    std::vector<std::string> listing;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((host.folder / "*.dat").c_str(), &entry);
    do listing.push_back(std::string(entry.cFileName).substr(0, std::strlen(entry.cFileName) - 4));
    while (FindNextFileA(search, &entry));
    FindClose(search);

    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(WaitForResults(3));
    std::vector<std::string> order;
    for (const ScanResult* result : host.window.Results()) order.push_back(result->key);
    EXPECT_EQ(order, listing);
}

TEST_F(Worker, TestAccountPassesTheCheckLocallyAndAddsDiagnosticRows)
{
    host.SetCredentials("KVDEMO01", "anything", standin.Host());
    EXPECT_TRUE(CFMDThread::CheckLogin(host.SettingsSnapshot(), host.folder.Path()));
    EXPECT_TRUE(ScanFolderEmptiesSoon());
    EXPECT_TRUE(standin.Requests().empty());

    std::string key = Spool('0', kDemo1);
    ASSERT_TRUE(WaitForResults(1));
    std::vector<std::string> rows = host.window.LogRows();
    ASSERT_EQ(rows.size(), 2u) << "one curl run over https, and the reply";
    std::string post = host.folder / (key + ".post");
    // Exactly this line: nothing in it weakens the check of the service's
    // certificate (no -k, --insecure or --ssl-no-revoke).
    EXPECT_EQ(rows[0], "Curl = curl.exe -q --globoff --silent --connect-timeout 15 --max-time 60 --output \"" +
                           host.folder / (key + ".reply") + "\" --data-binary \"@" + post +
                           "\" --header \"Content-Type: application/json\" --url \"https://" + standin.Host() +
                           "/v001.aspx\"");
    EXPECT_EQ(rows[1].rfind("Contents = {", 0), 0u) << rows[1];
    EXPECT_EQ(ResultFor(key)->statusText, "Invalid") << "the stand-in does not know the demo account";
}

TEST_F(Worker, ASpoolFileThatCannotBeDeletedIsSentOnceAndWarnedOnce)
{
    std::string key = Spool('1', kDemo2);  // no account yet: the worker waits
    std::string path = host.folder / (key + ".dat");
    // Held open without delete sharing, as a scanner of viruses might.
    FileHandle held(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.Valid());
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(WaitForResults(1));
    Sleep(1500);  // fifteen more passes
    EXPECT_EQ(standin.Requests().size(), 1u) << "no second decommission";
    EXPECT_EQ(CountOf(TraceLog(), "cannot delete"), 1u);
    held.Reset();
    DeleteFileA(path.c_str());
}

TEST_F(Worker, LeftoversOfAnEndedProgramGoAndCutOffScansAreAskedForAgain)
{
    // No account: the worker leaves the folder alone meanwhile.
    WriteBytes(host.folder / "100.dat.tmp", "1" + kDemo1.substr(0, 20));  // cut off by a kill
    WriteBytes(host.folder / "101.post", "{}");                          // a credentials check's
    WriteBytes(host.folder / "102.dat", "0" + kDemo1);                    // still to be sent, with
    WriteBytes(host.folder / "102.post", "{}");                          // its request
    WriteBytes(host.folder / "103.post.tmp", "{");
    WriteBytes(host.folder / "104.dat.tmp", std::string("2" + kDemo1) + '\0');  // killed before the rename
    CFMDThread::RemoveLeftoverFiles(host.folder.Path());
    EXPECT_EQ(ListFolder(host.folder.Path()), (std::vector<std::string>{"102.dat", "102.post", "104.dat"}));
    EXPECT_EQ(ReadBytes(host.folder / "104.dat"), "2" + kDemo1) << "finished as it would have been";
    ASSERT_TRUE(host.window.WaitForRecords(1, 5000));
    EXPECT_EQ(host.window.LogRows(),
              std::vector<std::string>{"Scan not sent, please scan the pack again: 01041501234567821729"});
    EXPECT_NE(TraceLog().find("Removing cut-off spool file \"100.dat.tmp\": barcode \"01041501234567821729\""),
              std::string::npos);
    EXPECT_TRUE(standin.Requests().empty()) << "a cut-off scan is never sent";
    DeleteFileA((host.folder / "102.dat").c_str());
    DeleteFileA((host.folder / "102.post").c_str());
    DeleteFileA((host.folder / "104.dat").c_str());
}

// Failure paths of one pass: the scan waits in its spool file and is sent,
// once, as soon as the obstacle is gone.
TEST_F(Worker, ALockedSpoolFileWaitsAndIsSentOnceFreed)
{
    std::string key = Spool('0', kDemo1);  // no account yet: the worker waits
    std::string path = host.folder / (key + ".dat");
    FileHandle locked(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked.Valid());
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(WaitFor([&] { return TraceLog().find("FMD - failed to read barcode from") != std::string::npos; }, 5000));
    EXPECT_TRUE(standin.Requests().empty());
    locked.Reset();
    ASSERT_TRUE(WaitForResults(1));
    EXPECT_EQ(standin.Requests().size(), 1u);
    EXPECT_TRUE(ScanFolderEmptiesSoon());
}

TEST_F(Worker, ARequestFileThatCannotBeWrittenLeavesTheScanForALaterPass)
{
    std::string key = Spool('0', kDemo1);
    // A folder where the request's temporary file would go.
    std::string blocker = host.folder / (key + ".post.tmp");
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    Sleep(1000);  // ten passes
    EXPECT_TRUE(PathExists(host.folder / (key + ".dat")));
    EXPECT_TRUE(standin.Requests().empty());
    EXPECT_TRUE(host.window.Results().empty());
    RemoveDirectoryA(blocker.c_str());
    ASSERT_TRUE(WaitForResults(1));
    EXPECT_EQ(standin.Requests().size(), 1u);
    EXPECT_TRUE(ScanFolderEmptiesSoon());
}

// A handshake cut on the path (a firewall, or someone after the password):
// with the switch off, one https attempt and a failed row, and nothing in
// plain text reaches the service; with it on, the plain retry as before.
TEST_F(Worker, ACutTlsHandshakeIsRetriedOverPlainHttpOnlyWhenAllowed)
{
    ASSERT_TRUE(standin.Control(R"({"cut_tls":true})"));
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    AppSettings strict = host.SettingsSnapshot();
    strict.AllowPlainHttp = false;
    host.settings.Replace(strict);

    std::string refused = Spool('1', kDemo2);
    ASSERT_TRUE(WaitForResults(1));
    EXPECT_EQ(ResultFor(refused)->statusText, "Failed");
    EXPECT_EQ(ResultFor(refused)->messageHeading, "Request failed due to SSL CONNECT ERROR");
    EXPECT_FALSE(CFMDThread::CheckLogin(strict, host.folder.Path()));
    EXPECT_TRUE(standin.Requests().empty()) << "no plain request, neither the scan nor the credentials check";
    EXPECT_EQ(CountOf(TraceLog(), "download failed 35"), 2u) << "one https attempt each";
    EXPECT_EQ(CountOf(TraceLog(), "registry value AllowPlainHttp is not \"1\""), 2u);
    EXPECT_TRUE(ScanFolderEmptiesSoon());

    AppSettings allowing = host.SettingsSnapshot();
    allowing.AllowPlainHttp = true;
    host.settings.Replace(allowing);
    std::string sent = Spool('1', kDemo2);
    ASSERT_TRUE(WaitForResults(2));
    EXPECT_EQ(ResultFor(sent)->statusText, "Success");
    EXPECT_TRUE(CFMDThread::CheckLogin(allowing, host.folder.Path()));
    EXPECT_EQ(standin.Requests().size(), 2u);
    EXPECT_TRUE(ScanFolderEmptiesSoon());
}

// The plain retry's curl is made ready while the https attempt runs. Until
// it is started it sends nothing, and dropped unstarted (https answered) it
// leaves neither a process nor a file.
TEST_F(Worker, APreparedExchangeSendsNothingUntilStartedAndLeavesNoCurlWhenDropped)
{
    std::string post = host.folder / "prepared.post", reply = host.folder / "prepared.reply";
    ASSERT_TRUE(WriteWholeFile(post, PackRequest("Verify", "0104150123456782")));
    const std::string url = "http://" + ServiceEndpoint(standin.Host());
    CurlContext context;
    {
        CurlExchangeRun dropped(context, url, "@" + post, "application/json", reply);
        dropped.Prepare();
        EXPECT_EQ(ChildProcessesNamed("curl.exe"), 1);
        Sleep(1500);  // a curl let run would have answered by now
    }
    EXPECT_TRUE(WaitFor([] { return ChildProcessesNamed("curl.exe") == 0; }, 5000)) << "the unstarted curl is ended";
    EXPECT_TRUE(standin.Requests().empty());
    EXPECT_FALSE(PathExists(reply));

    CurlExchangeRun used(context, url, "@" + post, "application/json", reply);
    used.Prepare();
    used.Start();
    std::string resultPath;
    EXPECT_EQ(used.Finish(resultPath), 0);
    EXPECT_EQ(resultPath, reply);
    EXPECT_EQ(standin.Requests().size(), 1u);
    EXPECT_NE(ReadBytes(reply).find("GS1.ItemStatus"), std::string::npos);
    DeleteFileA(post.c_str());
    DeleteFileA(reply.c_str());
}

TEST_F(Outage, ScansWaitThroughARefusingServiceAndGoOldestFirstWithOneAlert)
{
    ASSERT_TRUE(standin.Control(R"({"outage":"refuse","outage_ms":2500})"));
    std::string first = Spool('1', kDemo1);
    ASSERT_TRUE(WaitFor([&] { return PathExists(Waiting() + "\\" + first + ".dat"); }, 10000));
    std::string second = Spool('0', kDemo2);  // joins the queue behind the first
    ASSERT_TRUE(WaitForFinal(first));
    ASSERT_TRUE(WaitForFinal(second));

    EXPECT_EQ(ResultFor(first)->kind, ScanResultKind::Waiting);
    EXPECT_EQ(ResultFor(first)->statusText, "Waiting");
    EXPECT_EQ(ResultFor(first)->messageHeading, "Request failed due to COULDNT CONNECT");
    EXPECT_EQ(ResultFor(second)->kind, ScanResultKind::Waiting);
    size_t alerts = 0;
    for (const ScanResult* result : host.window.Results()) alerts += result->status == kOutageAlertStatus;
    EXPECT_EQ(alerts, 1u) << "one alert per outage";
    EXPECT_EQ(LastFor(first)->statusText, "Success");
    EXPECT_EQ(LastFor(second)->statusText, "Success");
    EXPECT_EQ(SentOperations(), (std::vector<std::string>{"Decommission DEMO0001", "Verify DEMO0002"}));
    ASSERT_TRUE(WaitFor(
        [&] {
            host.window.WaitForRecords(host.window.records.size() + 1, 50);
            return host.window.LogRows().size() == 2;
        },
        5000));
    EXPECT_EQ(host.window.LogRows(),
              (std::vector<std::string>{"The service cannot be reached: scans are kept and sent when it answers",
                                        "The service answers again: 2 waiting scans sent"}));
    EXPECT_TRUE(ListFolder(Waiting()).empty());
    EXPECT_EQ(ListFolder(host.folder.Path()), std::vector<std::string>{"Waiting"});
}

// A decommission whose answer was lost is verified before it is sent again.
TEST_F(Outage, AnUncertainDecommissionIsVerifiedFirstAndNeverSentTwice)
{
    const struct {
        const char* outage;  // the first try's fate
        std::string barcode;
        std::vector<std::string> sent;
        const char* statusText;
    } cases[] = {
        {"drop_after", kDemo1, {"Decommission DEMO0001", "Verify DEMO0001"}, "Done before"},
        {"drop", kDemo2, {"Verify DEMO0002", "Decommission DEMO0002"}, "Success"},
        {"drop", "0104150123456782" "21DEMO9999", {"Verify DEMO9999"}, "Error"},  // unknown pack
    };
    for (const auto& c : cases) {
        size_t before = standin.Requests().size();
        ASSERT_TRUE(standin.Control(std::string(R"({"outage":")") + c.outage + "\"}"));
        std::string key = Spool('1', c.barcode);
        ASSERT_TRUE(WaitFor([&] { return PathExists(Waiting() + "\\" + key + ".uncertain"); }, 10000)) << c.outage;
        ASSERT_TRUE(standin.Control(R"({"outage":"none"})"));
        ASSERT_TRUE(WaitForFinal(key)) << c.outage;
        EXPECT_EQ(LastFor(key)->statusText, c.statusText) << c.outage;
        EXPECT_EQ(SentOperations(before), c.sent) << c.outage;
        EXPECT_TRUE(WaitFor([&] { return ListFolder(Waiting()).empty(); }, 5000)) << c.outage;
    }
    const ScanResult* doneBefore = LastFor(host.window.Results().front()->key);
    EXPECT_EQ(doneBefore->kind, ScanResultKind::Warning);
    EXPECT_EQ(doneBefore->messageBody, DoneBeforeText(Decommission));
}

// Scans kept by an earlier run get their rows back and go in the order taken.
TEST_F(Outage, WaitingScansFromBeforeARestartGoOldestFirst)
{
    host.SetCredentials("PHARM01", "", standin.Host());  // the worker waits meanwhile
    ASSERT_TRUE(CreateDirectoryA(Waiting().c_str(), nullptr));
    WriteBytes(Waiting() + "\\900.dat", "0" + kDemo2);
    WriteBytes(Waiting() + "\\1000.dat", "0" + kDemo3);
    WriteBytes(Waiting() + "\\20.dat", "0" + kDemo1);  // the counter started again: taken last
    SetSavedAt(Waiting() + "\\900.dat", 30);
    SetSavedAt(Waiting() + "\\1000.dat", 20);
    SetSavedAt(Waiting() + "\\20.dat", 10);
    WriteBytes(Waiting() + "\\77.uncertain", "");  // its scan has gone
    CFMDThread::RemoveLeftoverFiles(host.folder.Path());
    EXPECT_EQ(ListFolder(Waiting()).size(), 3u);
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(WaitForFinal("20"));
    EXPECT_EQ(SentOperations(), (std::vector<std::string>{"Verify DEMO0002", "Verify DEMO0003", "Verify DEMO0001"}));
    EXPECT_EQ(ResultFor("900")->statusText, "Waiting");
    EXPECT_EQ(LastFor("900")->statusText, "Success");
    EXPECT_TRUE(WaitFor([&] { return ListFolder(Waiting()).empty(); }, 5000));
}

namespace {

// The history's rows as "mode|status text|sn|read serial|read batch|user|barcode", oldest first.
std::vector<std::string> HistoryRows(const std::string& path, std::string& integrity)
{
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_busy_timeout(db, 10000);  // the worker may be closing the file as its pass ends
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db, "SELECT mode, status_text, sn, read_serial, read_batch, user_name, barcode, program_version"
                           " FROM outcome ORDER BY id", -1, &query, nullptr);
    while (query && sqlite3_step(query) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < 7; ++i) {
            const char* text = static_cast<const char*>(sqlite3_column_blob(query, i));
            row += (i ? "|" : "") + std::string(text ? text : "", sqlite3_column_bytes(query, i));
        }
        EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(query, 7)), PELLWICK_VERSION);
        rows.push_back(row);
    }
    sqlite3_finalize(query);
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &query, nullptr);
    if (query && sqlite3_step(query) == SQLITE_ROW) integrity = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
    sqlite3_finalize(query);
    sqlite3_close(db);
    return rows;
}

}  // namespace

TEST_F(Worker, KeepsEachSettledScanInTheHistoryBeforeItsFileGoes)
{
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    Spool('0', kDemo1);
    ASSERT_TRUE(WaitForResults(1));
    Spool('1', kDemo2);
    ASSERT_TRUE(WaitForResults(2));
    ASSERT_TRUE(ScanFolderEmptiesSoon());
    std::string integrity;
    EXPECT_EQ(HistoryRows(logFolder / "History\\history.db", integrity),
              (std::vector<std::string>{"0|Success|DEMO0001|DEMO0001|LOT24A|PHARM01|" + kDemo1,
                                        "1|Success|DEMO0002|DEMO0002|LOT24A|PHARM01|" + kDemo2}));
    EXPECT_EQ(integrity, "ok");
}

TEST_F(Worker, AHistoryThatCannotBeOpenedCostsOneRowAndScanningGoesOn)
{
    ASSERT_TRUE(WriteWholeFile(logFolder / "History", "a file where the folder should be"));
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    Spool('0', kDemo1);
    ASSERT_TRUE(WaitForResults(1));
    Spool('0', kDemo2);
    ASSERT_TRUE(WaitForResults(2));
    EXPECT_EQ(ResultFor(host.window.Results()[1]->key)->statusText, "Success");
    EXPECT_EQ(host.window.LogRows(), std::vector<std::string>{"Scan history unavailable: the folder \"" +
                                                              (logFolder / "History") + "\" cannot be created"});
    EXPECT_NE(TraceLog().find("History - scan history unavailable"), std::string::npos);
}

// A backup holding the history longer than SQLite waits costs no row: each
// is kept and written once the file is free again.
TEST_F(Worker, ALockedHistoryKeepsItsRowsAndWritesThemOnceFree)
{
    std::string path = logFolder / "History\\history.db", reason;
    ASSERT_TRUE(CreateDirectoryA((logFolder / "History").c_str(), nullptr));
    {
        HistoryStore created;
        ASSERT_TRUE(created.Open(path, "2026-12-08", reason)) << reason;
    }
    sqlite3* backup = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &backup), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(backup, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    Spool('0', kDemo1);
    ASSERT_TRUE(WaitForResults(1));
    const std::string unavailable = "Scan history unavailable: database is locked";
    auto logRowsReach = [&](size_t count, DWORD timeoutMs) {
        ULONGLONG deadline = GetTickCount64() + timeoutMs;
        while (host.window.LogRows().size() < count && GetTickCount64() < deadline)
            host.window.WaitForRecords(host.window.records.size() + 1, 50);
        return host.window.LogRows().size() >= count;
    };
    bool said = logRowsReach(1, 15000);
    if (!said) sqlite3_close_v2(backup);
    ASSERT_TRUE(said) << TraceLog();
    Spool('1', kDemo2);
    ASSERT_TRUE(WaitForResults(2));
    EXPECT_EQ(host.window.LogRows(), std::vector<std::string>{unavailable}) << "said once";
    sqlite3_exec(backup, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(backup);

    const std::string again = "The scan history works again: the 2 scans kept meanwhile are in it";
    EXPECT_TRUE(logRowsReach(2, 30000)) << TraceLog();
    EXPECT_EQ(host.window.LogRows(), (std::vector<std::string>{unavailable, again}));
    std::string integrity;
    EXPECT_EQ(HistoryRows(path, integrity),
              (std::vector<std::string>{"0|Success|DEMO0001|DEMO0001|LOT24A|PHARM01|" + kDemo1,
                                        "1|Success|DEMO0002|DEMO0002|LOT24A|PHARM01|" + kDemo2}));
}

// A history damaged in its pages (its header sound) opens, and its first
// write fails: the row is kept, and the file set aside at its next opening.
TEST_F(Worker, AHistoryDamagedInItsPagesIsSetAsideAndTheRowKept)
{
    std::string folder = logFolder / "History", path = folder + "\\history.db", reason;
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    {
        HistoryStore created;
        ASSERT_TRUE(created.Open(path, "2026-12-08", reason)) << reason;
        HistoryEntry old;
        old.utcTime = "2026-12-08T03:00:00Z";
        for (int i = 0; i < 300; ++i) ASSERT_TRUE(created.Add(old, reason)) << reason;
    }
    std::string bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 8192u);
    bytes.replace(4096, 4096, std::string(4096, '\xA5'));  // page 2, the table's root
    WriteBytes(path, bytes);
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    Spool('0', kDemo1);
    ASSERT_TRUE(WaitForResults(1));
    ULONGLONG deadline = GetTickCount64() + 40000;
    while (host.window.LogRows().size() < 3 && GetTickCount64() < deadline)
        host.window.WaitForRecords(host.window.records.size() + 1, 50);
    SYSTEMTIME today;
    GetLocalTime(&today);
    char aside[64];
    wsprintfA(aside, "history-damaged-%04u-%02u-%02u.db", today.wYear, today.wMonth, today.wDay);
    EXPECT_EQ(host.window.LogRows(),
              (std::vector<std::string>{"Scan history unavailable: database disk image is malformed",
                                        std::string("The scan history was damaged: it was set aside as ") + aside +
                                            " and a new one started",
                                        "The scan history works again: the scan kept meanwhile is in it"}))
        << TraceLog();
    std::string integrity;
    EXPECT_EQ(HistoryRows(path, integrity),
              std::vector<std::string>{"0|Success|DEMO0001|DEMO0001|LOT24A|PHARM01|" + kDemo1});
    EXPECT_EQ(ReadBytes(folder + "\\" + aside).substr(0, 16), std::string("SQLite format 3\0", 16));
    EXPECT_FALSE(PathExists(path + "-damaged"));
}

// A waiting scan held open by another program does not hold up the others.
TEST_F(Outage, ALockedWaitingScanIsPassedOverAndSentOnceFreed)
{
    host.SetCredentials("PHARM01", "", standin.Host());  // the worker waits meanwhile
    ASSERT_TRUE(CreateDirectoryA(Waiting().c_str(), nullptr));
    WriteBytes(Waiting() + "\\10.dat", "0" + kDemo1);
    WriteBytes(Waiting() + "\\20.dat", "0" + kDemo2);
    FileHandle locked(CreateFileA((Waiting() + "\\10.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked.Valid());
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(WaitForFinal("20"));
    EXPECT_EQ(SentOperations(), std::vector<std::string>{"Verify DEMO0002"});
    locked.Reset();
    ASSERT_TRUE(WaitForFinal("10"));
    EXPECT_EQ(SentOperations(), (std::vector<std::string>{"Verify DEMO0002", "Verify DEMO0001"}));
    EXPECT_TRUE(WaitFor([&] { return ListFolder(Waiting()).empty(); }, 5000));
}
