// Whole-file reads and writes and unique names, on real files under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>
#include <vector>

#include "framework/file_ops.h"
#include "support/test_support.h"

TEST(WriteWholeFile, WritesEmptyAndReplacesExistingFiles)
{
    TempFolder folder;
    std::string path = folder / "a.dat";
    EXPECT_TRUE(WriteWholeFile(path, ""));
    EXPECT_TRUE(PathExists(path));
    EXPECT_EQ(ReadBytes(path), "");

    EXPECT_TRUE(WriteWholeFile(path, "1\x1D" "0104150123456782"));
    EXPECT_TRUE(WriteWholeFile(path, "2second"));
    EXPECT_EQ(ReadBytes(path), "2second");
    EXPECT_FALSE(PathExists(path + ".tmp"));
}

TEST(WriteWholeFile, TargetThatCannotBeDeletedStaysUnchangedAndTheCallFails)
{
    TempFolder folder;
    std::string path = folder / "held.dat";
    WriteBytes(path, "old content");
    FileHandle holder(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_FALSE(WriteWholeFile(path, "new content"));
    EXPECT_NE(GetLastError(), 0u) << "the failing call's error code is kept";
    holder.Reset();
    EXPECT_EQ(ReadBytes(path), "old content");
    EXPECT_FALSE(PathExists(path + ".tmp"));
}

namespace {

// A fresh folder under /tmp holding `name`, a symbolic link to `device`;
// Wine lists such a link but gives it no attributes and cannot delete it.
class DeviceLinkFolder {
public:
    DeviceLinkFolder(const std::string& name, const char* device)
        : m_unix("/tmp/pellwick-device-" + std::to_string(GetCurrentProcessId()) + "-" + (device + 5)),
          m_windows("Z:" + m_unix)
    {
        for (char& c : m_windows) c = c == '/' ? '\\' : c;
        CreateDirectoryA(m_windows.c_str(), nullptr);
        RunUnix("Z:\\usr\\bin\\ln -s " + std::string(device) + " " + m_unix + "/" + name,
                [&] { return ListFolder(m_windows) == std::vector<std::string>{name}; });
    }
    ~DeviceLinkFolder()
    {
        RunUnix("Z:\\usr\\bin\\rm -rf " + m_unix, [&] { return !PathExists(m_windows); });
    }
    DeviceLinkFolder(const DeviceLinkFolder&) = delete;
    DeviceLinkFolder& operator=(const DeviceLinkFolder&) = delete;
    std::string operator/(const std::string& name) const { return m_windows + "\\" + name; }
    std::vector<std::string> Names() const { return ListFolder(m_windows); }

private:
    std::string m_unix;
    std::string m_windows;
};

}  // namespace

// The temporary file's name leads to a device: /dev/full refuses the write
// and /dev/null the flush. (Wine cannot delete such a link afterwards, so
// only the final name is checked here.)
TEST(WriteWholeFile, AWriteOrFlushThatFailsFailsWithTheSystemErrorAndNoFile)
{
    for (auto [device, error] : {std::pair<const char*, DWORD>{"/dev/full", ERROR_DISK_FULL},
                                 {"/dev/null", ERROR_INVALID_PARAMETER}}) {
        SCOPED_TRACE(device);
        DeviceLinkFolder folder("scan.dat.tmp", device);
        ASSERT_EQ(folder.Names(), std::vector<std::string>{"scan.dat.tmp"});
        EXPECT_FALSE(WriteWholeFile(folder / "scan.dat", "1" "0104150123456782" "21DEVICE"));
        EXPECT_EQ(GetLastError(), error);
        EXPECT_FALSE(PathExists(folder / "scan.dat")) << "no spool file may appear";
    }
}

namespace {

bool ReadBackFails(const std::string&, std::string&) { return false; }
bool ReadBackDiffers(const std::string&, std::string& text)
{
    text = "1" "0104150123456782" "21DEVICF";
    return true;
}

std::string g_inFlight;  // the temporary file's bytes when it was read back
bool ReadBackRecording(const std::string& path, std::string& text)
{
    ReadFileBytes(path, g_inFlight);
    return ReadWholeFile(path, text);
}

}  // namespace

// A kill before the rename leaves the temporary file: finished at start when
// it holds its whole text, never when it was cut off.
TEST(FinishTemporaryFile, FinishesOnlyATemporaryFileThatHoldsItsWholeText)
{
    TempFolder folder;
    std::string path = folder / "k.dat", temp = path + ".tmp";
    ASSERT_TRUE(WriteWholeFileCheckedBy(ReadBackRecording, path, "1ABC"));
    EXPECT_EQ(g_inFlight, std::string("1ABC\0", 5)) << "marked complete before the rename";
    EXPECT_EQ(ReadBytes(path), "1ABC") << "and the mark is gone after it";
    struct {
        const char* name;
        std::string bytes;
        bool finished;
    } cases[] = {{"marked", std::string("1ABC\0", 5), true},
                 {"cut before the mark", "1AB", false},
                 {"empty", "", false},
                 {"zeros after a cut", std::string("1A\0\0", 4), false}};
    for (const auto& c : cases) {
        DeleteFileA(path.c_str());
        WriteBytes(temp, c.bytes);
        std::string text;
        EXPECT_EQ(FinishTemporaryFile(temp, text), c.finished) << c.name;
        EXPECT_EQ(ReadBytes(path), c.finished ? "1ABC" : "") << c.name;
        EXPECT_EQ(text, std::string(c.bytes.c_str())) << c.name;
        EXPECT_EQ(PathExists(temp), !c.finished) << c.name;
        DeleteFileA(temp.c_str());
    }
}

// Storage that loses or alters what was written: the old file stays, the
// temporary file goes, and the call fails with a write fault.
TEST(WriteWholeFile, AReadBackThatFailsOrDiffersKeepsTheOldFile)
{
    for (ReadBackFunction readBack : {ReadBackFails, ReadBackDiffers}) {
        TempFolder folder;
        std::string path = folder / "scan.dat";
        WriteBytes(path, "old content");
        EXPECT_FALSE(WriteWholeFileCheckedBy(readBack, path, "1" "0104150123456782" "21DEVICE"));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
        EXPECT_EQ(ReadBytes(path), "old content");
        EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"scan.dat"});
    }
}

