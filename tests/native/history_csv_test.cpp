// The history's CSV: fields read back by Python's csv module as spreadsheets
// split them (on commas, semicolons or tabs), the code page and UTF-8 texts,
// the file replaced in one step, the dates the export accepts, and its words.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "history/csv_target_file.h"
#include "history/history_csv.h"
#include "history/history_store.h"
#include "posix_csv_files.h"

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// A folder of its own per test, removed with everything in it.
class HistoryCsv : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = ::testing::TempDir() + "history-csv-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string Db() const { return m_folder + "history.db"; }
    std::string Csv() const { return m_folder + "scans.csv"; }

    void Store(const std::vector<HistoryEntry>& entries)
    {
        HistoryStore store;
        std::string reason;
        ASSERT_TRUE(store.Open(Db(), "2026-12-08", reason)) << reason;
        for (const HistoryEntry& e : entries) ASSERT_TRUE(store.Add(e, reason)) << reason;
    }

    // Runs `script` (Python) with the CSV's path and returns what it printed.
    std::string Python(const std::string& script)
    {
        WriteFile(m_folder + "read.py", script);
        std::string command = "python3 " + m_folder + "read.py " + Csv() + " > " + m_folder + "out.txt";
        EXPECT_EQ(std::system(command.c_str()), 0) << script;
        return ReadFile(m_folder + "out.txt");
    }

    // The files in the folder, but for the history's own.
    std::vector<std::string> OtherFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
            std::string name = entry.path().filename().string();
            if (name.rfind("history.db", 0) != 0) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static HistoryEntry Entry()
    {
        HistoryEntry e;
        e.localTime = "2026-12-08T04:00:00";
        e.utcTime = "2026-12-08T03:00:00Z";
        return e;
    }

    std::string m_folder;
    std::string m_reason;
    long long m_rows = 0;
};

