// The results list in the real main window: rows from posted records, their
// colours through the custom-draw answer, alerts with the product pop-up,
// replacing, trimming and freeing records, also while a pop-up shows one.
#include <gtest/gtest.h>

#include "core/scan_result_post.h"
#include "res/resource.h"
#include "support/main_dialog_fixture.h"
#include "support/scan_fixture.h"

namespace {

using K = ScanResultKind;

class ResultsList : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(main.Start());
        ASSERT_TRUE(WaitFor([&] { return main.RowCount() == 1; }, 5000));  // "Decommission Mode On"
        baseline = LiveRecordCounter::Live();
    }

    static HWND WaitForPopUp(const std::string& title) { return WaitForTopWindow(GetCurrentProcessId(), title, 5000); }
    static void Close(HWND popUp) { CloseWindowWith(popUp, IDC_POPUP_CLOSE); }

    COLORREF Colour(int row)
    {
        COLORREF colour = CLR_DEFAULT;
        EXPECT_TRUE(main.RowColour(row, colour)) << "row " << row;
        return colour;
    }

    MainDialogFixture main{{"PHARM01", "s3cret", "0", ""}};
    long baseline = 0;
};

}  // namespace

TEST_F(ResultsList, ScannedThenSuccessInDecommissionIsOneGreenRowWithoutAlert)
{
    main.Send(MakeRecord(K::Scanned, Decommission, "100", "Scanned"));
    std::string scannedAt = main.Cell(0, 0);
    EXPECT_EQ(main.Cell(0, 1), "Scanned");
    EXPECT_EQ(Colour(0), RGB(255, 255, 255));
    Sleep(1100);  // a later second, so a new Date/Time would show
    main.Send(MakeRecord(K::Success, Decommission, "100", "Success", "1"));
    EXPECT_EQ(main.RowCount(), 2);
    EXPECT_EQ(main.Cell(0, 0), scannedAt) << "the row keeps its first time";
    EXPECT_EQ(main.Cell(0, 1), "Success");
    EXPECT_EQ(main.Cell(0, 2), "Decommission");
    EXPECT_EQ(main.Cell(0, 3), "0104150123456782" "21100");
    EXPECT_EQ(scannedAt.size(), 19u);
    EXPECT_EQ(Colour(0), RGB(240, 255, 240));
    EXPECT_EQ(main.Dialog().alerts, 0);
    EXPECT_EQ(LiveRecordCounter::Live(), baseline + 1) << "the Scanned record was freed";
}

TEST_F(ResultsList, VerifyResultBringsTheWindowForwardAlertsAndOpensThePopUp)
{
    ShowWindow(main.Window(), SW_HIDE);
    ScanResult* record = MakeRecord(K::Success, Verify, "200", "Success", "1");
    record->gtin = "04150123456782";
    main.Post(record);
    HWND popUp = WaitForPopUp("Product Verify result");
    ASSERT_NE(popUp, nullptr);
    EXPECT_TRUE(IsWindowVisible(main.Window()));
    EXPECT_EQ(main.Dialog().alerts, 1);
    EXPECT_EQ(GetWindow(popUp, GW_OWNER), main.Window());
    Close(popUp);
    EXPECT_EQ(Colour(0), RGB(240, 255, 240));
}

TEST_F(ResultsList, LogRowsBadModesAndDoubleClick)
{
    ScanResult* log = MakeRecord(K::Log, Login, "", "LOG");
    log->barcode = "Listening to COM5";
    main.Send(log);
    EXPECT_EQ(main.Cell(0, 1), "");
    EXPECT_EQ(main.Cell(0, 2), "");
    EXPECT_EQ(main.Cell(0, 3), "Listening to COM5");
    EXPECT_EQ(main.RowRecord(0), nullptr);
    COLORREF colour;
    EXPECT_FALSE(main.RowColour(0, colour)) << "log rows keep the default colour";
    EXPECT_EQ(LiveRecordCounter::Live(), baseline);

    main.Send(MakeRecord(K::Scanned, 7, "400", "Scanned"));
    EXPECT_EQ(main.Cell(0, 2), "BadWolf");
    main.Send(MakeRecord(K::Scanned, Login, "401", "Scanned"));
    EXPECT_EQ(main.Cell(0, 2), "");

    // Double-click: a log row does nothing, a result row opens its pop-up.
    for (int row : {2, 0}) {
        ListView_SetItemState(main.List(), row, LVIS_SELECTED, LVIS_SELECTED);
        NMHDR click{main.List(), IDC_RESULTS, static_cast<UINT>(NM_DBLCLK)};
        PostMessageA(main.Window(), WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&click));
        HWND popUp = WaitForPopUp("Product  result");
        EXPECT_EQ(popUp != nullptr, row == 0) << row;
        if (popUp) Close(popUp);
        ListView_SetItemState(main.List(), row, 0, LVIS_SELECTED);
    }
}

