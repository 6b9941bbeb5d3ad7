// The answer guide in the history's CSV: three columns after the others, read
// back as a spreadsheet would.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/scan_result.h"
#include "history/history_csv.h"
#include "history/history_store.h"
#include "history/history_view_rules.h"
#include "posix_csv_files.h"

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

HistoryEntry Outcome(int mode, int kind, const char* status, const char* heading, int curl)
{
    HistoryEntry e;
    e.localTime = "2026-12-08T10:00:00";
    e.utcTime = "2026-12-08T09:00:00Z";
    e.mode = mode;
    e.kind = kind;
    e.status = status;
    e.messageHeading = heading;
    e.curlResult = curl;
    return e;
}

TEST(HistoryGuidance, TheExportEndsWithVerdictMeaningAndNextStep)
{
    std::string base = ::testing::TempDir() + "history-guidance-" + std::to_string(::getpid());
    {
        HistoryStore store;
        std::string reason;
        ASSERT_TRUE(store.Open(base + ".db", "2026-12-08", reason)) << reason;
        const HistoryEntry rows[] = {
            Outcome(Decommission, ScanResultKind::Error, "0",
                    "NMVS_NC_PCK_22 Pack already inactive Alert ID: AT-0A1B2C3D-0001.", 0),
            Outcome(Verify, ScanResultKind::Success, "1", "Pack verified", 0),
            Outcome(Decommission, ScanResultKind::Failed, "", "Request failed due to COULDNT CONNECT", 7),
        };
        for (const HistoryEntry& row : rows) ASSERT_TRUE(store.Add(row, reason)) << reason;
    }
    std::string reason;
    long long rows = 0;
    ASSERT_EQ(ExportHistoryCsv(base + ".db", base + ".csv", "", "", PosixCsvFiles(), reason, rows), ExportResult::Written) << reason;
    std::string script = "import csv,sys; r=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline='')));"
                         "out=open(sys.argv[2],'w',encoding='utf-8'); out.write('|'.join(r[0][-7:])+'\\n');"
                         "[out.write(x[-6]+'|'+x[-5][:30]+'|'+x[-4][:30]+'|'+'|'.join(x[-3:])+'\\n') for x in r[1:]]";
    ASSERT_EQ(std::system(("python3 -c \"" + script + "\" " + base + ".csv " + base + ".txt").c_str()), 0);
    EXPECT_EQ(ReadFile(base + ".txt"),
              "Handled note|Verdict|Meaning|Next step|Alert ID|Case state|Case updated\n"
              "Alert: do not supply|The pack is already inactive: |Do not supply yet. Verify the |AT-0A1B2C3D-0001|Open|\n"
              "Supply|The pack is active: the nation|Supply it; decommission it whe|||\n"
              "Check again|The service was not reached: t|Nothing changed at the nationa|||\n");
    for (const char* extension : {".db", ".db-wal", ".db-shm", ".csv", ".txt"}) std::remove((base + extension).c_str());
}

TEST(HistoryGuidance, TheDetailsPaneBeginsWithTheGuide)
{
    HistoryEntry e = Outcome(Verify, ScanResultKind::Warning, "2", "NMVS_NC_PCK_22 Pack is inactive (Stolen)", 0);
    std::string details = DetailsText(e);
    EXPECT_EQ(details.rfind("Verdict: Do not supply\r\nMeaning: The pack was reported stolen.\r\nNext step: Do not "
                            "supply. Set the pack aside",
                            0),
              0u)
        << details;
    EXPECT_NE(details.find(".\r\n\r\nLocal time: 2026-12-08T10:00:00\r\n"), std::string::npos) << details;
}

}  // namespace
