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

TEST(PastSuccesses, OnlyPackChangesSinceTheTimeComeOldestFirstWithWhatTheyAnswered)
{
    std::string path = ::testing::TempDir() + "past-outcomes-" + std::to_string(getpid()) + ".db";
    {
        HistoryStore store;
        std::string reason;
        ASSERT_TRUE(store.Open(path, "2026-12-08", reason)) << reason;
        constexpr int kSuccess = 3, kFailed = 2;
        struct Row {
            const char* utc;
            int mode, kind;
            const char* statusText;
            std::string barcode;
            int curlResult;
        } rows[] = {
            {"2026-12-08T09:59:59Z", 1, kSuccess, "Success", "too old", 0},
            {"2026-12-08T10:00:00Z", 1, kSuccess, "Success", std::string("A\x1d\0B", 4), 0},
            {"2026-12-08T10:00:30Z", 0, kSuccess, "Success", "a verify", 0},
            {"2026-12-08T10:01:00Z", 1, kFailed, "Failed", "cut off", 56},
            {"2026-12-08T10:03:00Z", 2, kSuccess, "Success", "undone", 0},
        };
        for (const Row& row : rows) {
            HistoryEntry e;
            e.utcTime = row.utc;
            e.mode = row.mode;
            e.kind = row.kind;
            e.statusText = row.statusText;
            e.status = row.kind == kSuccess ? "1" : "";
            e.messageHeading = row.curlResult ? "Request failed due to RECV ERROR" : "";
            e.barcode = row.barcode;
            e.curlResult = row.curlResult;
            ASSERT_TRUE(store.Add(e, reason)) << reason;
        }
        std::vector<PastOutcome> found = OutcomesSince(store, *ParseUtcTime("2026-12-08T10:00:00Z"));
        ASSERT_EQ(found.size(), 3u);
        EXPECT_EQ(found[0].barcode, std::string("A\x1d\0B", 4));
        EXPECT_EQ(found[0].mode, 1);
        EXPECT_EQ(found[0].status, "1");
        EXPECT_EQ(found[0].when, *ParseUtcTime("2026-12-08T10:00:00Z"));
        EXPECT_EQ(found[1].barcode, "cut off");
        EXPECT_EQ(found[1].kind, kFailed);
        EXPECT_EQ(found[1].curlResult, 56);
        EXPECT_EQ(found[1].messageHeading, "Request failed due to RECV ERROR");
        EXPECT_EQ(found[2].barcode, "undone");
        EXPECT_EQ(found[2].mode, 2);
    }
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
}

}  // namespace
