// Port discovery and hot-plug under Wine: SERIALCOMM entries, pty-backed
// ports, and the port broadcasts that Wine itself does not send.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <cstdio>
#include <cstring>

#include "scanner/barcode_reader_thread.h"
#include "scanner/port_discovery.h"
#include "support/serial_fixture.h"

namespace {

// A hidden top-level window standing in for the main dialog's.
class DiscoveryWindow {
public:
    DiscoveryWindow()
        : ports([this](auto onEnd) {
              lastReader = new UnpluggableReader(std::move(onEnd));
              ++readersMade;
              return lastReader.load();
          })
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &DiscoveryWindow::Proc;
        windowClass.lpszClassName = "PellwickDiscoveryTest";
        RegisterClassA(&windowClass);
        m_window = CreateWindowExA(0, "PellwickDiscoveryTest", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&ports));
        ports.Attach(m_window);
    }
    ~DiscoveryWindow() { DestroyWindow(m_window); }

    // The broadcast lies above 4 GiB, so that its whole address must show in
    // the log lines. Returns that address as the log prints it.
    std::string Broadcast(WPARAM event, const char* portName)
    {
        auto* port = static_cast<DEV_BROADCAST_PORT_A*>(
            VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE | MEM_TOP_DOWN, PAGE_READWRITE));
        port->dbcp_size = sizeof(DEV_BROADCAST_PORT_A) + static_cast<DWORD>(std::strlen(portName));
        port->dbcp_devicetype = DBT_DEVTYP_PORT;
        std::strcpy(port->dbcp_name, portName);
        SendMessageA(m_window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(port));
        char address[32];
        std::snprintf(address, sizeof address, "%llx", reinterpret_cast<unsigned long long>(port));
        VirtualFree(port, 0, MEM_RELEASE);
        return address;
    }

    std::atomic<UnpluggableReader*> lastReader{nullptr};
    // Counted, not compared by address: a new reader may take a freed one's.
    std::atomic<int> readersMade{0};
    CPortDiscovery ports;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* ports = reinterpret_cast<CPortDiscovery*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        LRESULT result = 0;
        if (ports && ports->HandleMessage(message, wParam, lParam, result)) return result;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HWND m_window;
};

class Discovery : public testing::Test {
protected:
    void TearDown() override
    {
        // Every reader must have ended before the ports go away.
        window.ports.CloseAllPorts();
        for (const char* port : {"COM5", "COM7", "COM9"}) {
            size_t started = CountOf(serial.LogText(), std::string(port) + " - running");
            serial.WaitForLog(std::string(port) + " - port closed", 8000, started);
        }
    }

    SerialFixture serial;
    TestScanHost host;
    DiscoveryWindow window;
};

}  // namespace

