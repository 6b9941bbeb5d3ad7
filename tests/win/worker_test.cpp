// The verification worker end to end under Wine: spool files in, the real
// curl.exe, the stand-in service, result records out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/fmd_app.h"
#include "framework/file_ops.h"
#include "support/scan_fixture.h"
#include "verify/fmd_thread.h"

namespace {

const std::string kDemo1 = "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0001";
const std::string kDemo2 = "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0002";
const std::string kDemo3 = "0104150123456782" "21DEMO0003";

// One worker per test process: it is never stopped, and serves whichever
// host is published.
void EnsureWorker()
{
    static bool started = [] {
        auto* worker = new CFMDThread;
        return worker->CreateThread();
    }();
    ASSERT_TRUE(started);
}

class Worker : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(standin.Available()) << "run through tools/wine-run.sh with PELLWICK_STANDIN";
        app.SetAppFolder(logFolder.Path());
        EnsureWorker();
    }

    std::string Spool(char modeDigit, const std::string& barcode)
    {
        std::string base = MakeUniqueFileName(host.folder.Path(), "", "dat");
        EXPECT_TRUE(WriteWholeFile(base + ".dat", std::string(1, modeDigit) + barcode));
        return base.substr(base.rfind('\\') + 1);
    }
    bool WaitForResults(size_t count, DWORD timeoutMs = 30000)
    {
        ULONGLONG deadline = GetTickCount64() + timeoutMs;
        while (host.window.Results().size() < count) {
            if (GetTickCount64() >= deadline) return false;
            host.window.WaitForRecords(host.window.records.size() + 1, 50);
        }
        return true;
    }
    const ScanResult* ResultFor(const std::string& key)
    {
        for (const ScanResult* result : host.window.Results())
            if (result->key == key) return result;
        return nullptr;
    }
    std::string TraceLog() { return ReadBytes(logFolder / "Logs\\trace-1.txt"); }
    // The worker posts a result before it deletes the scan's files.
    bool ScanFolderEmptiesSoon() { return WaitFor([&] { return ListFolder(host.folder.Path()).empty(); }, 5000); }

    TempFolder logFolder;
    CFMDApp app;
    StandinClient standin;
    TestScanHost host;
};

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
    // The stand-in speaks plain HTTP only: every scan went through the retry.
    EXPECT_NE(TraceLog().find("download failed 35 - SSL CONNECT ERROR"), std::string::npos);
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
// reply file stays behind.
TEST_F(Worker, MisbehavingServicesGiveRowsThatSaySoAndLeaveNoFiles)
{
    const std::pair<const char*, const char*> cases[] = {
        {"partial", "Request failed due to PARTIAL FILE"}, {"drop", "Request failed due to GOT NOTHING"},
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
    ASSERT_EQ(rows.size(), 3u) << "two curl runs (https, then http) and the reply";
    std::string post = host.folder / (key + ".post");
    EXPECT_EQ(rows[0], "Curl = curl.exe --silent --connect-timeout 15 --max-time 60 --output \"" +
                           host.folder / (key + ".reply") + "\" --data-binary \"@" + post +
                           "\" --header \"Content-Type: application/json\" --url \"https://" + standin.Host() +
                           "/v001.aspx\"");
    EXPECT_EQ(rows[1].rfind("Curl = ", 0), 0u);
    EXPECT_NE(rows[1].find("--url \"http://"), std::string::npos);
    EXPECT_EQ(rows[2].rfind("Contents = {", 0), 0u) << rows[2];
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
    CFMDThread::RemoveLeftoverFiles(host.folder.Path());
    EXPECT_EQ(ListFolder(host.folder.Path()), (std::vector<std::string>{"102.dat", "102.post"}));
    ASSERT_TRUE(host.window.WaitForRecords(1, 5000));
    EXPECT_EQ(host.window.LogRows(),
              std::vector<std::string>{"Scan not sent, please scan the pack again: 01041501234567821729"});
    EXPECT_NE(TraceLog().find("Removing cut-off spool file \"100.dat.tmp\": barcode \"01041501234567821729\""),
              std::string::npos);
    EXPECT_TRUE(standin.Requests().empty()) << "a cut-off scan is never sent";
    DeleteFileA((host.folder / "102.dat").c_str());
    DeleteFileA((host.folder / "102.post").c_str());
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