TEST(ReadWholeFile, AppendsAndCutsEachChunkAtAZeroByte)
{
    TempFolder folder;
    std::string path = folder / "z.dat";
    std::string bytes = std::string("AB\0CD", 5) + std::string(1024 - 5, 'x') + "tail";
    WriteBytes(path, bytes);
    std::string text = "prefix:";
    EXPECT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "prefix:ABtail") << "the first chunk ends at its zero byte";

    std::string missing = "kept?";
    EXPECT_FALSE(ReadWholeFile(folder / "missing.dat", missing));
    EXPECT_EQ(missing, "");
}

// After a restart of Windows the counter starts again near zero: a new
// scan's key must not be one still waiting or held from before.
TEST(MakeUniqueFileName, AKeyIsFreeInEveryFolderAScanCanMoveTo)
{
    TempFolder scanned;
    std::string waiting = scanned / "Waiting", held = scanned / "Held";
    ASSERT_TRUE(CreateDirectoryA(waiting.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(held.c_str(), nullptr));
    const long long reading = 950000000000000000;
    WriteBytes(waiting + "\\950000000000000001.dat", "");
    WriteBytes(held + "\\950000000000000002.dat", "");
    EXPECT_EQ(MakeUniqueFileNameAt(reading, {scanned.Path(), waiting, held}, "", "dat"), scanned / "950000000000000003");
}

TEST(MakeUniqueFileName, SkipsNamesThatExistAndHasNoExtension)
{
    TempFolder folder;
    // Far above any counter reading this process has turned into a name.
    const long long reading = 900000000000000000;
    WriteBytes(folder / "900000000000000001.dat", "");
    WriteBytes(folder / "900000000000000002.dat", "");
    WriteBytes(folder / "900000000000000003.post", "");  // another extension does not count
    EXPECT_EQ(MakeUniqueFileNameAt(reading, folder.Path(), "", "dat"), folder / "900000000000000003");
    EXPECT_EQ(MakeUniqueFileNameAt(reading, folder.Path(), "p", "dat"), folder / "p900000000000000004")
        << "never a number handed out before, even for an equal reading";

    std::string name = MakeUniqueFileName(folder.Path(), "", "dat");
    std::string digits = name.substr(folder.Path().size() + 1);
    EXPECT_GT(digits, "900000000000000004");
    EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << name;
}

TEST(MakeUniqueFileName, ThreadsReadingTheSameCounterValueGetDifferentNames)
{
    TempFolder folder;
    const long long reading = 910000000000000000;  // what every thread reads
    constexpr int kThreads = 8, kEach = 200;
    std::vector<std::string> names[kThreads];
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) names[t].push_back(MakeUniqueFileNameAt(reading, folder.Path(), "", "dat"));
        });
    for (std::thread& thread : threads) thread.join();
    std::set<std::string> distinct;
    for (const auto& list : names) {
        distinct.insert(list.begin(), list.end());
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end())) << "each thread's names in creation order";
    }
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kThreads * kEach));
}
