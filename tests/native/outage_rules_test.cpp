// The replay pause, the waiting order and the texts of a change found done.
#include <gtest/gtest.h>

#include "verify/outage_rules.h"

TEST(OutageRules, PauseDoublesFromOneSecondUpToAMinute)
{
    ReplayPause pause;
    std::vector<unsigned> seen;
    for (int i = 0; i < 9; ++i) seen.push_back(pause.Next());
    EXPECT_EQ(seen, (std::vector<unsigned>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
    pause.Reset();
    EXPECT_EQ(pause.Next(), 1000u);
}

TEST(OutageRules, WaitingScansGoInTheOrderTheyWereSavedNotByTheirKeys)
{
    // After a restart of Windows the counter starts again near zero: a scan
    // kept after it has a smaller key than one kept before.
    std::vector<WaitingScan> scans = {
        {"120", 2000}, {"98000000", 1000}, {"999", 1500}, {"1000", 1500}, {"12", 2500},
    };
    SortOldestFirst(scans);
    std::vector<std::string> keys;
    for (const WaitingScan& scan : scans) keys.push_back(scan.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"98000000", "999", "1000", "120", "12"}));
}

TEST(OutageRules, TheDoneBeforeTextSaysWhichChangeWasNotRepeated)
{
    EXPECT_NE(std::string(DoneBeforeText(Decommission)).find("not decommissioned a second time"), std::string::npos);
    EXPECT_NE(std::string(DoneBeforeText(Recommission)).find("not recommissioned a second time"), std::string::npos);
}