TEST_F(HistoryCsv, AwkwardFieldsComeBackThroughPythonsCsvReader)
{
    HistoryEntry e = Entry();
    e.barcode = std::string("0104150123456782\x1d" "21A\"B,C", 24);
    e.messageHeading = "=HYPERLINK(\"x\")";
    e.messageBody = "line one\r\nline \"two\", with comma";
    e.status = "-1+2";
    e.gtin = "@SUM(A1)";
    e.lot = std::string("L\xe9\x01", 3);  // not UTF-8: taken in the code page; a control byte
    HistoryEntry later = e;
    later.localTime = "2026-12-09T00:00:00";
    Store({e, later});
    ASSERT_EQ(ExportHistoryCsv(Db(), Csv(), "2026-12-08", "2026-12-08", PosixCsvFiles(), m_reason, m_rows),
              ExportResult::Written) << m_reason;
    EXPECT_EQ(m_rows, 1) << "the end date includes its whole day and no more";
    EXPECT_EQ(ReadFile(Csv()).substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(Python("import csv,sys\n"
                     "r=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline='')))\n"
                     "v=dict(zip(r[0],r[1]))\n"
                     "for k in ('Barcode','Message heading','Message body','Status','GTIN','Lot','UTC time'):\n"
                     "  sys.stdout.buffer.write((k+'='+v[k]+'|').encode())\n"
                     "print(len(r),end='')\n"),
              "Barcode=0104150123456782\\u001D21A\\\"B,C|Message heading='=HYPERLINK(\"x\")|"
              "Message body=line one\r\nline \"two\", with comma|Status='-1+2|GTIN='@SUM(A1)|"
              "Lot=L\xC3\xA9&#1;|UTC time=2026-12-08T03:00:00Z|2");
}

// Most EU spreadsheets split a CSV on ';'; a pasted one on TAB; one that takes
// a quoted field apart starts a row at each of its line breaks. Whichever,
// no cell may start (after blanks) with what makes it a formula.
TEST_F(HistoryCsv, NoCellStartsAFormulaWhereverASpreadsheetSplitsTheLine)
{
    HistoryEntry e = Entry();
    e.lot = "X;=1+1;";  // a batch printed on a falsified pack
    e.sn = "A;  +1\tB;@x";
    e.status = "\t=1";
    e.messageHeading = "ok\r\n-2+3";
    e.messageBody = " =cmd|' /C calc'!A0";
    e.gtin = "\"=1";
    e.exp = "a;\"\"=2";
    e.handledNote = "\r=3";
    e.readFaults = "Batch;\r\n+49 30";
    e.curlResult = -1;
    e.kind = 2;
    Store({e});
    ASSERT_EQ(ExportHistoryCsv(Db(), Csv(), "", "", PosixCsvFiles(), m_reason, m_rows), ExportResult::Written)
        << m_reason;
    std::string found = Python(
        "import csv,re,sys\n"
        "for d in (',',';','\\t'):\n"
        "  for row in csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline=''),delimiter=d):\n"
        "    for f in row:\n"
        "      if not re.fullmatch('-?[0-9]+',f) and f.lstrip(' ')[:1] in ('=','+','-','@','\\t','\\r'):\n"
        "        print(repr(d),repr(f))\n"
        "r=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline='')))\n"
        "v=dict(zip(r[0],r[1]))\n"
        "print(v['curl exit code'],v['Kind'],v['Lot'],sep='|')\n");
    EXPECT_EQ(found, "-1|2|X;'=1+1;\n") << "numbers stay numbers; text keeps what it said";
}

// The counter's own text is in the system's code page (a EUR sign in a note, a
// user or computer name); the service answers in UTF-8.
TEST_F(HistoryCsv, CodePageAndUtf8TextsBothComeBackRight)
{
    HistoryEntry e = Entry();
    e.handledNote = "R\xfc" "cksprache \x80 5";      // Windows-1252
    e.userName = "J\xfcrgen";
    e.messageBody = "Zur\xc3\xbc" "ckgerufen \xe2\x82\xac";  // UTF-8 from the service
    e.status = "Gro\xdf";                                 // the service's, but not UTF-8
    Store({e});
    ASSERT_EQ(ExportHistoryCsv(Db(), Csv(), "", "", PosixCsvFiles(), m_reason, m_rows), ExportResult::Written)
        << m_reason;
    EXPECT_EQ(Python("import csv,sys\n"
                     "r=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline='')))\n"
                     "v=dict(zip(r[0],r[1]))\n"
                     "sys.stdout.buffer.write('|'.join(v[k] for k in ('Handled note','User name','Message body',"
                     "'Status')).encode())\n"),
              "R\xc3\xbc" "cksprache \xe2\x82\xac 5|J\xc3\xbcrgen|Zur\xc3\xbc" "ckgerufen \xe2\x82\xac|Gro\xc3\x9f");
}

TEST_F(HistoryCsv, AFailedReplaceKeepsTheOldExportAndNoOtherFileIsTouched)
{
    Store({Entry()});
    WriteFile(Csv(), "the old export");
    WriteFile(Csv() + ".tmp", "the pharmacist's own file");
    CsvFileSystem failing = PosixCsvFiles();
    failing.replace = [](const std::string&, const std::string&) { return false; };
    EXPECT_EQ(ExportHistoryCsv(Db(), Csv(), "", "", failing, m_reason, m_rows), ExportResult::Unwritable);
    EXPECT_EQ(m_reason, "the file \"" + Csv() + "\" cannot be written");
    EXPECT_EQ(ReadFile(Csv()), "the old export");
    EXPECT_EQ(ReadFile(Csv() + ".tmp"), "the pharmacist's own file");
    EXPECT_EQ(OtherFiles(), (std::vector<std::string>{"scans.csv", "scans.csv.tmp"})) << "no temporary file left";

    ASSERT_EQ(ExportHistoryCsv(Db(), Csv(), "", "", PosixCsvFiles(), m_reason, m_rows), ExportResult::Written);
    EXPECT_EQ(ReadFile(Csv()).rfind(CsvHeader(), 0), 0u);
    EXPECT_EQ(ReadFile(Csv() + ".tmp"), "the pharmacist's own file");
    EXPECT_EQ(OtherFiles(), (std::vector<std::string>{"scans.csv", "scans.csv.tmp"}));
}

TEST_F(HistoryCsv, ExportRefusesAMissingHistoryAnUnwritableFileAndADevice)
{
    EXPECT_EQ(ExportHistoryCsv(m_folder + "none.db", Csv(), "", "", PosixCsvFiles(), m_reason, m_rows),
              ExportResult::NoHistory);
    Store({Entry()});
    EXPECT_EQ(ExportHistoryCsv(Db(), m_folder + "no folder/out.csv", "", "", PosixCsvFiles(), m_reason, m_rows),
              ExportResult::Unwritable);
    EXPECT_NE(m_reason.find("cannot be written"), std::string::npos);
    for (const std::string& device : {"NUL", "com1.csv", "Lpt3", "CON .txt"}) {
        EXPECT_EQ(ExportHistoryCsv(Db(), m_folder + device, "", "", PosixCsvFiles(), m_reason, m_rows),
                  ExportResult::Unwritable) << device;
        EXPECT_EQ(m_reason, "\"" + m_folder + device + "\" names a device, not a file");
    }
    EXPECT_TRUE(OtherFiles().empty()) << "nothing written for a device";
}

TEST(CsvTarget, DeviceNamesAreNoFiles)
{
    const struct { const char* path; bool device; } cases[] = {
        {"NUL", true},           {"nul.csv", true},          {"C:\\exports\\COM1", true}, {"COM9.csv", true},
        {"LPT1", true},          {"aux", true},              {"\\\\.\\pipe\\x", true},    {"C:NUL", true},
        {"COM1:", true},         {"CONOUT$", true},          {"COM\xb9", true},           {"nul .csv", true},
        {"COM10.csv", false},    {"scans.csv", false},       {"C:\\NUL\\x.csv", false},   {"console.csv", false},
        {"C:\\com1x.csv", false}, {"\\\\?\\C:\\x.csv", false}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsDeviceName(c.path), c.device) << c.path;
}

TEST(HistoryCsvText, Utf8IsCheckedStrictly)
{
    const struct { std::string text; bool valid; } cases[] = {
        {"plain", true},          {"\xc3\xbc", true},  {"\xe2\x82\xac", true}, {"\xf0\x9f\x92\x8a", true},
        {"\xfc", false},          {"\xc3", false},     {"\xc0\xaf", false},    {"\xe0\x80\xaf", false},
        {"\xed\xa0\x80", false},  {"\xf4\x90\x80\x80", false},                 {"\x80", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
}

TEST(HistoryCsvText, OnlyRealCalendarDatesWithADigitInEveryPlaceAreDates)
{
    const struct { const char* text; bool date; } cases[] = {
        {"2026-12-08", true},  {"2024-02-29", true},  {"2026-02-29", false}, {"2100-02-29", false},
        {"2026-13-01", false}, {"2026-04-31", false}, {"2026-1-08", false},  {"20261208", false},
        {"2026-12-08x", false}, {"", false},          {"2026-12-0a", false}, {"2026- 1-08", false},
        {"2026-01-+1", false}, {" 026-01-01", false}, {"2026-01- 1", false}, {"+026-01-01", false},
        {"2026-00-10", false}, {"0000-01-01", true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsIsoDate(c.text), c.date) << c.text;
}

TEST(HistoryCsvText, CommandLineWordsKeepQuotedSpaces)
{
    EXPECT_EQ(CommandLineWords("export-history \"C:\\My Files\\h.csv\"  2026-01-01\t2026-02-01"),
              (std::vector<std::string>{"export-history", "C:\\My Files\\h.csv", "2026-01-01", "2026-02-01"}));
    EXPECT_EQ(CommandLineWords("  "), std::vector<std::string>{});
    EXPECT_EQ(CommandLineWords("a \"\""), (std::vector<std::string>{"a", ""}));
}

}  // namespace
