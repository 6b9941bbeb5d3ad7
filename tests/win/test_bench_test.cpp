// The hidden test bench driving the whole chain in a real main window: its
// spool files, the worker's exchanges with the stand-in and the rows, with
// and without a scanner's reader on COM1 (a pty).
#include <gtest/gtest.h>

#include "res/resource.h"
#include "scanner/barcode_reader_thread.h"
#include "support/main_dialog_fixture.h"
#include "support/scan_fixture.h"
#include "support/serial_fixture.h"

namespace {

constexpr int kB01 = 1053;
constexpr char kB01Serial[] = "293KeHgx9g6whmLEyTRm";
constexpr char kSerialMap[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// COM1 is a CP210x scanner's port while this lives: Wine's own entry for
// COM1 in the serial map steps aside and comes back afterwards.
class Com1AsScanner {
public:
    Com1AsScanner()
    {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSerialMap, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_map, nullptr);
        char name[256], data[16];
        for (DWORD index = 0;;) {
            DWORD nameLength = sizeof name, size = sizeof data;
            if (RegEnumValueA(m_map, index, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size))
                break;
            if (_stricmp(data, "COM1") != 0) {
                ++index;
                continue;
            }
            m_moved.push_back(name);
            RegDeleteValueA(m_map, name);
        }
        Set(kDevice);
    }
    ~Com1AsScanner()
    {
        RegDeleteValueA(m_map, kDevice);
        for (const std::string& name : m_moved) Set(name.c_str());
        RegCloseKey(m_map);
    }

private:
    void Set(const char* name) { RegSetValueExA(m_map, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("COM1"), 5); }

    static constexpr char kDevice[] = "\\Device\\Silabser1";
    HKEY m_map = nullptr;
    std::vector<std::string> m_moved;
};

// Result rows (not log rows) whose barcode cell contains `fragment`.
std::vector<int> ScanRows(MainDialogFixture& main, const std::string& fragment)
{
    std::vector<int> rows;
    for (int row = 0; row < main.RowCount(); ++row)
        if (main.RowRecord(row) && main.Cell(row, 3).find(fragment) != std::string::npos) rows.push_back(row);
    return rows;
}

size_t RequestsFor(const StandinClient& standin, const std::string& fragment)
{
    size_t count = 0;
    for (const std::string& body : standin.Requests()) count += body.find(fragment) != std::string::npos;
    return count;
}

// Presses a mode button, once start-up has forced Decommission, and waits
// for its log row.
void SwitchMode(MainDialogFixture& main, int button, const char* logRow)
{
    WaitFor([&] { return !main.LogRows().empty(); }, 5000);
    PostMessageA(main.Window(), WM_COMMAND, button, 0);
    WaitFor([&] { return !main.LogRows().empty() && main.LogRows().front() == logRow; }, 5000);
}

// Every row of `fragment` has left "Scanned" for its outcome.
bool AllAnswered(MainDialogFixture& main, const std::string& fragment, size_t rows)
{
    std::vector<int> found = ScanRows(main, fragment);
    if (found.size() != rows) return false;
    for (int row : found)
        if (main.Cell(row, 1).empty() || main.Cell(row, 1) == "Scanned") return false;
    return true;
}

// Closes the alert pop-ups that the service's answers raised.
void ClosePopUps(const char* title, size_t expected)
{
    for (size_t closed = 0; closed < expected; ++closed) {
        HWND popUp = WaitForTopWindow(GetCurrentProcessId(), title, 5000);
        if (!popUp) return;
        CloseWindowWith(popUp, IDC_POPUP_CLOSE);
    }
}

TEST(TestBench, B01WithoutAReaderOnCom1IsOneRowOneExchangeAndOneResult)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MainDialogFixture main({"PHARM01", "s3cret", "0", "", ""});
    ASSERT_TRUE(main.Start());
    ASSERT_EQ(main.Dialog().m_ports.ReaderOn(1), nullptr);
    SwitchMode(main, IDC_VERIFY_MODE, "Verify Mode On");
    PostMessageA(main.Window(), WM_COMMAND, kB01, 0);
    ASSERT_TRUE(WaitFor([&] { return AllAnswered(main, kB01Serial, 1); }, 20000));
    Sleep(500);  // a second row or exchange would show by now
    std::vector<int> rows = ScanRows(main, kB01Serial);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(main.Cell(rows[0], 1), "Warning") << "the pack has expired";
    EXPECT_EQ(main.Cell(rows[0], 2), "Verify");
    ClosePopUps("Product Verify result", 1);
    EXPECT_EQ(RequestsFor(standin, kB01Serial), 1u);
    EXPECT_EQ(RequestsFor(standin, "API.Verify.Request"), 1u) << "the spool file was stamped 0";
    std::string trace = main.Trace();
    EXPECT_NE(trace.find("TEST BARCODE = \"01050370150200181721022810356495.\x1D" "21293KeHgx9g6whmLEyTRm\r\""),
              std::string::npos);
    EXPECT_NE(trace.find("Saved to \""), std::string::npos);
    EXPECT_TRUE(WaitFor([&] { return ListFolder(main.AppFolder() + "\\Scanned").empty(); }, 5000));
}

TEST(TestBench, B01WithAReaderOnCom1IsSpooledTwice)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    Com1AsScanner scanner;
    MainDialogFixture main({"PHARM01", "s3cret", "0", "", ""});
    ASSERT_TRUE(main.Start());
    ASSERT_TRUE(WaitFor([&] { return main.Dialog().m_ports.ReaderOn(1) != nullptr; }, 5000)) << main.Trace();
    SwitchMode(main, IDC_VERIFY_MODE, "Verify Mode On");
    PostMessageA(main.Window(), WM_COMMAND, kB01, 0);
    ASSERT_TRUE(WaitFor([&] { return AllAnswered(main, kB01Serial, 2); }, 20000));
    EXPECT_EQ(RequestsFor(standin, kB01Serial), 2u);
    EXPECT_EQ(CountOf(main.Trace(), "Saved to \""), 2u);
    EXPECT_EQ(CountOf(main.Trace(), "COM1 - barcode = "), 1u) << "one of them through COM1's reader";
    ClosePopUps("Product Verify result", 2);
}

}  // namespace
