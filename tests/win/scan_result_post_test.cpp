// Handing records to a window: a posted record reaches the window intact, and
// one that has no window to go to is destroyed at once; AddLogRow without a
// main dialog allocates nothing.
#include <gtest/gtest.h>

#include "support/scan_fixture.h"
#include "ui/main/main_dialog.h"
#include "core/scan_result_post.h"



TEST(PostScanResult, DeliversTheRecordToTheWindow)
{
    CollectingWindow window;
    auto* record = new ScanResult;
    record->kind = ScanResultKind::Scanned;
    record->key = "123456789";
    record->barcode = "01\x1D" "21";
    PostScanResult(window.Get(), record);
    ASSERT_TRUE(window.WaitForRecords(1, 5000));
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
