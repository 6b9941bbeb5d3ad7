// The reader's line rules, one case per row of awkward input.
#include <gtest/gtest.h>

#include "scanner/barcode_batch.h"

namespace {

struct Reads {
    std::vector<std::string> lines;  // barcodes handed on
    bool complete;                   // the batch ended on a line end
};

Reads Feed(std::vector<std::string> chunks)
{
    BarcodeBatch batch;
    Reads reads{{}, false};
    for (const std::string& chunk : chunks) {
        batch.Append(chunk.data(), chunk.size());
        if (batch.Complete()) {
            reads.complete = true;
            for (auto& line : batch.TakeLines()) reads.lines.push_back(line);
        }
    }
    return reads;
}

}  // namespace

TEST(BarcodeBatch, LineRules)
{
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        std::vector<std::string> lines;
        bool complete;
    } cases[] = {
        {"joined across reads", {"ABC", "123\r\n"}, {"ABC123"}, true},
        {"CR LF inside", {"ABC\r\nDEF\r\n"}, {"ABC@DEF"}, true},
        {"bare CR separates", {"ABC\rDEF\r"}, {"ABC", "DEF"}, true},
        {"LF CR pair", {"ABC\n\rDEF\n"}, {"ABC@DEF"}, true},
        {"bare LF stays", {"ABC\nDEF\r"}, {"ABC\nDEF"}, true},
        {"CR CR gives an empty line", {"ABC\r\rDEF\r"}, {"ABC", "", "DEF"}, true},
        {"only CR LF", {"\r\n"}, {}, true},
        {"zero byte dropped alone", {std::string("AB\0C\r", 5)}, {"ABC"}, true},
        {"zero bytes do not glue the next scan on", {std::string("\0AB\0\0C\r\n", 8), "D\r\n"}, {"ABC", "D"}, true},
        {"a chunk of only zero bytes", {"AB", std::string(3, '\0'), "C\r"}, {"ABC"}, true},
        {"no end yet", {"ABC"}, {}, false},
        {"two batches", {"A\r\n", "B\r\n"}, {"A", "B"}, true},
    };
    for (const Case& c : cases) {
        Reads reads = Feed(c.chunks);
        EXPECT_EQ(reads.lines, c.lines) << c.name;
        EXPECT_EQ(reads.complete, c.complete) << c.name;
    }
}

TEST(BarcodeBatch, EndlessInputIsCappedAndALaterLineEndStillCounts)
{
    BarcodeBatch batch;
    std::string noise(512, 'x');
    int drops = 0;
    for (int i = 0; i < 1000; ++i) drops += !batch.Append(noise.data(), noise.size());
    EXPECT_GT(drops, 0);
    EXPECT_LE(batch.Text().size(), kMaxBatchBytes);
    EXPECT_FALSE(batch.Complete());

    std::string tail = "0104150123456782\r\n";
    batch.Append(tail.data(), tail.size());
    ASSERT_TRUE(batch.Complete()) << "the reader must not be stuck after noise";
    std::vector<std::string> lines = batch.TakeLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_LE(lines[0].size(), kMaxBatchBytes);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 16), "0104150123456782");

    std::string next = "NEXT\r\n";
    batch.Append(next.data(), next.size());
    EXPECT_EQ(batch.TakeLines(), std::vector<std::string>{"NEXT"});
}
