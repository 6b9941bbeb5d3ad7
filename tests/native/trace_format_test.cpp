// Trace log formats, natively: the thread column and the line ends. The
// banner, timestamps and file names are checked on real files under Wine.
#include <gtest/gtest.h>

#include "core/trace_format.h"

TEST(TraceFormat, ThreadIdIsRightAlignedInFourColumns)
{
    struct Case {
        unsigned long id;
        const char* expected;
    } cases[] = {{812, "T  812) "}, {7, "T    7) "}, {1234, "T 1234) "}, {123456, "T 123456) "}};
    for (const Case& c : cases) EXPECT_EQ(TraceLinePrefix("T", c.id), c.expected) << c.id;
}

TEST(TraceFormat, EveryLineFeedBecomesCrLfAsInTextMode)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"", ""}, {"a", "a"}, {"\n", "\r\n"}, {"a\nb\n", "a\r\nb\r\n"}, {"x\r\n", "x\r\r\n"}, {"\r", "\r"}};
    for (const Case& c : cases) EXPECT_EQ(ToCrLf(c.in), c.out) << c.in;
}
