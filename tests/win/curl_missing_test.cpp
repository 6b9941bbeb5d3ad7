// Built into a folder without curl.exe: the exchange cannot start curl.
#include <gtest/gtest.h>

#include "framework/file_ops.h"
#include "support/scan_fixture.h"
#include "verify/curl_exchange.h"
#include "verify/fmd_thread.h"

TEST(CurlMissing, ScanFailsAsFailedToRunAndLeavesNoFiles)
{
    ASSERT_EQ(FindCurlExecutable(), "") << "this test must run where no curl.exe can be found";
    TestScanHost host;
    // A curl.exe planted in the current folder must not be run: it would
    // receive the account's password.
    TempFolder planted;
    ASSERT_TRUE(CopyFileA(BinaryPath("curl.exe").c_str(), (planted / "curl.exe").c_str(), FALSE));
    ASSERT_TRUE(SetCurrentDirectoryA(planted.Path().c_str()));
    StandinClient standin;
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    auto* worker = new CFMDThread;
    ASSERT_TRUE(worker->CreateThread());

    std::string base = MakeUniqueFileName(host.folder.Path(), "", "dat");
    ASSERT_TRUE(WriteWholeFile(base + ".dat", "1" "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0001"));
    ASSERT_TRUE(host.window.WaitForRecords(1, 20000));
    EXPECT_EQ(host.window.records[0]->messageHeading, "Request failed due to FAILED TO RUN");
    EXPECT_TRUE(WaitFor([&] { return ListFolder(host.folder.Path()).empty(); }, 5000));

    AppSettings settings = host.SettingsSnapshot();
    EXPECT_FALSE(CFMDThread::CheckLogin(settings, host.folder.Path()));
    EXPECT_TRUE(standin.Requests().empty());
    SetCurrentDirectoryA(host.folder.Path().c_str());
}
