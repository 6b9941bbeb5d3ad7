// The command-line export of the real program under Wine: beside a running
// instance, with its messages and exit codes, from a real history file.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>

#include "history/history_store.h"
#include "support/test_support.h"

namespace {

std::string AppFolder()
{
    char roaming[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming);
    return std::string(roaming) + "\\QuorvixFMD Pellwick";
}

// Runs the program with its output in a file; its exit code, or STILL_ACTIVE.
DWORD RunProgram(const std::string& arguments, const std::string& outputPath)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    FileHandle output(CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output.Get();
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + BinaryPath("Pellwick.exe") + "\" " + arguments;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return STILL_ACTIVE;
    KernelHandle process(info.hProcess), thread(info.hThread);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.Get(), 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.Get(), &code);
    return code;
}

class ExportHistory : public testing::Test {
protected:
    void SetUp() override { DeleteTree(AppFolder()); }
    void TearDown() override { DeleteTree(AppFolder()); }
    // The program's history with one scan of 2026-12-08.
    static void WriteOneScanHistory()
    {
        HistoryStore store;
        std::string reason;
        ASSERT_TRUE(CreateDirectoryA(AppFolder().c_str(), nullptr) &&
                    CreateDirectoryA((AppFolder() + "\\History").c_str(), nullptr));
        ASSERT_TRUE(store.Open(AppFolder() + "\\History\\history.db", "2026-12-08", reason)) << reason;
        HistoryEntry entry;
        entry.localTime = "2026-12-08T10:00:00";
        entry.utcTime = "2026-12-08T09:00:00Z";
        entry.sn = "SER1";
        ASSERT_TRUE(store.Add(entry, reason)) << reason;
    }
    TempFolder folder;
};

}  // namespace

TEST_F(ExportHistory, WritesBesideARunningInstanceAndSaysWhyWhenItCannot)
{
    // A window that looks like the counter's running instance: a refused
    // start would end with 1 and no message.
    HWND running = CreateWindowExA(0, "STATIC", "QuorvixFMD Pellwick Version 0.1", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                   100, nullptr, nullptr, nullptr, nullptr);
    std::string out = folder / "out.txt", csv = folder / "scans.csv";
    EXPECT_EQ(RunProgram("export-history \"" + csv + "\"", out), 2u);
    EXPECT_EQ(ReadBytes(out), "Export failed: there is no scan history at \"" + AppFolder() +
                                  "\\History\\history.db\"\r\n");
    ASSERT_NO_FATAL_FAILURE(WriteOneScanHistory());
    const struct { std::string arguments; DWORD code; std::string message; } cases[] = {
        {"export-history \"" + csv + "\" 2026-12-01", 0, "Exported 1 scans to \"" + csv + "\""},
        {"export-history \"" + csv + "\" 2026-12-09 2026-12-31", 0, "Exported 0 scans to \"" + csv + "\""},
        {"export-history \"" + csv + "\" 2026-02-30", 1,
         "Export failed: \"2026-02-30\" is not a date; write it as YYYY-MM-DD"},
        {"export-history \"" + csv + "\" \"2026- 1-08\"", 1,
         "Export failed: \"2026- 1-08\" is not a date; write it as YYYY-MM-DD"},
        {"export-history \"" + csv + "\" 2026-01-01 2026-01-+1", 1,
         "Export failed: \"2026-01-+1\" is not a date; write it as YYYY-MM-DD"},
        {"export-history NUL", 4, "Export failed: \"\\\\.\\NUL\" names a device, not a file"},
        {"export-history \"" + csv + "\" 2026-12-09 2026-12-01", 1,
         "Export failed: the end date 2026-12-01 comes before the start date 2026-12-09"},
        {"export-history", 1,
         "Usage: Pellwick.exe export-history <file.csv> [<from YYYY-MM-DD> [<to YYYY-MM-DD>]]"},
        {"export-history \"" + (folder / "no folder\\x.csv") + "\"", 4,
         "Export failed: the file \"" + (folder / "no folder\\x.csv") + "\" cannot be written"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunProgram(c.arguments, out), c.code) << c.arguments;
        EXPECT_EQ(ReadBytes(out), c.message + "\r\n") << c.arguments;
    }
    std::string written = ReadBytes(csv);
    EXPECT_EQ(written.rfind("\xEF\xBB\xBFLocal time,UTC time,", 0), 0u) << written;
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 1) << "the last run's range held no scan";
    DestroyWindow(running);
}

