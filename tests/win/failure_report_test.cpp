// Warning and Failure: the system's reason text, the log forms, and the
// Failure box that ends only the calling thread once it has been closed.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "app/fmd_app.h"
#include "core/log.h"
#include "framework/win_handle.h"
#include "support/test_support.h"

namespace {

class Reports : public testing::Test {
protected:
    Reports() { app.SetAppFolder(folder.Path()); }
    std::string LogText() { return ReadBytes(folder / "Logs\\trace-1.txt"); }

    TempFolder folder;
    CFMDApp app;
};

DWORD WINAPI FailOnThisThread(void*)
{
    SetLastError(ERROR_ACCESS_DENIED);
    Failure("Unable to create %s", "ScanFolder");
}

}  // namespace

TEST_F(Reports, WarningEndsWithTheSystemTextOfTheLastError)
{
    HANDLE missing = CreateFileA((folder / "no-such-file.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
    ASSERT_EQ(missing, INVALID_HANDLE_VALUE);
    Warning("Reader failed to open port %s", "COM7");

    char expected[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), expected, sizeof expected, nullptr);
    ASSERT_GT(std::strlen(expected), 2u);
    // The reason's own CR LF stands before the log's newline; both become CR LF on disk.
    std::string reason(expected);
    std::string onDisk = std::regex_replace(reason, std::regex("\n"), "\r\n");
    std::string tail = "WARNING: Reader failed to open port COM7 Reason: " + onDisk + "\r\n";
    std::string text = LogText();
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(Reports, FailureShowsItsBoxAndEndsOnlyTheCallingThreadWithCode2)
{
    KernelHandle thread(CreateThread(nullptr, 0, &FailOnThisThread, nullptr, 0, nullptr));
    ASSERT_TRUE(thread);

    HWND box = WaitForTopWindow(GetCurrentProcessId(), "QuorvixFMD Wedge Scanner", 20000);
    ASSERT_TRUE(box);
    // Until the box is closed the thread waits.
    EXPECT_EQ(WaitForSingleObject(thread.Get(), 200), static_cast<DWORD>(WAIT_TIMEOUT));

    std::string text = MessageBoxText(box);
    EXPECT_EQ(text.rfind("Unable to create ScanFolder\r\n\r\nReason: ", 0), 0u) << text;
    EXPECT_GE(text.size(), std::string("\r\nThread closing").size());
    EXPECT_EQ(text.substr(text.size() - 16), "\r\nThread closing") << text;
    EXPECT_NE(LogText().find("FAILURE Unable to create ScanFolder Reason: "), std::string::npos);

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WaitForSingleObject(thread.Get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    GetExitCodeThread(thread.Get(), &code);
    EXPECT_EQ(code, 2u);
}

// No error gives the system's text for success, an unknown code its number.
TEST_F(Reports, ReasonsForNoErrorAndForAnUnknownCode)
{
    SetLastError(0);
    Warning("nothing wrong");
    SetLastError(0x2000FFFF);
    Warning("odd");
    std::string text = LogText();
    EXPECT_NE(text.find("WARNING: nothing wrong Reason: "), std::string::npos);
    EXPECT_EQ(CountOf(text, "Unknown error"), 1u) << text;
    EXPECT_NE(text.find("WARNING: odd Reason: Unknown error 536936447 (0x2000ffff)"), std::string::npos) << text;
}
