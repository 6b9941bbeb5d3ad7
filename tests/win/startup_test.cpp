// Start-up of the real program under Wine: folders, the Failure path, the
// single-instance rule and the "restart" skip.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "app/instance_rules.h"
#include "support/test_support.h"

namespace {

std::string AppFolder()
{
    char roaming[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming);
    return std::string(roaming) + "\\QuorvixFMD Pellwick";
}

// A hidden top-level window of this process that looks like a running instance.
class DecoyInstance {
public:
    explicit DecoyInstance(const char* title)
        : m_window(CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                   nullptr, nullptr))
    {
    }
    ~DecoyInstance() { DestroyWindow(m_window); }
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

class Startup : public testing::Test {
protected:
    void SetUp() override { DeleteTree(AppFolder()); }
    void TearDown() override { DeleteTree(AppFolder()); }

    // Starts the program and waits until its main window is up.
    HWND StartAndWaitForMainWindow(ChildProcess& program)
    {
        return WaitForTopWindow(program.Id(), kMainWindowTitle, 30000);
    }
};

}  // namespace

// The first start makes the folders; a later one uses them as they are.
TEST_F(Startup, FirstStartCreatesFoldersAndLaterStartsKeepThem)
{
    for (bool first : {true, false}) {
        if (!first) WriteBytes(AppFolder() + "\\Downloads\\kept.bin", "kept");
        ChildProcess program(BinaryPath("Pellwick.exe"), "");
        ASSERT_NE(StartAndWaitForMainWindow(program), nullptr);
        EXPECT_TRUE(IsDirectoryPath(AppFolder() + "\\Downloads"));
        std::string log = ReadBytes(AppFolder() + "\\Logs\\trace-1.txt");
        EXPECT_EQ(CountOf(log, ") Application started\r\n"), first ? 1u : 2u) << log;
        EXPECT_NE(log.find(") AppFolder " + AppFolder() + "\r\n"), std::string::npos) << log;
    }
    EXPECT_EQ(ReadBytes(AppFolder() + "\\Downloads\\kept.bin"), "kept");
}

TEST_F(Startup, FileWhereAppFolderShouldBeLeadsToFailure)
{
    WriteBytes(AppFolder(), "not a folder");
    ChildProcess program(BinaryPath("Pellwick.exe"), "");
    HWND box = WaitForTopWindow(program.Id(), "QuorvixFMD Wedge Scanner", 30000);
    ASSERT_TRUE(box);
    std::string text = MessageBoxText(box);
    EXPECT_EQ(text.rfind("Failed to create application folder\r\n\r\nReason: ", 0), 0u) << text;
    EXPECT_EQ(program.Wait(300), static_cast<DWORD>(STILL_ACTIVE)) << "must wait for the box";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.Wait(10000), 2u);
    EXPECT_EQ(FindTopWindow(program.Id(), kMainWindowTitle), nullptr);
}

TEST_F(Startup, SecondStartBringsTheRunningInstanceForwardAndExitsWith1)
{
    DecoyInstance running("QuorvixFMD Pellwick Version 0.1");
    ASSERT_FALSE(IsWindowVisible(running.Get()));
    ChildProcess second(BinaryPath("Pellwick.exe"), "");
    EXPECT_EQ(PumpUntilExit(second, 30000), 1u);
    EXPECT_TRUE(IsWindowVisible(running.Get()));
    EXPECT_FALSE(PathExists(AppFolder())) << "nothing is made before the instance check";
}

TEST_F(Startup, RestartSkipsTheInstanceSearch)
{
    for (const char* arguments : {"restart", "restartX"}) {
        DecoyInstance running("QuorvixFMD Pellwick Version 0.1");
        ChildProcess program(BinaryPath("Pellwick.exe"), arguments);
        EXPECT_NE(StartAndWaitForMainWindow(program), nullptr) << arguments;
        EXPECT_FALSE(IsWindowVisible(running.Get())) << arguments;
    }
}
