// The scan history's file: schema steps from an earlier file, a damaged file
// set aside, the keeping time, and what a written row holds.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

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

}  // namespace