TEST_F(Discovery, SweepStartsReadersOnlyForRecognisedDevices)
{
    serial.MapDevice("Silabser0", 5);
    serial.MapDevice("ZebraCDC0", 7);
    serial.MapDevice("FooSerial3", 9);
    serial.MapDevice("FooSerial19", 19);  // the last port swept
    serial.MapDevice("FooSerial20", 20);  // beyond the sweep
    window.ports.ScanPorts();
    EXPECT_NE(window.ports.ReaderOn(5), nullptr);
    EXPECT_NE(window.ports.ReaderOn(7), nullptr);
    EXPECT_EQ(window.ports.ReaderOn(9), nullptr);
    ASSERT_TRUE(serial.WaitForLog("COM5 - running", 10000));
    ASSERT_TRUE(serial.WaitForLog("COM7 - running", 10000));
    std::string log = serial.LogText();
    EXPECT_NE(log.find(") Found COM5 = \\Device\\Silabser0\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(") Found COM7, device \\Device\\ZebraCDC0\r\n"), std::string::npos);
    EXPECT_NE(log.find(") Found COM9, device \\Device\\FooSerial3\r\n"), std::string::npos);
    EXPECT_NE(log.find(") Not listening to COM9, we dont know the device\r\n"), std::string::npos);
    EXPECT_NE(log.find(") Found COM19, device \\Device\\FooSerial19\r\n"), std::string::npos);
    EXPECT_EQ(log.find("COM20"), std::string::npos) << "the sweep ends at COM19";
    EXPECT_EQ(CountOf(log, ") Creating thread\r\n"), 2u);

    ASSERT_TRUE(serial.Type(7, "ZEBRA1\r\n"));
    EXPECT_TRUE(PumpUntil([&] { return host.window.Results().size() == 1; }, 10000));
}

TEST_F(Discovery, ArrivalAndRemovalStartAndStopTheReader)
{
    serial.MapDevice("Silabser0", 5);
    std::string address = window.Broadcast(DBT_DEVICEARRIVAL, "COM5");
    ASSERT_GT(address.size(), 8u) << "above 4 GiB";
    CBarcodeReaderThread* reader = window.ports.ReaderOn(5);
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(serial.WaitForLog("COM5 - running", 10000));
    EXPECT_NE(serial.LogText().find(") Device Inserted 8000 " + address + " 3 COM5"), std::string::npos);
    EXPECT_NE(serial.LogText().find("lParam = " + address + ")"), std::string::npos);
    EXPECT_NE(serial.LogText().find(" 3 COM5\r\n\r\n"), std::string::npos) << "the line keeps its own newline";

    window.Broadcast(DBT_DEVICEREMOVECOMPLETE, "COM5");
    EXPECT_EQ(window.ports.ReaderOn(5), nullptr);
    std::string log = serial.LogText();
    EXPECT_NE(log.find(") Device Removed 8004 "), std::string::npos);
    EXPECT_NE(log.find(") Closing port COM5 = "), std::string::npos);
    EXPECT_TRUE(serial.WaitForLog("COM5 - port closed", 8000));

    window.Broadcast(DBT_DEVICEARRIVAL, "COM5");
    EXPECT_NE(window.ports.ReaderOn(5), nullptr) << "plugged back: a new reader";
    EXPECT_TRUE(serial.WaitForLog("COM5 - running", 10000, 2));
}

TEST_F(Discovery, ArrivalForARunningPortReplacesItsReader)
{
    serial.MapDevice("Silabser0", 5);
    window.Broadcast(DBT_DEVICEARRIVAL, "COM5");
    CBarcodeReaderThread* old = window.ports.ReaderOn(5);
    ASSERT_TRUE(serial.WaitForLog("COM5 - running", 10000));
    window.Broadcast(DBT_DEVICEARRIVAL, "COM5");
    CBarcodeReaderThread* replacement = window.ports.ReaderOn(5);
    EXPECT_NE(replacement, nullptr);
    EXPECT_NE(replacement, old);
    EXPECT_EQ(CountOf(serial.LogText(), ") Closing port COM5 = "), 1u);
    // The new reader may find the port still held by the old one; then it
    // ends by itself and leaves the map.
    ASSERT_TRUE(PumpUntil([&] {
        std::string log = serial.LogText();
        return CountOf(log, "COM5 - running") == 2 || log.find("COM5 reader ended by itself") != std::string::npos;
    }, 10000));
    if (serial.LogText().find("COM5 reader ended by itself") != std::string::npos) {
        EXPECT_EQ(window.ports.ReaderOn(5), nullptr);
    }
}

TEST_F(Discovery, ParallelPortArrivalExaminesCom1)
{
    window.Broadcast(DBT_DEVICEARRIVAL, "LPT1");
    std::string log = serial.LogText();
    EXPECT_NE(log.find(" 3 LPT1\r\n\r\n"), std::string::npos) << log;
    bool examined = log.find(") Found COM1, device ") != std::string::npos ||
                    log.find(") Not listening to COM1, we dont know the device") != std::string::npos;
    EXPECT_TRUE(examined) << log;
    EXPECT_EQ(window.ports.ReaderOn(1), nullptr);
}

// Only port broadcasts with data change the readers: a volume's arrival, a
// removal of a port nobody listens to, and a broadcast without data only
// leave their log line.
TEST_F(Discovery, OtherBroadcastsLeaveTheReadersAlone)
{
    serial.MapDevice("Silabser0", 5);
    window.ports.OpenPort(5);
    ASSERT_TRUE(serial.WaitForLog("COM5 - running", 10000));
    CBarcodeReaderThread* reader = window.ports.ReaderOn(5);
    DEV_BROADCAST_VOLUME volume{sizeof volume, DBT_DEVTYP_VOLUME, 0, 1, 0};
    for (WPARAM event : {static_cast<WPARAM>(DBT_DEVICEARRIVAL), static_cast<WPARAM>(DBT_DEVICEREMOVECOMPLETE)}) {
        EXPECT_EQ(window.ports.OnDeviceChange(event, reinterpret_cast<LPARAM>(&volume)), 0);
        EXPECT_EQ(window.ports.OnDeviceChange(event, 0), 0);
    }
    EXPECT_EQ(window.ports.OnDeviceChange(DBT_DEVNODES_CHANGED, 0), 0);
    window.Broadcast(DBT_DEVICEREMOVECOMPLETE, "COM7");  // no reader there
    EXPECT_EQ(window.ports.ReaderOn(5), reader);
    std::string log = serial.LogText();
    EXPECT_EQ(CountOf(log, ") OnDeviceChange(wParam = "), 6u);
    EXPECT_EQ(log.find("Closing port COM5"), std::string::npos);
    EXPECT_EQ(log.find("Device Inserted"), std::string::npos);
}

TEST_F(Discovery, ReaderWhoseReadFailsLeavesTheMapAndALaterArrivalStartsANewOne)
{
    serial.MapDevice("Silabser9", 9);
    window.ports.OpenPort(9);
    ASSERT_TRUE(serial.WaitForLog("COM9 - running", 10000));
    UnpluggableReader* pulled = window.lastReader;
    ASSERT_EQ(window.ports.ReaderOn(9), pulled);
    pulled->unplugged = true;  // the device is pulled before any removal broadcast
    ASSERT_TRUE(serial.WaitForLog("COM9 reader ended by itself", 10000)) << serial.LogText();
    EXPECT_EQ(window.ports.ReaderOn(9), nullptr);
    window.ports.ClosePort(9);
    window.Broadcast(DBT_DEVICEREMOVECOMPLETE, "COM9");
    EXPECT_EQ(serial.LogText().find("Closing port COM9"), std::string::npos) << "an ended reader is never touched";

    const int made = window.readersMade;
    window.Broadcast(DBT_DEVICEARRIVAL, "COM9");
    EXPECT_NE(window.ports.ReaderOn(9), nullptr);
    EXPECT_EQ(window.readersMade, made + 1) << "a new reader";
    EXPECT_TRUE(serial.WaitForLog("COM9 - running", 10000, 2));
}

TEST_F(Discovery, ReaderWhosePortCannotBeOpenedLeavesTheMap)
{
    serial.MapDevice("ZebraCDC11", 11);  // recognised, but COM11 does not exist
    window.ports.OpenPort(11);
    EXPECT_TRUE(serial.WaitForLog("COM11 reader ended by itself", 10000)) << serial.LogText();
    EXPECT_EQ(window.ports.ReaderOn(11), nullptr);
}
