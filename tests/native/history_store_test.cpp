// The scan history's file: schema steps from an earlier file, a damaged or
// crafted file set aside, the keeping time, and what a written row holds.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "history/history_reader.h"
#include "history/history_store.h"

namespace {

class HistoryStoreTest : public ::testing::Test {
protected:
    // A folder of its own: the damaged copy's name depends on the folder only.
    void SetUp() override
    {
        m_folder = ::testing::TempDir() + "history-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string Path() const { return m_folder + "/history.db"; }
    std::string Damaged() const { return DamagedHistoryName(Path(), "2026-12-08", 1); }

    static HistoryEntry Entry(const std::string& utc, const std::string& serial)
    {
        HistoryEntry e;
        e.utcTime = utc;
        e.localTime = utc.substr(0, 19);
        e.barcode = std::string("0105037015020018\x1d" "21", 19) + serial + std::string("\0\xff", 2);
        e.sn = serial;
        e.readSerial = serial;
        e.userName = "PHARMACY1";
        return e;
    }

    std::string m_folder;
};

TEST_F(HistoryStoreTest, AnEarlierFileIsBroughtUpAndKeepsItsRows)
{
    std::string reason;
    {
        HistoryStore earlier;
        ASSERT_TRUE(earlier.OpenAtVersion(Path(), 1, reason)) << reason;
        ASSERT_EQ(sqlite3_exec(earlier.Connection(),
                               "INSERT INTO outcome (local_time, utc_time, sn) VALUES ('a', '2026-01-01T00:00:00Z', 'OLD1')",
                               nullptr, nullptr, nullptr), SQLITE_OK);
    }
    HistoryStore store;
    ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
    EXPECT_EQ(store.SchemaVersion(), HistoryStore::kSchemaVersion);
    EXPECT_TRUE(store.DamagedCopy().empty());
    ASSERT_TRUE(store.Add(Entry("2026-12-08T03:00:00Z", "NEW1"), reason)) << reason;
    EXPECT_EQ(store.Count(), 2);
}

TEST_F(HistoryStoreTest, ADamagedFileIsSetAsideAndANewOneStarted)
{
    for (const std::string& junk : {std::string("not a database at all, but text"),
                                    std::string("SQLite format 3") + std::string(1, '\0') + std::string(4000, 'x')}) {
        std::remove(Damaged().c_str());
        std::ofstream(Path(), std::ios::binary) << junk;
        HistoryStore store;
        std::string reason;
        ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
        EXPECT_EQ(store.DamagedCopy(), Damaged());
        EXPECT_EQ(store.Count(), 0);
        std::ifstream aside(Damaged(), std::ios::binary);
        std::string kept((std::istreambuf_iterator<char>(aside)), std::istreambuf_iterator<char>());
        EXPECT_EQ(kept, junk);
    }
}

TEST_F(HistoryStoreTest, AFileOfANewerProgramIsLeftAlone)
{
    std::string reason;
    {
        HistoryStore newer;
        ASSERT_TRUE(newer.Open(Path(), "2026-12-08", reason));
        sqlite3_exec(newer.Connection(), "PRAGMA user_version=99", nullptr, nullptr, nullptr);
    }
    HistoryStore store;
    EXPECT_FALSE(store.Open(Path(), "2026-12-08", reason));
    EXPECT_NE(reason.find("newer"), std::string::npos);
    EXPECT_TRUE(store.DamagedCopy().empty());
}

TEST_F(HistoryStoreTest, OldRowsGoInBatchesAndNewerOnesStay)
{
    HistoryStore store;
    std::string reason;
    ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason));
    std::string cutoff = UtcCutoff(1796688000 /* 2026-12-08T00:00:00Z */, 400);
    EXPECT_EQ(cutoff, "2025-11-03T00:00:00Z");
    for (int i = 0; i < 7; ++i) ASSERT_TRUE(store.Add(Entry("2025-11-02T23:59:5" + std::to_string(i) + "Z", "S"), reason));
    ASSERT_TRUE(store.Add(Entry(cutoff, "KEPT"), reason));
    EXPECT_EQ(store.DeleteBatchBefore(cutoff, 5), 5);
    EXPECT_EQ(store.DeleteBatchBefore(cutoff, 5), 2);
    EXPECT_EQ(store.DeleteBatchBefore(cutoff, 5), 0);
    EXPECT_EQ(store.Count(), 1);
}

