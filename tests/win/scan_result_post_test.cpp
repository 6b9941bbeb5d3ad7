// Handing records to a window that is not there: a record with no window to
// go to is destroyed at once (delivery itself runs in every results test);
// AddLogRow without a main dialog allocates nothing.
#include <gtest/gtest.h>

#include "support/scan_fixture.h"
#include "ui/main/main_dialog.h"
#include "core/scan_result_post.h"

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
