// The results list in the real main window: rows from posted records, their
// colours through the custom-draw answer, alerts with the product pop-up,
// replacing, trimming and freeing records, also while a pop-up shows one.
#include <gtest/gtest.h>

#include <cstdlib>

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

    MainDialogFixture main{{"PHARM01", "s3cret", "0", "", ""}};
    long baseline = 0;
};

// Put in front of the list view: refuses every new row (LVM_INSERTITEM gives -1).
WNDPROC g_listProc = nullptr;
LRESULT CALLBACK RefuseNewRows(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == LVM_INSERTITEMA ? -1 : CallWindowProcA(g_listProc, window, message, wParam, lParam);
}

std::atomic<bool> g_guardNextRecord{false};
std::atomic<void*> g_guarded{nullptr};

void Release(void* block)
{
    DWORD old = 0;
    if (block && block == g_guarded) VirtualProtect(block, sizeof(ScanResult), PAGE_NOACCESS, &old);
    else std::free(block);
}

}  // namespace

// The record made while g_guardNextRecord is set gets a page of its own that
// its delete makes unreadable: freed memory that stays readable hides a use after free.
void* operator new(size_t size)
{
    if (size == sizeof(ScanResult) && g_guardNextRecord.exchange(false))
        return g_guarded = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }

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

// A column widens at once, so no text is ever cut, and narrows to its widest
// text once the rows have been still: not at each answer, which would make
// the columns jump twice a scan.
TEST_F(ResultsList, ColumnsWidenAtOnceAndNarrowOnceTheRowsAreStill)
{
    auto statusWidth = [&] { return static_cast<int>(SendMessageA(main.List(), LVM_GETCOLUMNWIDTH, 1, 0)); };
    main.Send(MakeRecord(K::Scanned, Decommission, "100", "Scanned"));
    const int scanned = statusWidth();
    main.Send(MakeRecord(K::Success, Decommission, "100", "Success", "1"));
    EXPECT_EQ(statusWidth(), scanned) << "narrowed at the answer";
    EXPECT_TRUE(WaitFor([&] { return statusWidth() < scanned; }, 5000)) << "never narrowed";
    const int success = statusWidth();
    main.Send(MakeRecord(K::Warning, Decommission, "101", "Decommissioned earlier at another pharmacy", "2"));
    EXPECT_GT(statusWidth(), scanned) << "widened at once";
    main.Send(MakeRecord(K::Success, Decommission, "101", "Success", "1"));
    EXPECT_TRUE(WaitFor([&] { return statusWidth() == success; }, 5000)) << "back to the widest text left";
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

// A refused row's record is freed at once: nothing may alert, pop up or scroll for it.
TEST_F(ResultsList, ARefusedRowIsFreedWithoutAlertOrPopUp)
{
    const int rows = main.RowCount();
    g_listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(main.List(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefuseNewRows)));
    g_guardNextRecord = true;
    main.Send(MakeRecord(K::Success, Verify, "refused", "Success", "1"));
    SetWindowLongPtrA(main.List(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
    EXPECT_EQ(LiveRecordCounter::Live(), baseline);
    EXPECT_EQ(main.Dialog().alerts, 0);
    EXPECT_EQ(main.RowCount(), rows);
    EXPECT_NE(main.Trace().find("Results list refused a row: Success 0104150123456782" "21refused"), std::string::npos);
}
