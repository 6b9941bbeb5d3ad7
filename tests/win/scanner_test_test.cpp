// The scanner test window on a real pty-backed COM port: while it is open a
// scan gets a verdict and is neither spooled nor given a row.
#include <gtest/gtest.h>

#include <thread>

#include "framework/file_ops.h"
#include "packcode/scanner_test_codes.h"
#include "res/resource.h"
#include "scanner/barcode_reader_thread.h"
#include "support/serial_fixture.h"
#include "ui/settings/scanner_test_dialog.h"

namespace {

// The main window's part, as the program's main dialog plays it.
class ScannerTestHost : public TestScanHost {
public:
    bool ScannerTestWaiting() const override { return testWindow.load() != nullptr; }
    bool TakeScannerTestScan(const std::string& scan) override
    {
        return CScannerTestDialog::PostScan(testWindow.load(), scan);
    }
    std::atomic<HWND> testWindow{nullptr};
};

std::string VerdictOf(HWND window)
{
    char text[2048] = "";
    GetDlgItemTextA(window, IDC_SCANNER_TEST_VERDICT, text, sizeof text);
    return text;
}

}  // namespace

TEST(ScannerTest, EachScanGetsItsVerdictAndNoneIsSpooled)
{
    SerialFixture serial;
    ScannerTestHost host;
    KernelHandle ended{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    auto* reader = new CBarcodeReaderThread([&](CBarcodeReaderThread*) { SetEvent(ended.Get()); });
    reader->m_strPort = "COM5";
    ASSERT_TRUE(reader->CreateThread());
    ASSERT_TRUE(serial.WaitForLog("COM5 - running", 10000)) << serial.LogText();

    // The scans are typed from a second thread while the window runs here.
    std::vector<std::string> verdicts;
    std::thread scanner([&] {
        HWND window = nullptr;
        WaitFor([&] { return (window = host.testWindow.load()) != nullptr; }, 20000);
        for (const std::string& scan : {std::string(SCANNER_TEST_GS1_CODE "\r\n"),
                                        std::string("]d2" SCANNER_TEST_PPN_CODE "\n"),
                                        std::string("[)>\x1E" "06\x1D" "9N110375286414\x1D" "1T01\x1D" "D201231\x1D"
                                                    "S99\x1E\x04\r\n")}) {
            std::string before = window ? VerdictOf(window) : "";
            serial.Type(5, scan);
            WaitFor([&] { return VerdictOf(window) != before; }, 20000);
            verdicts.push_back(VerdictOf(window));
        }
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    CScannerTestDialog test(host.testWindow);
    EXPECT_EQ(test.RunModal(nullptr), IDOK);
    scanner.join();

    ASSERT_EQ(verdicts.size(), 3u);
    EXPECT_EQ(verdicts[0], "Scanner set up correctly (GS1 code).");
    EXPECT_NE(verdicts[1].find("Symbology identifier \"]d2\" sent"), std::string::npos) << verdicts[1];
    EXPECT_NE(verdicts[1].find("Line ending \"<LF>\""), std::string::npos) << verdicts[1];
    EXPECT_NE(verdicts[2].find("This is not one of the test codes"), std::string::npos) << verdicts[2];
    EXPECT_TRUE(host.window.Results().empty());
    EXPECT_TRUE(ListFiles(host.folder.Path(), "*").empty());
    EXPECT_NE(serial.LogText().find("COM5 - scan handed to the scanner test, not spooled"), std::string::npos);

    // Once the window is closed, scans are spooled again.
    ASSERT_TRUE(serial.Type(5, SCANNER_TEST_GS1_CODE "\r\n"));
    EXPECT_TRUE(PumpUntil([&] { return !ListFiles(host.folder.Path(), "*.dat").empty(); }, 20000)) << serial.LogText();
    reader->m_bStop = true;
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(ended.Get(), 0) == WAIT_OBJECT_0; }, 8000));
}
