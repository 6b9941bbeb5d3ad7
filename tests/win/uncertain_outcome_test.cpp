// A Decommission or Recommission whose request may have reached the service
// is never sent again blind, whatever the switches: the worker end to end
// under Wine with the real curl.exe and the stand-in.
#include <gtest/gtest.h>

#include "framework/file_ops.h"
#include "support/worker_fixture.h"
#include "verify/fmd_thread.h"

namespace {

const std::string kSupplied = "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0004";

void SetSwitches(TestScanHost& host, bool keepScans, bool guard)
{
    AppSettings values = host.SettingsSnapshot();
    values.KeepScansDuringOutage = keepScans;
    values.GuardDoubleScans = guard;
    values.DoubleScanMinutes = 10;
    host.settings.Replace(values);
}

}  // namespace

// The answer is lost or cut off after the service acted: the row says the
// request failed, and the same pack scanned again is verified, not sent.
TEST_F(Worker, ALostAnswerIsFollowedByAVerifyNeverASecondDecommission)
{
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    const struct {
        const char* outage;
        std::string barcode;
        const char* serial;
    } cases[] = {
        {"cut_answer", kDemo1, "DEMO0001"},
        {"drop_after", kDemo2, "DEMO0002"},
    };
    for (const auto& c : cases) {
        size_t before = standin.Requests().size();
        ASSERT_TRUE(standin.Control(std::string(R"({"outage":")") + c.outage + "\"}"));
        std::string lost = Spool('1', c.barcode);
        ASSERT_TRUE(WaitForFinal(lost)) << c.outage;
        EXPECT_EQ(LastFor(lost)->statusText, "Failed") << c.outage;
        EXPECT_EQ(LastFor(lost)->messageHeading.rfind("Request failed due to ", 0), 0u) << c.outage;
        ASSERT_TRUE(standin.Control(R"({"outage":"none"})"));
        std::string again = Spool('1', c.barcode);
        ASSERT_TRUE(WaitForFinal(again)) << c.outage;
        EXPECT_EQ(LastFor(again)->statusText, "Done before") << c.outage;
        EXPECT_EQ(LastFor(again)->kind, ScanResultKind::Warning) << c.outage;
        EXPECT_EQ(SentOperations(before), (std::vector<std::string>{std::string("Decommission ") + c.serial,
                                                                    std::string("Verify ") + c.serial}))
            << c.outage;
        EXPECT_TRUE(ScanFolderEmptiesSoon()) << c.outage;
    }
}

// An ended program left the request beside its scan: with the switch off too,
// a Verify goes first and decides.
TEST_F(Worker, ARequestLeftByAnEndedProgramIsVerifiedFirstWithTheSwitchOff)
{
    WriteBytes(host.folder / "900.dat", "1" + kSupplied);  // the service took it before the end
    WriteBytes(host.folder / "900.post", "{}");
    WriteBytes(host.folder / "901.dat", "1" + kDemo3);  // it never got there
    WriteBytes(host.folder / "901.post", "{}");
    CFMDThread::RemoveLeftoverFiles(host.folder.Path());
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(WaitForFinal("900"));
    ASSERT_TRUE(WaitForFinal("901"));
    EXPECT_EQ(LastFor("900")->statusText, "Done before");
    EXPECT_EQ(LastFor("901")->statusText, "Success");
    std::vector<std::string> sent = SentOperations();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "Decommission DEMO0004"), 0);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "Verify DEMO0004"), 1);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "Verify DEMO0003"), 1);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "Decommission DEMO0003"), 1);
    EXPECT_TRUE(ScanFolderEmptiesSoon());
}

// A spool file that cannot be deleted keeps its request file: a later start
// finds the scan marked and verifies it first.
TEST_F(Worker, ASettledScanThatCannotBeDeletedKeepsItsMark)
{
    std::string key = Spool('1', kDemo2);  // no account yet: the worker waits
    std::string path = host.folder / (key + ".dat");
    FileHandle held(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.Valid());
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(WaitForFinal(key));
    ASSERT_TRUE(WaitFor([&] { return TraceLog().find("cannot delete") != std::string::npos; }, 5000));
    EXPECT_TRUE(PathExists(host.folder / (key + ".post")) || PathExists(host.folder / (key + ".uncertain")));
    held.Reset();
}

// Off, a recommission; on, a decommission within the minutes: the guard knew
// the recommission and lets the decommission go.
TEST_F(Worker, TheGuardKnowsWhatWasDoneWhileItWasOff)
{
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    const struct {
        char mode;
        bool guard;
        const char* statusText;
    } steps[] = {{'1', true, "Success"}, {'2', false, "Success"}, {'1', true, "Success"}, {'1', true, "Done before"}};
    for (const auto& step : steps) {
        SetSwitches(host, false, step.guard);
        std::string key = Spool(step.mode, kDemo1);
        ASSERT_TRUE(WaitForFinal(key));
        EXPECT_EQ(LastFor(key)->statusText, step.statusText) << step.mode << (step.guard ? " guard on" : " guard off");
    }
    EXPECT_EQ(SentOperations(), (std::vector<std::string>{"Decommission DEMO0001", "Recommission DEMO0001",
                                                          "Decommission DEMO0001"}));
}

// A file too large for any scan goes aside with one row; the scan behind it
// goes on.
TEST_F(Worker, ASpoolFileTooLargeForAScanIsSetAsideAndTheOthersGo)
{
    WriteBytes(host.folder / "10.dat", "1" + std::string(70000, 'A'));
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    std::string key = Spool('0', kDemo1);
    ASSERT_TRUE(WaitForFinal(key));
    EXPECT_EQ(LastFor(key)->statusText, "Success");
    EXPECT_TRUE(WaitFor([&] { return PathExists(host.folder / "Unreadable\\10.dat"); }, 5000));
    EXPECT_EQ(SentOperations(), std::vector<std::string>{"Verify DEMO0001"});
    std::vector<std::string> rows = host.window.LogRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].rfind("A saved scan was not sent (it is too large for a scan): scan the pack again.", 0), 0u)
        << rows[0];
}