// A scheduled task runs in a folder of its own choosing: the message names
// the file as written, whole. A file held by another program keeps its old
// export when the new one cannot take its place, and the pharmacist's own
// "<name>.tmp" is never touched.
TEST_F(ExportHistory, NamesTheWholePathAndNeverLosesTheOldExport)
{
    ASSERT_NO_FATAL_FAILURE(WriteOneScanHistory());
    std::string out = folder / "out.txt", csv = folder / "scans.csv";
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    DWORD code = RunProgram("export-history scans.csv", out);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadBytes(out), "Exported 1 scans to \"" + csv + "\"\r\n");

    WriteBytes(csv, "the old export");
    WriteBytes(csv + ".tmp", "the pharmacist's own file");
    // Open as a viewer may hold it: deleting it succeeds but takes effect
    // only when the handle closes, and nothing can be renamed over it.
    FileHandle viewer(CreateFileA(csv.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(viewer.Valid());
    code = RunProgram("export-history \"" + csv + "\"", out);
    viewer = FileHandle();
    std::string kept = ReadBytes(csv);
    if (code == 0) EXPECT_EQ(kept.rfind("\xEF\xBB\xBFLocal time,", 0), 0u) << kept;
    else EXPECT_EQ(kept, "the old export") << ReadBytes(out);
    EXPECT_EQ(ReadBytes(csv + ".tmp"), "the pharmacist's own file");
    EXPECT_EQ(ListFolder(folder.Path()), (std::vector<std::string>{"out.txt", "scans.csv", "scans.csv.tmp"}));
}

// The activity report from the command line, beside a running instance: its
// page read back, and its refusals with their exit codes.
TEST_F(ExportHistory, TheActivityReportIsWrittenBesideARunningInstance)
{
    HWND running = CreateWindowExA(0, "STATIC", "QuorvixFMD Pellwick Version 0.1", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                   100, nullptr, nullptr, nullptr, nullptr);
    std::string out = folder / "out.txt", html = folder / "activity.html";
    EXPECT_EQ(RunProgram("report \"" + html + "\"", out), 2u);
    EXPECT_EQ(ReadBytes(out), "Report failed: there is no scan history at \"" + AppFolder() +
                                  "\\History\\history.db\"\r\n");
    ASSERT_NO_FATAL_FAILURE(WriteOneScanHistory());
    const struct { std::string arguments; DWORD code; std::string message; } cases[] = {
        {"report \"" + html + "\" 2026-12-09", 0, "Activity report of 0 scans written to \"" + html + "\""},
        {"report \"" + html + "\" 2026-12-01 2026-12-08", 0, "Activity report of 1 scans written to \"" + html + "\""},
        {"report \"" + html + "\" 2026-13-01", 1,
         "Report failed: \"2026-13-01\" is not a date; write it as YYYY-MM-DD"},
        {"report \"" + html + "\" 2026-12-09 2026-12-01", 1,
         "Report failed: the end date 2026-12-01 comes before the start date 2026-12-09"},
        {"report", 1, "Usage: Pellwick.exe report <file.html> [<from YYYY-MM-DD> [<to YYYY-MM-DD>]]"},
        {"report NUL", 4, "Report failed: \"\\\\.\\NUL\" names a device, not a file"},
        {"report \"" + (folder / "no folder\\x.html") + "\"", 4,
         "Report failed: the file \"" + (folder / "no folder\\x.html") + "\" cannot be written"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunProgram(c.arguments, out), c.code) << c.arguments;
        EXPECT_EQ(ReadBytes(out), c.message + "\r\n") << c.arguments;
    }
    // The page of the last good run: 8 December.
    std::string page = ReadBytes(html);
    for (const char* text :
         {"<svg", "2026-12-01 - 2026-12-08", "2026-12-08", "Alerts of the period", "Deliveries checked"})
        EXPECT_NE(page.find(text), std::string::npos) << text;
    EXPECT_EQ(page.find("s3cret"), std::string::npos) << "never the password";
    DestroyWindow(running);
}
