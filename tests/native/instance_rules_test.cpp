// The restart word and the instance-title prefix, natively.
#include <gtest/gtest.h>

#include "app/instance_rules.h"

TEST(InstanceRules, OnlyCommandLinesBeginningWithRestartSkipTheSearch)
{
    struct Case {
        const char* commandLine;
        bool restart;
    } cases[] = {{"restart", true},   {"restartX", true}, {"restart now", true}, {"", false},
                 {" restart", false}, {"Restart", false}, {"restar", false},     {"x restart", false}};
    for (const Case& c : cases) EXPECT_EQ(IsRestartCommandLine(c.commandLine), c.restart) << '"' << c.commandLine << '"';
    EXPECT_FALSE(IsRestartCommandLine(nullptr));
}

TEST(InstanceRules, TitleMustBeginWithTheWholePrefix)
{
    struct Case {
        const char* title;
        bool instance;
    } cases[] = {{"QuorvixFMD Pellwick Version 1.190416", true},
                 {"QuorvixFMD Pellwick Version ", true},
                 {"QuorvixFMD Pellwick Version", false},
                 {"QuorvixFMD Pellwick", false},
                 {"About QuorvixFMD Pellwick Version 1", false},
                 {"quorvixfmd pellwick version 1", false},
                 {"", false}};
    for (const Case& c : cases) EXPECT_EQ(IsInstanceTitle(c.title), c.instance) << '"' << c.title << '"';
    EXPECT_TRUE(IsInstanceTitle(kMainWindowTitle));
}
