// Spooling barcode lines: the Scanned row, the spool file's bytes, the
// worker's wake-up, the wrong-settings box, and a spool file that cannot be
// written.
#include <gtest/gtest.h>

#include <thread>

#include "scanner/barcode_reader_thread.h"
#include "support/scan_fixture.h"
#include "support/serial_fixture.h"

namespace {

class Spooling : public testing::Test {
protected:
    Spooling() { reader.m_strPort = "COM3"; }
    std::vector<std::string> DatFiles() { return ListFolder(host.folder.Path()); }

    TestScanHost host;
    CBarcodeReaderThread reader;  // not started: HandleBarcode runs on this thread
};

}  // namespace

TEST_F(Spooling, LineBecomesAScannedRowAndASpoolFileWithTheModeDigit)
{
    struct Case {
        int32_t mode;
        std::string line;
    } cases[] = {{2, "0104150123456782" "21X\x1D" "10L"}, {0, ""}, {1, "BAG 12"}};
    for (const Case& c : cases) {
        host.mode = c.mode;
        size_t before = host.window.records.size();
        reader.HandleBarcode(c.line);
        ASSERT_TRUE(host.window.WaitForRecords(before + 1, 5000));
        const ScanResult& row = *host.window.records.back();
        EXPECT_EQ(row.kind, ScanResultKind::Scanned);
        EXPECT_EQ(row.statusText, "Scanned");
        EXPECT_EQ(row.mode, c.mode);
        EXPECT_EQ(row.barcode, c.line);
        EXPECT_EQ(row.key.find_first_not_of("0123456789"), std::string::npos) << row.key;
        EXPECT_EQ(ReadBytes(host.folder / (row.key + ".dat")), std::string(1, static_cast<char>('0' + c.mode)) + c.line);
        EXPECT_EQ(WaitForSingleObject(host.SpoolWrittenEvent(), 0), WAIT_OBJECT_0) << "the worker was not woken";
    }
    EXPECT_EQ(DatFiles().size(), 3u);
}

TEST_F(Spooling, WrongSettingsBarcodeShowsTheBoxAndSpoolsNothing)
{
    for (const char* line : {"CipherLab settings 1", "xxGS1ToAtyy"}) {
        std::thread scanner([&] { reader.HandleBarcode(line); });
        struct Joiner {
            std::thread& thread;
            ~Joiner()
            {
                if (!thread.joinable()) return;
                PostMessageA(FindMessageBox(GetCurrentProcessId(), "Wrong"), WM_COMMAND, IDCANCEL, 0);
                thread.join();
            }
        } joiner{scanner};
        HWND box = nullptr;
        // The box is owned by the host's window, which this thread runs.
        ASSERT_TRUE(PumpUntil([&] { return (box = FindMessageBox(GetCurrentProcessId(), "Wrong settings")) != nullptr; },
                              20000));
        EXPECT_EQ(MessageBoxText(box), "Wrong settings barcode scanned. Please scan the other barcode.");
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        PumpUntil([&] { return FindMessageBox(GetCurrentProcessId(), "Wrong settings") == nullptr; }, 5000);
        scanner.join();
    }
    EXPECT_TRUE(DatFiles().empty());
    host.window.WaitForRecords(1, 200);
    EXPECT_TRUE(host.window.records.empty());
}

TEST_F(Spooling, ScanThatCannotBeSavedIsReportedAsFailedNotLeftScanned)
{
    DeleteTree(host.folder.Path());  // the scan folder is gone
    reader.HandleBarcode("0104150123456782" "21LOST");
    ASSERT_TRUE(host.window.WaitForRecords(2, 5000));
    const ScanResult& scanned = *host.window.records[0];
    const ScanResult& failed = *host.window.records[1];
    EXPECT_EQ(scanned.kind, ScanResultKind::Scanned);
    EXPECT_EQ(failed.kind, ScanResultKind::Failed);
    EXPECT_EQ(failed.key, scanned.key);
    EXPECT_EQ(failed.statusText, "Failed");
    EXPECT_EQ(failed.messageHeading, "Scan could not be saved - please scan the pack again");
    EXPECT_EQ(failed.barcode, "0104150123456782" "21LOST");
    CreateDirectoryA(host.folder.Path().c_str(), nullptr);  // for the fixture's clean-up
}

// A line that arrives while the program ends, after the main window is gone:
// nothing is left to spool against, and the trace says so instead of the
// reader touching a window or a folder that no longer exists.
TEST(SpoolingAtTheEnd, ALineAfterTheMainWindowIsGoneIsLoggedAsNotSpooled)
{
    TempFolder logFolder;
    CFMDApp app;
    app.SetAppFolder(logFolder.Path());
    ASSERT_EQ(g_mainDialog.Peek(), nullptr);
    CBarcodeReaderThread reader;
    reader.m_strPort = "COM3";
    reader.HandleBarcode("0104150123456782" "21LATE");
    std::string trace = ReadBytes(logFolder / "Logs\\trace-1.txt");
    EXPECT_NE(trace.find(") COM3 - barcode = \"010415012345678221LATE\""), std::string::npos) << trace;
    EXPECT_NE(trace.find(") COM3 - no main window: barcode not spooled"), std::string::npos) << trace;
}
