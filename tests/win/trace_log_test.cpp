// The trace log on real files under Wine: exact bytes, rotation, concurrency.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <thread>

#include "core/trace_log.h"
#include "support/test_support.h"

namespace {

const char kStamp[] = R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3})";

std::string LogFile(const TempFolder& folder, int n)
{
    return folder / ("Logs\\trace-" + std::to_string(n) + ".txt");
}

std::string Banner() { return std::string("\r\nLog Started - ") + kStamp + "\r\n={33}\r\n"; }

std::string LineOf(const std::string& message)
{
    return std::string(kStamp) + " " + "[ \\d]{3}\\d+\\) " + message + "\r\n";
}

}  // namespace

// Lines before the folder is known vanish; the first line after it writes
// the banner; the thread id sits right-aligned in four columns; LF becomes
// CR LF as in a text-mode file, so a CR LF in the text becomes CR CR LF.
TEST(TraceLog, FirstLineWritesBannerThenLinesWithCrLfAndTheThreadColumn)
{
    TempFolder folder;
    TraceLog log;
    log.Log("lost");
    EXPECT_TRUE(ListFolder(folder.Path()).empty());
    log.SetAppFolder(folder.Path());
    log.Log("hello %s %d", "world", 42);
    log.WriteLine("first\nsecond\r\nthird");
    std::string bytes = ReadBytes(LogFile(folder, 1));
    EXPECT_TRUE(std::regex_match(
        bytes, std::regex(Banner() + LineOf("hello world 42") + LineOf("first\r\nsecond\r\r\nthird"))))
        << bytes;
    std::string id = std::to_string(GetCurrentThreadId());
    std::string padded = std::string(id.size() < 4 ? 4 - id.size() : 0, ' ') + id + ") hello";
    EXPECT_NE(bytes.find(" " + padded), std::string::npos) << bytes;
}

// The log counts its own lines instead of asking the file each time, so the
// file is brought to exactly 1 MiB by lines of this log.
TEST(TraceLog, ExactlyOneMebibyteStaysCurrentLargerRotates)
{
    TempFolder folder;
    TraceLog log;
    log.SetAppFolder(folder.Path());
    log.Log("opened");
    auto size = [&] { return ReadBytes(LogFile(folder, 1)).size(); };
    const std::string message(100, 'x');
    size_t before = size();
    log.Log("%s", message.c_str());
    size_t overhead = size() - before - message.size();  // timestamp, thread and CR LF
    const size_t mebibyte = 1048576;
    // Whole lines up to where one last line of at least one character fits.
    size_t lines = (mebibyte - size() - overhead - 1) / (overhead + message.size());
    for (size_t i = 0; i < lines; ++i) log.Log("%s", message.c_str());
    log.Log("%s", std::string(mebibyte - size() - overhead, 'y').c_str());
    ASSERT_EQ(size(), mebibyte);

    log.Log("same file");
    EXPECT_FALSE(PathExists(LogFile(folder, 2)));
    std::string first = ReadBytes(LogFile(folder, 1));
    EXPECT_GT(first.size(), 1048576u);
    EXPECT_NE(first.find("same file"), std::string::npos);

    log.Log("fresh file");
    std::string current = ReadBytes(LogFile(folder, 1));
    EXPECT_TRUE(std::regex_match(current, std::regex(Banner() + LineOf("fresh file")))) << current;
    EXPECT_TRUE(ReadBytes(LogFile(folder, 2)) == first) << "the old current file moved to trace-2.txt whole";
}

// Files found at the first line: an oversized current file is rotated first
// (exactly 1 MiB is too, as the banner written at the opening passes it),
// nine files are kept, and a gap moves up by one.
TEST(TraceLog, RotationAtTheFirstLineKeepsNineFilesAndMovesGapsUp)
{
    const std::string full(1048576, 'x');
    const struct {
        std::map<int, std::string> before, after;  // after: what each file starts with
        size_t files;
    } cases[] = {
        {{{1, full}}, {{2, full}}, 2},
        {{{1, full}, {2, "two"}, {4, "four"}}, {{2, full}, {3, "two"}, {5, "four"}}, 4},
        {{{1, full}, {2, "file 2"}, {3, "file 3"}, {4, "file 4"}, {5, "file 5"}, {6, "file 6"}, {7, "file 7"},
          {8, "file 8"}, {9, "file 9"}},
         {{2, full}, {3, "file 2"}, {4, "file 3"}, {5, "file 4"}, {6, "file 5"}, {7, "file 6"}, {8, "file 7"},
          {9, "file 8"}},
         9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before.size());
        TempFolder folder;
        CreateDirectoryA((folder / "Logs").c_str(), nullptr);
        for (const auto& [n, bytes] : c.before) WriteBytes(LogFile(folder, n), bytes);
        TraceLog log;
        log.SetAppFolder(folder.Path());
        log.Log("first line");
        EXPECT_EQ(ListFolder(folder / "Logs").size(), c.files);
        for (const auto& [n, start] : c.after) EXPECT_EQ(ReadBytes(LogFile(folder, n)).rfind(start, 0), 0u) << n;
        std::string current = ReadBytes(LogFile(folder, 1));
        EXPECT_TRUE(std::regex_match(current, std::regex(Banner() + LineOf("first line")))) << current;
    }
}