// A file whose header is sound but whose table's pages are not opens; the
// read or write that meets the damage marks it, and the next open sets it
// aside instead of failing on every start.
TEST_F(HistoryStoreTest, AFileDamagedInItsPagesIsSetAsideAtTheNextOpen)
{
    std::string reason;
    {
        HistoryStore store;
        ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
        for (int i = 0; i < 300; ++i)
            ASSERT_TRUE(store.Add(Entry("2026-12-08T03:00:00Z", "S" + std::to_string(i)), reason)) << reason;
    }
    {
        // Page 2 is the outcome table's root: the schema on page 1 stays readable.
        std::fstream file(Path(), std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(4096);
        file << std::string(4096, '\xA5');
    }
    {
        // The History window's reads mark it as well.
        HistoryReader reader;
        ASSERT_TRUE(reader.Open(Path(), reason, DamageMarkName(Path()))) << reason;
        EXPECT_TRUE(reader.RowsAtMost(1000, 10).empty());
        EXPECT_TRUE(std::ifstream(DamageMarkName(Path())).good());
        std::remove(DamageMarkName(Path()).c_str());
    }
    HistoryStore store;
    ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
    EXPECT_TRUE(store.DamagedCopy().empty()) << "the header is sound";
    EXPECT_FALSE(store.Add(Entry("2026-12-08T04:00:00Z", "NEW"), reason));
    EXPECT_TRUE(store.DamageReported()) << reason;
    EXPECT_TRUE(std::ifstream(DamageMarkName(Path())).good());
    store.Close();

    ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
    EXPECT_EQ(store.DamagedCopy(), Damaged());
    EXPECT_FALSE(std::ifstream(DamageMarkName(Path())).good()) << "the mark goes with the file";
    ASSERT_TRUE(store.Add(Entry("2026-12-08T04:00:00Z", "NEW"), reason)) << reason;
    EXPECT_EQ(store.Count(), 1);
    store.Close();
    ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
    EXPECT_TRUE(store.DamagedCopy().empty()) << "the new file is kept";
    EXPECT_EQ(store.Count(), 1);
}

// A history is data only: a file with code of its own in its schema, or
// without the program's own table, is not used but set aside.
TEST_F(HistoryStoreTest, ACraftedFileIsSetAsideAndItsCodeNeverRuns)
{
    const char* const crafts[] = {
        "CREATE TRIGGER wipe AFTER INSERT ON outcome BEGIN DELETE FROM outcome; END",
        "CREATE TABLE other (x); CREATE TRIGGER wipe AFTER INSERT ON other BEGIN DELETE FROM outcome; END",
        ("DROP TABLE outcome; CREATE TABLE real_outcome (id INTEGER PRIMARY KEY);"
         " CREATE VIEW outcome AS SELECT * FROM real_outcome"),
        "DROP TABLE outcome",
        "PRAGMA user_version=-3",
    };
    for (const char* craft : crafts) {
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        std::string reason;
        {
            HistoryStore store;
            ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
            ASSERT_TRUE(store.Add(Entry("2026-12-08T03:00:00Z", "OLD"), reason));
            ASSERT_EQ(sqlite3_exec(store.Connection(), craft, nullptr, nullptr, nullptr), SQLITE_OK) << craft;
        }
        HistoryStore store;
        ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << craft << ": " << reason;
        EXPECT_EQ(store.DamagedCopy(), Damaged()) << craft;
        ASSERT_TRUE(store.Add(Entry("2026-12-08T04:00:00Z", "NEW"), reason)) << craft << ": " << reason;
        EXPECT_EQ(store.Count(), 1) << craft;
    }
}

// The History window's own connection writes the Handled mark: a trigger in
// the file must not run there either.
TEST_F(HistoryStoreTest, AMarkWrittenBesideACraftedTriggerRunsNoneOfIt)
{
    std::string reason;
    {
        HistoryStore store;
        ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason)) << reason;
        for (const char* serial : {"A", "B"}) ASSERT_TRUE(store.Add(Entry("2026-12-08T03:00:00Z", serial), reason));
        ASSERT_EQ(sqlite3_exec(store.Connection(),
                               "CREATE TRIGGER wipe AFTER UPDATE ON outcome BEGIN DELETE FROM outcome; END", nullptr,
                               nullptr, nullptr), SQLITE_OK);
    }
    ASSERT_TRUE(MarkHandled(Path(), 1, true, "checked", reason)) << reason;
    HistoryReader reader;
    ASSERT_TRUE(reader.Open(Path(), reason)) << reason;
    EXPECT_EQ(reader.Count(), 2);
}

// The keeping time never reaches a date the calendar cannot write: no
// cutoff, and with it nothing deleted.
TEST_F(HistoryStoreTest, AKeepingTimeBeyondTheCalendarDeletesNothing)
{
    HistoryStore store;
    std::string reason;
    ASSERT_TRUE(store.Open(Path(), "2026-12-08", reason));
    ASSERT_TRUE(store.Add(Entry("2026-12-08T03:00:00Z", "KEPT"), reason));
    const std::time_t now = 1796688000;  // 2026-12-08T00:00:00Z
    for (long days : {999999L, 2147483647L, -2147483647L}) {
        EXPECT_EQ(UtcCutoff(now, days), "") << days;
        EXPECT_EQ(store.DeleteBatchBefore(UtcCutoff(now, days), 500), 0) << days;
    }
    EXPECT_EQ(UtcCutoff(now, 3650), "2016-12-10T00:00:00Z");
    EXPECT_EQ(store.Count(), 1);
}

}  // namespace
