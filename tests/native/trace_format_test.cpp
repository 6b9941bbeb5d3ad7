// Trace log formats, natively.
#include <gtest/gtest.h>

#include "core/trace_format.h"

TEST(TraceFormat, TimestampIsTwentyThreeCharactersWithMilliseconds)
{
    EXPECT_EQ(FormatTimestamp({2026, 1, 2, 3, 4, 5, 6}), "2026-01-02 03:04:05.006");
    EXPECT_EQ(FormatTimestamp({2026, 12, 31, 23, 59, 59, 999}).size(), 23u);
}

TEST(TraceFormat, BannerHasEmptyLineWordsAndThirtyThreeEquals)
{
    EXPECT_EQ(TraceBanner("T"), "\nLog Started - T\n" + std::string(33, '=') + "\n");
}

TEST(TraceFormat, ThreadIdIsRightAlignedInFourColumns)
{
    struct Case {
        unsigned long id;
        const char* expected;
    } cases[] = {{812, "T  812) "}, {7, "T    7) "}, {1234, "T 1234) "}, {123456, "T 123456) "}};
    for (const Case& c : cases) EXPECT_EQ(TraceLinePrefix("T", c.id), c.expected) << c.id;
}

TEST(TraceFormat, FileNamesUseBackslashAndNumber)
{
    EXPECT_EQ(TraceFileName("C:\\A\\Logs", 9), "C:\\A\\Logs\\trace-9.txt");
}

TEST(TraceFormat, EveryLineFeedBecomesCrLfAsInTextMode)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"", ""}, {"a", "a"}, {"\n", "\r\n"}, {"a\nb\n", "a\r\nb\r\n"}, {"x\r\n", "x\r\r\n"}, {"\r", "\r"}};
    for (const Case& c : cases) EXPECT_EQ(ToCrLf(c.in), c.out) << c.in;
}
