// The history's CSV: awkward fields read back by Python's csv module as a
// spreadsheet would take them, the dates the export accepts, and its words.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "history/history_csv.h"
#include "history/history_store.h"

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(HistoryCsv, AwkwardFieldsComeBackThroughPythonsCsvReader)
{
    std::string base = ::testing::TempDir() + "history-csv-" + std::to_string(::getpid());
    HistoryEntry e;
    e.localTime = "2026-12-08T04:00:00";
    e.utcTime = "2026-12-08T03:00:00Z";
    e.barcode = std::string("0104150123456782\x1d" "21A\"B,C", 24);
    e.messageHeading = "=HYPERLINK(\"x\")";
    e.messageBody = "line one\r\nline \"two\", with comma";
    e.status = "-1+2";
    e.gtin = "@SUM(A1)";
    e.lot = std::string("L\xe9\x01", 3);  // Latin-1 e acute and a control byte
    {
        HistoryStore store;
        std::string reason;
        ASSERT_TRUE(store.Open(base + ".db", "2026-12-08", reason)) << reason;
        ASSERT_TRUE(store.Add(e, reason)) << reason;
        e.localTime = "2026-12-09T00:00:00";
        ASSERT_TRUE(store.Add(e, reason)) << reason;
    }
    std::string reason;
    long long rows = 0;
    ASSERT_EQ(ExportHistoryCsv(base + ".db", base + ".csv", "2026-12-08", "2026-12-08", reason, rows),
              ExportResult::Written) << reason;
    EXPECT_EQ(rows, 1) << "the end date includes its whole day and no more";
    EXPECT_EQ(ReadFile(base + ".csv").substr(0, 3), "\xEF\xBB\xBF");
    std::string script = "import csv,sys; r=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline='')));"
                         "h=r[0]; v=dict(zip(h,r[1])); out=open(sys.argv[2],'w',encoding='utf-8');"
                         "[out.write(k+'='+v[k]+'|') for k in ('Barcode','Message heading','Message body','Status',"
                         "'GTIN','Lot','UTC time')]; out.write(str(len(r)))";
    ASSERT_EQ(std::system(("python3 -c \"" + script + "\" " + base + ".csv " + base + ".txt").c_str()), 0);
    EXPECT_EQ(ReadFile(base + ".txt"),
              "Barcode=0104150123456782\\u001D21A\\\"B,C|Message heading='=HYPERLINK(\"x\")|"
              "Message body=line one\r\nline \"two\", with comma|Status='-1+2|GTIN='@SUM(A1)|"
              "Lot=L\xC3\xA9&#1;|UTC time=2026-12-08T03:00:00Z|2");
    for (const char* extension : {".db", ".db-wal", ".db-shm", ".csv", ".txt"}) std::remove((base + extension).c_str());
}

TEST(HistoryCsv, ExportRefusesAMissingHistoryAndAnUnwritableFile)
{
    std::string reason;
    long long rows = 0;
    EXPECT_EQ(ExportHistoryCsv("/nonexistent/history.db", "/tmp/x.csv", "", "", reason, rows), ExportResult::NoHistory);
    std::string db = ::testing::TempDir() + "history-csv-empty.db";
    {
        HistoryStore store;
        ASSERT_TRUE(store.Open(db, "2026-12-08", reason));
    }
    EXPECT_EQ(ExportHistoryCsv(db, "/nonexistent/folder/out.csv", "", "", reason, rows), ExportResult::Unwritable);
    EXPECT_NE(reason.find("cannot be written"), std::string::npos);
    for (const char* extension : {"", "-wal", "-shm"}) std::remove((db + extension).c_str());
}

TEST(HistoryCsv, OnlyRealCalendarDatesAreDates)
{
    const struct { const char* text; bool date; } cases[] = {
        {"2026-12-08", true}, {"2024-02-29", true},  {"2026-02-29", false}, {"2100-02-29", false},
        {"2026-13-01", false}, {"2026-04-31", false}, {"2026-1-08", false},  {"20261208", false},
        {"2026-12-08x", false}, {"", false},          {"2026-12-0a", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsIsoDate(c.text), c.date) << c.text;
}

TEST(HistoryCsv, CommandLineWordsKeepQuotedSpaces)
{
    EXPECT_EQ(CommandLineWords("export-history \"C:\\My Files\\h.csv\"  2026-01-01\t2026-02-01"),
              (std::vector<std::string>{"export-history", "C:\\My Files\\h.csv", "2026-01-01", "2026-02-01"}));
    EXPECT_EQ(CommandLineWords("  "), std::vector<std::string>{});
    EXPECT_EQ(CommandLineWords("a \"\""), (std::vector<std::string>{"a", ""}));
}

}  // namespace
