// The serial reader on real pty-backed COM ports under Wine.
#include <gtest/gtest.h>

#include "scanner/barcode_reader_thread.h"
#include "support/serial_fixture.h"

namespace {

class Reader : public testing::Test {
protected:
    // Starts a reader on COMn; `ended` is set just before it deletes itself.
    template <typename T = CBarcodeReaderThread>
    T* Start(unsigned port)
    {
        auto* reader = new T([this](CBarcodeReaderThread*) { SetEvent(ended.Get()); });
        reader->m_strPort = "COM" + std::to_string(port);
        EXPECT_TRUE(reader->CreateThread());
        return reader;
    }
    bool Ended(DWORD timeoutMs)
    {
        return PumpUntil([&] { return WaitForSingleObject(ended.Get(), 0) == WAIT_OBJECT_0; }, timeoutMs);
    }

    SerialFixture serial;
    TestScanHost host;
    KernelHandle ended{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

}  // namespace

TEST_F(Reader, BytesBecomeSpoolFilesWithTheCurrentModeAndExactLogLines)
{
    host.mode = 2;
    CBarcodeReaderThread* reader = Start(5);
    ASSERT_TRUE(serial.WaitForLog("COM5 - running", 10000)) << serial.LogText();

    ASSERT_TRUE(serial.Type(5, "0104150123456782\x1D" "21A1\r\n"));
    ASSERT_TRUE(host.window.WaitForRecords(2, 10000));  // "Listening to" and Scanned
    const ScanResult& scanned = *host.window.Results().at(0);
    EXPECT_EQ(scanned.kind, ScanResultKind::Scanned);
    EXPECT_EQ(scanned.mode, 2);
    EXPECT_EQ(scanned.barcode, "0104150123456782\x1D" "21A1");
    // The row is posted before the file is written.
    EXPECT_TRUE(WaitFor([&] { return PathExists(host.folder / (scanned.key + ".dat")); }, 5000));
    EXPECT_EQ(ReadBytes(host.folder / (scanned.key + ".dat")), "2" "0104150123456782\x1D" "21A1");
    EXPECT_EQ(host.window.LogRows(), std::vector<std::string>{"Listening to COM5"});
    EXPECT_GE(host.sounds.load(), 1);

    std::string log = serial.LogText();
    for (const std::string& line :
         {std::string(") COM5 - starting\r\n"), std::string(") COM5 - opening com port\r\n"),
          std::string(") COM5 - read |0104150123456782\\u001D21A1"),
          std::string(") COM5 - barcode = \"0104150123456782\x1D" "21A1\"\r\n"),
          ") Saved to \"" + scanned.key + ".dat\"\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;

    reader->m_bStop = true;
    EXPECT_TRUE(Ended(8000));
}

TEST_F(Reader, ABurstSplitAcrossReadsIsJoinedAndALineBreakInsideBecomesAt)
{
    CBarcodeReaderThread* reader = Start(5);
    ASSERT_TRUE(serial.WaitForLog("COM5 - running", 10000));
    ASSERT_TRUE(serial.Type(5, "ABC"));
    Sleep(100);
    ASSERT_TRUE(serial.Type(5, "123\r\n"));
    ASSERT_TRUE(PumpUntil([&] { return host.window.Results().size() >= 1; }, 10000)) << serial.LogText();
    // A second burst whose line break sits in the middle of one read.
    ASSERT_TRUE(serial.Type(5, "MY\r\nPRESC\r\n"));
    ASSERT_TRUE(PumpUntil([&] { return host.window.Results().size() >= 2; }, 10000)) << serial.LogText();
    EXPECT_EQ(host.window.Results()[0]->barcode, "ABC123");
    EXPECT_EQ(host.window.Results()[1]->barcode, "MY@PRESC");
    reader->m_bStop = true;
    EXPECT_TRUE(Ended(8000));
}

// Line noise can put a zero byte into a read: only that byte goes, so the
// line end after it still ends the scan and the next one stays apart.
TEST_F(Reader, AZeroByteInsideAReadIsDroppedAloneAndTheNextScanStaysApart)
{
    CBarcodeReaderThread* reader = Start(5);
    ASSERT_TRUE(serial.WaitForLog("COM5 - running", 10000));
    ASSERT_TRUE(serial.Type(5, std::string("0104150123456782\0" "21A1\r\n", 25)));
    ASSERT_TRUE(PumpUntil([&] { return host.window.Results().size() >= 1; }, 10000)) << serial.LogText();
    ASSERT_TRUE(serial.Type(5, "0104150123456782" "21B2\r\n"));
    ASSERT_TRUE(PumpUntil([&] { return host.window.Results().size() >= 2; }, 10000)) << serial.LogText();
    EXPECT_EQ(host.window.Results()[0]->barcode, "0104150123456782" "21A1");
    EXPECT_EQ(host.window.Results()[1]->barcode, "0104150123456782" "21B2");
    EXPECT_NE(serial.LogText().find("COM5 - read |0104150123456782&#0;21A1"), std::string::npos)
        << serial.LogText();
    reader->m_bStop = true;
    EXPECT_TRUE(Ended(8000));
}

TEST_F(Reader, StopFlagEndsAnIdleReaderWithinOneReadTimeOut)
{
    CBarcodeReaderThread* reader = Start(5);
    ASSERT_TRUE(serial.WaitForLog("COM5 - running", 10000));
    ULONGLONG stoppedAt = GetTickCount64();
    reader->m_bStop = true;
    ASSERT_TRUE(Ended(10000));
    EXPECT_LT(GetTickCount64() - stoppedAt, 7000u) << "one 5.17 s read time-out at most, plus slack";
    std::string log = serial.LogText();
    size_t terminating = log.find("COM5 - terminating"), closed = log.find("COM5 - port closed");
    ASSERT_NE(terminating, std::string::npos);
    EXPECT_GT(closed, terminating);
    EXPECT_TRUE(PumpUntil([&] { return host.window.LogRows().size() == 2; }, 2000));
    EXPECT_EQ(host.window.LogRows().back(), "Closing port COM5");
}

TEST_F(Reader, UnpluggedDeviceEndsTheReaderWithTheNormalClosingLines)
{
    auto* reader = Start<UnpluggableReader>(5);
    ASSERT_TRUE(serial.WaitForLog("COM5 - running", 10000));
    reader->unplugged = true;
    ASSERT_TRUE(Ended(8000));
    std::string log = serial.LogText();
    size_t failed = log.find(") WARNING: COM5 - ReadFile failed Reason: ");
    ASSERT_NE(failed, std::string::npos) << log;
    size_t terminating = log.find("COM5 - terminating", failed), closed = log.find("COM5 - port closed", failed);
    EXPECT_NE(terminating, std::string::npos);
    EXPECT_GT(closed, terminating);
    EXPECT_TRUE(PumpUntil([&] { return host.window.LogRows().size() == 2; }, 2000));
}

// COM13 opens but is no serial line (the prefix's link leads to /dev/null):
// the line settings fail, and the reader ends before it reads.
TEST_F(Reader, PortWhoseLineCannotBeSetUpEndsTheReaderWithAWarning)
{
    auto opens = [] {
        return FileHandle(CreateFileA("\\\\.\\COM13", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)).Valid();
    };
    std::string link = std::string(getenv("WINEPREFIX")) + "/dosdevices/com13";
    ASSERT_TRUE(RunUnix("Z:\\usr\\bin\\ln -sfn /dev/null " + link, opens));
    Start(13);
    bool ended = Ended(8000);
    RunUnix("Z:\\usr\\bin\\rm -f " + link, [&] { return !opens(); });
    ASSERT_TRUE(ended);
    std::string log = serial.LogText();
    EXPECT_NE(log.find(" COM13 - SetCommState Reason: "), std::string::npos) << log;
    EXPECT_EQ(log.find("COM13 - running"), std::string::npos);
    EXPECT_EQ(log.find("COM13 - read"), std::string::npos);
}

TEST_F(Reader, PortThatCannotBeOpenedEndsTheReaderAtOnce)
{
    Start(12);  // no such port
    ASSERT_TRUE(Ended(8000));
    EXPECT_NE(serial.LogText().find(") WARNING: Reader failed to open port COM12 Reason: "), std::string::npos);
    EXPECT_EQ(serial.LogText().find("COM12 - terminating"), std::string::npos);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(host.window.LogRows(), std::vector<std::string>{"Listening to COM12"});
}