TEST(TraceLog, ConcurrentThreadsLeaveEveryLineWhole)
{
    TempFolder folder;
    TraceLog log;
    log.SetAppFolder(folder.Path());
    const int kThreads = 4, kLines = 2500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kLines; ++i) log.Log("thread %d line %d %s", t, i, "payload-payload-payload");
        });
    for (auto& thread : threads) thread.join();

    std::string bytes = ReadBytes(LogFile(folder, 1));
    std::regex line(LineOf(R"(thread (\d) line (\d+) payload-payload-payload)").substr(0, std::string::npos));
    std::vector<int> next(kThreads, 0);
    size_t start = bytes.find("=\r\n") + 3, count = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        std::string text = bytes.substr(start, end + 2 - start);
        std::smatch match;
        ASSERT_TRUE(std::regex_match(text, match, line)) << "broken line: " << text;
        int thread = std::stoi(match[1]), index = std::stoi(match[2]);
        EXPECT_EQ(index, next[thread]++) << "out of order in thread " << thread;
        start = end + 2;
        ++count;
    }
    EXPECT_EQ(count, static_cast<size_t>(kThreads * kLines));
}

TEST(TraceLog, ALogFolderThatCannotBeCreatedLosesLinesUntilItCan)
{
    TempFolder folder;
    WriteBytes(folder / "Logs", "a file in the way");
    TraceLog log;
    log.SetAppFolder(folder.Path());
    log.Log("nowhere to go");
    EXPECT_EQ(ReadBytes(folder / "Logs"), "a file in the way");
    DeleteFileA((folder / "Logs").c_str());
    log.Log("written");
    std::string bytes = ReadBytes(LogFile(folder, 1));
    EXPECT_NE(bytes.find("written"), std::string::npos);
    EXPECT_EQ(bytes.find("nowhere"), std::string::npos);
}

// A file another program holds so that it cannot be moved stays current:
// one banner, one warning, every line kept, and no attempt at every line.
TEST(TraceLog, AFileThatCannotBeRotatedStaysCurrentWithOneWarning)
{
    TempFolder folder;
    CreateDirectoryA((folder / "Logs").c_str(), nullptr);
    WriteBytes(LogFile(folder, 1), std::string(1048577, 'x'));
    HANDLE held = CreateFileA(LogFile(folder, 1).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);  // no delete sharing: it cannot move
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    TraceLog log;
    log.SetAppFolder(folder.Path());
    for (int i = 0; i < 5; ++i) log.Log("line %d", i);
    CloseHandle(held);
    std::string bytes = ReadBytes(LogFile(folder, 1));
    EXPECT_EQ(CountOf(bytes, "Log Started"), 1u);
    EXPECT_EQ(CountOf(bytes, "could not be rotated"), 1u);
    EXPECT_EQ(CountOf(bytes, ") line "), 5u);
    EXPECT_FALSE(PathExists(LogFile(folder, 2)));

    log.Log("%s", std::string(70 * 1024, 'y').c_str());  // past the retry stretch, the file free again
    log.Log("fresh");
    EXPECT_TRUE(PathExists(LogFile(folder, 2)));
    EXPECT_NE(ReadBytes(LogFile(folder, 1)).find("fresh"), std::string::npos);
}

namespace {

// A log whose file cannot be opened again once it has been, while `failing`.
class ReopenFailingLog : public TraceLog {
public:
    bool failing = true;

protected:
    HANDLE OpenForAppend(const std::string& path) override
    {
        return ++m_opens > 1 && failing ? INVALID_HANDLE_VALUE : TraceLog::OpenForAppend(path);
    }

private:
    int m_opens = 0;
};

}  // namespace

// The rotation moves the full file away and then cannot open a new one:
// lines are lost, nothing else is moved, and a new file starts once it can.
TEST(TraceLog, AFailedReopenAfterRotationLosesLinesUntilAFileCanBeOpened)
{
    TempFolder folder;
    CreateDirectoryA((folder / "Logs").c_str(), nullptr);
    WriteBytes(LogFile(folder, 1), std::string(1048577, 'x'));
    ReopenFailingLog log;
    log.SetAppFolder(folder.Path());
    for (int i = 0; i < 3; ++i) log.Log("lost %d", i);
    EXPECT_FALSE(PathExists(LogFile(folder, 1)));
    std::string rotated = ReadBytes(LogFile(folder, 2));
    EXPECT_EQ(rotated.find(std::string(1048577, 'x')), 0u);
    EXPECT_EQ(rotated.find("lost"), std::string::npos);

    log.failing = false;
    log.Log("back");
    std::string current = ReadBytes(LogFile(folder, 1));
    EXPECT_TRUE(std::regex_match(current, std::regex(Banner() + LineOf("back")))) << current;
    EXPECT_EQ(ReadBytes(LogFile(folder, 2)).size(), rotated.size());
    EXPECT_FALSE(PathExists(LogFile(folder, 3)));
}
