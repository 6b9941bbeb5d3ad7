// Built beside a curl.exe that ignores its limits: the exchange ends it once
// the total limit and the grace have passed, and reports a time-out.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include "support/test_support.h"
#include "verify/curl_exchange.h"

namespace {

int CurlChildren()
{
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry))
        count += entry.th32ParentProcessID == GetCurrentProcessId() && _stricmp(entry.szExeFile, "curl.exe") == 0;
    return count;
}

}  // namespace

TEST(CurlBackstop, ACurlThatIgnoresItsLimitsIsEndedAfterThemAndTheGrace)
{
    ASSERT_NE(FindCurlExecutable().find("\\stubborn\\"), std::string::npos) << "the stand-in curl.exe beside the test";
    TempFolder folder;
    CurlContext context;
    context.downloadFolder = folder.Path();
    context.totalTimeoutSeconds = 1;
    std::string resultPath;
    ULONGLONG start = GetTickCount64();
    int result = CurlExchange(context, "http://127.0.0.1:1/", resultPath, "", "application/json", "");
    ULONGLONG took = GetTickCount64() - start;
    EXPECT_EQ(result, 28) << "reported as curl's own time-out";
    EXPECT_GE(took, 1000u + 15000u - 50u) << "the total limit, then 15 s of grace";
    EXPECT_LT(took, 25000u);
    EXPECT_TRUE(resultPath.empty());
    EXPECT_TRUE(WaitFor([] { return CurlChildren() == 0; }, 5000)) << "the stubborn curl.exe is gone";
}
