// The dialog framework in real windows: modal run and result, one-shot and
// repeating timers, subclassed controls with reflected owner-draw and notify
// messages, and thread objects that delete themselves.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>

#include "framework/control.h"
#include "framework/dialog.h"
#include "framework/win_thread.h"
#include "support/test_support.h"

namespace {

const int kTemplate = 200, kButton = 300, kList = 301;
const UINT_PTR kOnce = 1, kRepeat = 2;

class DrawnButton : public CControl {
public:
    int draws = 0;
    int clicksSeen = 0;
    bool OnReflected(UINT message, WPARAM, LPARAM, LRESULT& result) override
    {
        if (message != WM_DRAWITEM) return false;
        ++draws;
        result = TRUE;
        return true;
    }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_LBUTTONUP) ++clicksSeen;
        return Default(message, wParam, lParam);
    }
};

class NotifiedList : public CControl {
public:
    int insertNotices = 0;
    bool OnReflected(UINT message, WPARAM, LPARAM lParam, LRESULT&) override
    {
        if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_INSERTITEM) ++insertNotices;
        return false;
    }
};

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(kTemplate) {}
    DrawnButton button;
    NotifiedList list;
    int onceFired = 0, repeatFired = 0, commands = 0;

protected:
    BOOL OnInitDialog() override
    {
        button.Attach(m_hWnd, kButton);
        list.Attach(m_hWnd, kList);
        LVCOLUMNA column{};
        ListView_InsertColumn(list.Handle(), 0, &column);
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<char*>("row");
        SendMessageA(list.Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        SetOneShotTimer(kOnce, 10);
        SetTimer(m_hWnd, kRepeat, 20, nullptr);
        return TRUE;
    }
    void OnTimer(UINT_PTR id) override
    {
        if (id == kOnce) ++onceFired;
        if (id == kRepeat && ++repeatFired == 5) {
            // Click the button through the real window, then end.
            SendMessageA(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendMessageA(button.Handle(), WM_LBUTTONUP, 0, 0);
        }
    }
    bool OnCommand(int id, int notifyCode, HWND control) override
    {
        if (id == kButton) {
            ++commands;
            KillTimer(m_hWnd, kRepeat);
            EndDialog(42);
            return true;
        }
        return CDialog::OnCommand(id, notifyCode, control);
    }
};

class CountingThread : public CWinThread {
public:
    CountingThread(std::atomic<int>& runs, HANDLE destroyed) : m_runs(runs), m_destroyed(destroyed) {}
    ~CountingThread() override { SetEvent(m_destroyed); }

protected:
    int Run() override
    {
        ++m_runs;
        return 7;
    }

private:
    std::atomic<int>& m_runs;
    HANDLE m_destroyed;
};

}  // namespace

TEST(Framework, ModalDialogDispatchesTimersControlsAndCommands)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    TestDialog dialog;
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.onceFired, 1) << "a one-shot timer fires once";
    EXPECT_EQ(dialog.repeatFired, 5);
    EXPECT_GE(dialog.button.draws, 1) << "WM_DRAWITEM is reflected to the button object";
    EXPECT_EQ(dialog.button.clicksSeen, 1) << "the subclassed control sees its own messages";
    EXPECT_EQ(dialog.commands, 1);
    EXPECT_EQ(dialog.list.insertNotices, 1) << "WM_NOTIFY is reflected to the list object";
    EXPECT_EQ(dialog.button.Handle(), nullptr) << "detached when the window went";
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

TEST(Framework, MissingTemplateGivesMinusOne)
{
    CDialog missing(9999);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST(Framework, ThreadObjectsDeleteThemselvesWhenTheirThreadEnds)
{
    std::atomic<int> runs{0};
    std::vector<KernelHandle> destroyed;
    for (int i = 0; i < 20; ++i) {
        destroyed.emplace_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        auto* thread = new CountingThread(runs, destroyed.back().Get());
        ASSERT_TRUE(thread->CreateThread());
    }
    for (auto& event : destroyed) EXPECT_EQ(WaitForSingleObject(event.Get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(runs.load(), 20);
}
