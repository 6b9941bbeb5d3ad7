// What the double-scan guard takes from the history across a restart.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include "history/past_successes.h"

namespace {

TEST(PastSuccesses, UtcTimesAreReadOnlyWhenWhole)
{
    struct Case {
        const char* text;
        std::optional<std::time_t> expected;
    } cases[] = {
        {"2026-12-08T00:00:00Z", 1796688000},
        {"1970-01-01T00:00:00Z", 0},
        {"2028-02-29T23:59:59Z", 1835481599},
        {"2026-12-08T00:00:00", std::nullopt},
        {"2026-12-08T00:00:00Z ", std::nullopt},
        {"2026-13-08T00:00:00Z", std::nullopt},
        {"2026-12-08 00:00:00Z", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseUtcTime(c.text), c.expected) << c.text;
}

TEST(PastSuccesses, OnlySuccessesSinceTheTimeComeOldestFirst)
{
    std::string path = ::testing::TempDir() + "past-successes-" +
                       std::to_string(getpid()) + ".db";
    {
        HistoryStore store;
        std::string reason;
        ASSERT_TRUE(store.Open(path, "2026-12-08", reason)) << reason;
        constexpr int kSuccess = 3, kFailed = 2;
        struct Row {
            const char* utc;
            int mode, kind;
            const char* status;
            std::string barcode;
        } rows[] = {
            {"2026-12-08T09:59:59Z", 1, kSuccess, "Success", "too old"},
            {"2026-12-08T10:00:00Z", 1, kSuccess, "Success", std::string("A\x1d\0B", 4)},
            {"2026-12-08T10:01:00Z", 1, kFailed, "Failed", "failed"},
            {"2026-12-08T10:02:00Z", 1, kSuccess, "Done before", "only a repeat"},
            {"2026-12-08T10:03:00Z", 2, kSuccess, "Success", "undone"},
        };
        for (const Row& row : rows) {
            HistoryEntry e;
            e.utcTime = row.utc;
            e.mode = row.mode;
            e.kind = row.kind;
            e.statusText = row.status;
            e.barcode = row.barcode;
            ASSERT_TRUE(store.Add(e, reason)) << reason;
        }
        std::vector<PastSuccess> found = SuccessesSince(store, *ParseUtcTime("2026-12-08T10:00:00Z"), kSuccess);
        ASSERT_EQ(found.size(), 2u);
        EXPECT_EQ(found[0].barcode, std::string("A\x1d\0B", 4));
        EXPECT_EQ(found[0].mode, 1);
        EXPECT_EQ(found[0].when, *ParseUtcTime("2026-12-08T10:00:00Z"));
        EXPECT_EQ(found[1].barcode, "undone");
        EXPECT_EQ(found[1].mode, 2);
    }
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
}

}  // namespace