TEST_F(ResultsList, SameKeyReplacesAndTheTenThousandAndFirstRowDropsTheOldest)
{
    main.Send(MakeRecord(K::Scanned, Decommission, "first", "Scanned"));
    main.Send(MakeRecord(K::Success, Decommission, "first", "Success", "1"));
    EXPECT_EQ(LiveRecordCounter::Live(), baseline + 1);
    ShowWindow(main.Window(), SW_HIDE);  // filling a list on screen takes minutes under Wine
    for (int i = main.RowCount(); i < 10000; ++i) main.Send(MakeRecord(K::Scanned, Decommission, std::to_string(i), "Scanned"));
    ASSERT_EQ(main.RowCount(), 10000);
    EXPECT_EQ(main.Cell(9999, 3), "Decommission Mode On");
    long before = LiveRecordCounter::Live();
    main.Send(MakeRecord(K::Scanned, Decommission, "newest", "Scanned"));
    EXPECT_EQ(main.RowCount(), 10000);
    EXPECT_EQ(main.Cell(0, 3), "0104150123456782" "21newest");
    EXPECT_EQ(LiveRecordCounter::Live(), before + 1) << "the oldest row was a log row: nothing freed";
    main.Send(MakeRecord(K::Scanned, Decommission, "newer", "Scanned"));
    EXPECT_EQ(LiveRecordCounter::Live(), before + 1) << "the oldest record went with its row";
    EXPECT_EQ(main.RowRecord(9999)->key, "2");
    main.End();
    EXPECT_EQ(LiveRecordCounter::Live(), baseline) << "closing the list frees every record";
}

TEST_F(ResultsList, RecordShownInAPopUpOutlivesItsReplacementAndTrim)
{
    ScanResult* shown = MakeRecord(K::Failed, Decommission, "held", "Failed");
    shown->messageHeading = "Request failed due to COULDNT CONNECT";
    main.Post(shown);
    HWND popUp = WaitForPopUp("Product Decommission result");
    ASSERT_NE(popUp, nullptr);
    // A later result for the same key replaces the row's record...
    main.Send(MakeRecord(K::Scanned, Decommission, "held", "Scanned"));
    EXPECT_EQ(main.Cell(0, 1), "Scanned");
    EXPECT_EQ(LiveRecordCounter::Live(), baseline + 2) << "the shown record waits for its pop-up";
    EXPECT_EQ(shown->messageHeading, "Request failed due to COULDNT CONNECT");
    // ...and the trim takes the row away altogether.
    ShowWindow(main.Window(), SW_HIDE);  // filling a list on screen takes minutes under Wine
    for (int i = 0; i < 10000; ++i) main.Send(MakeRecord(K::Scanned, Decommission, std::to_string(i), "Scanned"));
    EXPECT_EQ(main.RowCount(), 10000);
    EXPECT_EQ(shown->key, "held");
    Close(popUp);
    EXPECT_EQ(LiveRecordCounter::Live(), baseline + 10000);
}

TEST_F(ResultsList, RecordsStillQueuedWhenTheWindowGoesAreNeverUsed)
{
    for (int i = 0; i < 50; ++i) main.Send(MakeRecord(K::Scanned, Decommission, std::to_string(i), "Scanned"));
    HWND list = main.List();
    // Queue records behind the end of the dialog: they are never dispatched.
    PostMessageA(main.Window(), TestMainDialog::WM_END_TEST, 0, 0);
    for (int i = 0; i < 20; ++i) PostScanResult(list, MakeRecord(K::Scanned, Decommission, "late" + std::to_string(i), "Scanned"));
    main.End();
    EXPECT_FALSE(IsWindow(list));
    long leaked = LiveRecordCounter::Live() - baseline;
    EXPECT_GE(leaked, 0);
    EXPECT_LE(leaked, 20) << "only records that never reached the list may be left";
    PostScanResult(list, MakeRecord(K::Scanned, Decommission, "after", "Scanned"));
    EXPECT_EQ(LiveRecordCounter::Live() - baseline, leaked) << "a post to a gone window frees the record";
}
