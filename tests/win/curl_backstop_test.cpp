// Built beside a curl.exe that ignores its limits: the exchange ends it once
// the total limit and the grace have passed, and reports a time-out.
#include <gtest/gtest.h>

#include <windows.h>

#include "support/test_support.h"
#include "verify/curl_exchange.h"

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
    EXPECT_TRUE(WaitFor([] { return ChildProcessesNamed("curl.exe") == 0; }, 5000)) << "the stubborn curl.exe is gone";
}