// While the service recovers, a kept scan whose check brings no answer (a
// refused login in JSON, an answer cut short) waits on: it is never settled
// as Invalid or Failed.
TEST_F(Outage, AKeptScanIsSettledOnlyByAnAnswer)
{
    const struct {
        const char* password;
        const char* mode;
    } cases[] = {{"wrong", "normal"}, {"s3cret", "partial"}};
    size_t outagesEnded = 0;
    for (const auto& c : cases) {
        host.SetCredentials("PHARM01", "", standin.Host());  // the worker waits meanwhile
        SetSwitches(host, true, false);
        EnsureDirectory(Waiting());
        WriteBytes(Waiting() + "\\50.dat", "1" + kDemo1);
        WriteBytes(Waiting() + "\\50.uncertain", "");
        ASSERT_TRUE(standin.Control(std::string(R"({"mode":")") + c.mode + "\"}"));
        size_t before = standin.Requests().size();
        host.SetCredentials("PHARM01", c.password, standin.Host());
        ASSERT_TRUE(WaitFor([&] { return standin.Requests().size() > before; }, 10000)) << c.mode;
        TakeRecordsFor(1500);
        ASSERT_NE(LastFor("50"), nullptr) << c.mode;
        EXPECT_EQ(LastFor("50")->kind, ScanResultKind::Waiting) << c.mode;
        EXPECT_TRUE(PathExists(Waiting() + "\\50.dat")) << c.mode;
        EXPECT_TRUE(PathExists(Waiting() + "\\50.uncertain")) << c.mode;
        ASSERT_TRUE(standin.Control(R"({"mode":"normal"})"));
        host.SetCredentials("PHARM01", "s3cret", standin.Host());
        ASSERT_TRUE(WaitForFinal("50", 60000)) << c.mode;
        EXPECT_EQ(LastFor("50")->statusText, c.mode == std::string("normal") ? "Success" : "Done before") << c.mode;
        EXPECT_TRUE(WaitFor([&] { return ListFolder(Waiting()).empty(); }, 5000));
        // The worker sees the queue empty before the next case fills it.
        ++outagesEnded;
        ASSERT_TRUE(WaitFor([&] {
            host.window.WaitForRecords(host.window.records.size() + 1, 50);
            std::vector<std::string> rows = host.window.LogRows();
            return static_cast<size_t>(std::count_if(rows.begin(), rows.end(), [](const std::string& row) {
                       return row.rfind("The service answers again", 0) == 0;
                   })) == outagesEnded;
        }, 5000));
    }
    std::vector<std::string> sent = SentOperations();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "Decommission DEMO0001"), 1) << "one decommission in all";
}

// The move to the waiting folder fails (the file is held open): the scan's
// mark stays beside it, and after a restart it is verified, not sent blind.
TEST_F(Outage, AScanThatCannotMoveKeepsItsMarkBesideIt)
{
    host.SetCredentials("PHARM01", "", standin.Host());
    std::string key = Spool('1', kDemo1);
    std::string path = host.folder / (key + ".dat");
    FileHandle held(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.Valid());
    ASSERT_TRUE(standin.Control(R"({"outage":"drop_after"})"));
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(WaitFor([&] { return TraceLog().find("cannot keep") != std::string::npos; }, 10000));
    EXPECT_TRUE(PathExists(host.folder / (key + ".uncertain")) || PathExists(host.folder / (key + ".post")));
    // An end of the program here, and a start.
    host.SetCredentials("PHARM01", "", standin.Host());
    Sleep(300);
    held.Reset();
    CFMDThread::RemoveLeftoverFiles(host.folder.Path());
    ASSERT_TRUE(standin.Control(R"({"outage":"none"})"));
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(WaitForFinal(key, 90000));
    EXPECT_EQ(LastFor(key)->statusText, "Done before");
    EXPECT_EQ(SentOperations(), (std::vector<std::string>{"Decommission DEMO0001", "Verify DEMO0001"}));
}

// Waiting scans go out in the order they were taken, though a restart of
// Windows between them started the counter, and so the keys, again lower.
TEST_F(Outage, WaitingScansGoInTheOrderTakenAcrossARestartOfWindows)
{
    std::string supplied = Spool('1', kDemo1);
    ASSERT_TRUE(WaitForFinal(supplied));
    host.SetCredentials("PHARM01", "", standin.Host());  // the worker waits meanwhile
    ASSERT_TRUE(CreateDirectoryA(Waiting().c_str(), nullptr));
    WriteBytes(Waiting() + "\\90000.dat", "2" + kDemo1);  // undone before the restart
    WriteBytes(Waiting() + "\\700.dat", "1" + kDemo1);    // supplied after it
    WriteBytes(Waiting() + "\\20.dat", "0" + kDemo2);
    SetSavedAt(Waiting() + "\\90000.dat", 300);
    SetSavedAt(Waiting() + "\\700.dat", 200);
    SetSavedAt(Waiting() + "\\20.dat", 100);
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_TRUE(WaitForFinal("20"));
    EXPECT_EQ(SentOperations(), (std::vector<std::string>{"Decommission DEMO0001", "Recommission DEMO0001",
                                                          "Decommission DEMO0001", "Verify DEMO0002"}));
    EXPECT_EQ(LastFor("90000")->statusText, "Success");
    EXPECT_EQ(LastFor("700")->statusText, "Success") << "the pack ends supplied, as the pharmacist left it";
}
