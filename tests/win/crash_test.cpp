// Crash recovery with a real fault on a second thread: the minidump, the
// hidden restart with "restart", and the guard against a crash loop.
#include <gtest/gtest.h>

#include <cstring>

#include "support/test_support.h"

namespace {

uint32_t Read32(const std::string& bytes, size_t offset)
{
    uint32_t value = 0;
    if (offset + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

// The faulting thread's id from the dump's exception stream, or 0.
uint32_t DumpExceptionThread(const std::string& dump)
{
    const uint32_t kExceptionStream = 6;
    uint32_t streams = Read32(dump, 8), directory = Read32(dump, 12);
    for (uint32_t i = 0; i < streams; ++i) {
        size_t entry = directory + i * 12;
        if (Read32(dump, entry) == kExceptionStream) return Read32(dump, Read32(dump, entry + 8));
    }
    return 0;
}

struct CrashRun {
    DWORD exitCode;
    DWORD processes;
};

CrashRun RunProbe(const TempFolder& folder, bool crashAgain, const char* fault = "access",
                  const std::string& probePath = BinaryPath("crash_probe.exe"))
{
    ChildProcess probe(probePath, "",
                       {"PROBE_APPFOLDER=" + folder.Path(), std::string("PROBE_CRASH_AGAIN=") + (crashAgain ? "1" : "0"),
                        std::string("PROBE_FAULT=") + fault});
    EXPECT_TRUE(probe.Started());
    CrashRun run{probe.Wait(30000), 0};
    // The restarted process is in the same job: wait until every process has ended.
    EXPECT_TRUE(probe.WaitForJobEmpty(30000));
    run.processes = probe.TotalProcessesInJob();
    return run;
}

}  // namespace

// The restart names the program by its full path, quoted: the probe lies in
// a folder with blanks, where an unquoted line would start "...\\Program" or
// lose "restart". A second crash's dump replaces the first.
TEST(Crash, AFaultOrAnEscapedExceptionDumpsAndRestartsHiddenWithRestart)
{
    for (const char* fault : {"access", "exception"}) {
        SCOPED_TRACE(fault);
        TempFolder folder;
        std::string installed = folder / "Program Files\\Quorvix FMD";
        CreateDirectoryA((folder / "Program Files").c_str(), nullptr);
        CreateDirectoryA(installed.c_str(), nullptr);
        std::string probe = installed + "\\crash probe.exe";
        ASSERT_TRUE(CopyFileA(BinaryPath("crash_probe.exe").c_str(), probe.c_str(), FALSE));
        for (int crash = 0; crash < 2; ++crash) {
            CrashRun run = RunProbe(folder, false, fault, probe);
            EXPECT_EQ(run.exitCode, 1u);
            EXPECT_EQ(run.processes, 2u);
        }
        int dumps = 0;
        for (const std::string& name : ListFolder(folder.Path())) dumps += name.find(".dmp") != std::string::npos;
        EXPECT_EQ(dumps, 1);
        std::string dump = ReadBytes(folder / "crash.dmp");
        EXPECT_EQ(dump.substr(0, 4), "MDMP");
        std::vector<std::string> faults = LinesOf(ReadBytes(folder / "fault-threads.txt"));
        ASSERT_EQ(faults.size(), 2u);
        if (std::string(fault) == "access") {  // an escaped exception's dump has no exception stream
            EXPECT_EQ(std::to_string(DumpExceptionThread(dump)), faults[1]);
        }

        std::vector<std::string> starts = LinesOf(ReadBytes(folder / "starts.txt"));
        ASSERT_EQ(starts.size(), 4u);
        EXPECT_EQ(starts[0].find(' '), starts[0].size() - 1) << "a first start has an empty command line";
        EXPECT_EQ(starts[1].substr(starts[1].find(' ') + 1), "restart");
        EXPECT_EQ(LinesOf(ReadBytes(folder / "windows.txt")),
                  (std::vector<std::string>{"shown", "hidden", "shown", "hidden"}));
    }
}

TEST(Crash, RestartThatCrashesAtOnceDoesNotStartAnother)
{
    TempFolder folder;
    CrashRun run = RunProbe(folder, true);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.processes, 2u) << "the restarted process must not restart again";
    EXPECT_EQ(LinesOf(ReadBytes(folder / "starts.txt")).size(), 2u);
    EXPECT_EQ(LinesOf(ReadBytes(folder / "fault-threads.txt")).size(), 2u);
    EXPECT_EQ(ReadBytes(folder / "crash.dmp").substr(0, 4), "MDMP");
    std::string log = ReadBytes(folder / "Logs\\trace-1.txt");
    EXPECT_NE(log.find("after a crash restart: not restarting"), std::string::npos) << log;
}
