// Handing records to a window: a posted record reaches the window intact, and
// one that has no window to go to is destroyed at once; AddLogRow without a
// main dialog allocates nothing.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "ui/main/main_dialog.h"
#include "verify/scan_result_post.h"

namespace {

// A hidden window that keeps every record posted to it.
class CollectingWindow {
public:
    CollectingWindow()
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &CollectingWindow::Proc;
        windowClass.lpszClassName = "PellwickCollector";
        RegisterClassA(&windowClass);
        m_window = CreateWindowExA(0, "PellwickCollector", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CollectingWindow() { DestroyWindow(m_window); }
    HWND Get() const { return m_window; }
    void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, m_window, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    std::vector<std::unique_ptr<ScanResult>> records;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<CollectingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_SCANRESULT && self) {
            self->records.emplace_back(reinterpret_cast<ScanResult*>(lParam));
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HWND m_window;
};

}  // namespace

TEST(PostScanResult, DeliversTheRecordToTheWindow)
{
    CollectingWindow window;
    auto* record = new ScanResult;
    record->kind = ScanResultKind::Scanned;
    record->key = "123456789";
    record->barcode = "01\x1D" "21";
    PostScanResult(window.Get(), record);
    window.Pump();
    ASSERT_EQ(window.records.size(), 1u);
    EXPECT_EQ(window.records[0].get(), record);
    EXPECT_EQ(window.records[0]->key, "123456789");
}

TEST(PostScanResult, WithoutAWindowTheRecordIsDestroyed)
{
    long before = LiveRecordCounter::Live();
    PostScanResult(nullptr, new ScanResult);
    EXPECT_EQ(LiveRecordCounter::Live(), before);

    HWND gone = nullptr;
    {
        CollectingWindow window;
        gone = window.Get();
    }
    PostScanResult(gone, new ScanResult);
    EXPECT_EQ(LiveRecordCounter::Live(), before);
}

TEST(AddLogRow, WithoutAMainDialogNothingIsAllocated)
{
    ASSERT_EQ(g_mainDialog.Peek(), nullptr);
    long before = LiveRecordCounter::Live();
    AddLogRow("Listening to %s", "COM5");
    EXPECT_EQ(LiveRecordCounter::Live(), before);
}
