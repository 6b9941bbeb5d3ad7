// The program's own controls on a real dialog: the pixels of owner-drawn
// buttons as the mouse, Highlight and Flash change them, where captions,
// frames and labels are drawn, and a tooltip call without text.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "framework/dialog.h"
#include "framework/win_handle.h"
#include "support/modal_run.h"
#include "ui/controls/color_button.h"
#include "ui/controls/frame_panel.h"
#include "ui/controls/text_label.h"
#include "ui/controls/tooltip.h"

namespace {

constexpr int IDD_CONTROLS_TEST = 201;
constexpr UINT WM_RUN = WM_APP + 70;

class ControlsDialog : public CDialog {
public:
    ControlsDialog() : CDialog(IDD_CONTROLS_TEST) {}
    // Runs `step` on the dialog's thread (timers belong to it).
    void Run(std::function<void()> step) { SendMessageA(m_hWnd, WM_RUN, 0, reinterpret_cast<LPARAM>(&step)); }

    CColorButton twoLine, plain;
    CFramePanel frame;
    CTextLabel right, wrapped;

protected:
    BOOL OnInitDialog() override
    {
        twoLine.Attach(m_hWnd, 310);
        plain.Attach(m_hWnd, 311);
        frame.Attach(m_hWnd, 312);
        right.Attach(m_hWnd, 313);
        wrapped.Attach(m_hWnd, 314);
        return TRUE;
    }
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_RUN) return CDialog::DialogProc(message, wParam, lParam);
        (*reinterpret_cast<std::function<void()>*>(lParam))();
        return TRUE;
    }
};

COLORREF PixelAt(HWND window, int x, int y)
{
    WindowDC dc(window);
    return GetPixel(dc.Get(), x, y);
}

SIZE ClientSize(HWND window)
{
    RECT rect;
    GetClientRect(window, &rect);
    return {rect.right, rect.bottom};
}

bool Dark(COLORREF colour) { return GetRValue(colour) < 100 && GetGValue(colour) < 100 && GetBValue(colour) < 100; }

// Which rows (or columns) of the window's inside, 2 pixels in from each
// edge so that borders do not count, hold a dark pixel.
std::vector<bool> DarkLines(HWND window, bool rows)
{
    SIZE size = ClientSize(window);
    WindowDC dc(window);
    int lines = rows ? size.cy : size.cx, across = rows ? size.cx : size.cy;
    std::vector<bool> dark(lines, false);
    for (int line = 2; line < lines - 2; ++line)
        for (int at = 2; at < across - 2 && !dark[line]; ++at)
            dark[line] = Dark(GetPixel(dc.Get(), rows ? at : line, rows ? line : at));
    return dark;
}

// The first and the last dark line; -1 when there is none.
int First(const std::vector<bool>& lines)
{
    auto found = std::find(lines.begin(), lines.end(), true);
    return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}
int Last(const std::vector<bool>& lines)
{
    auto found = std::find(lines.rbegin(), lines.rend(), true);
    return found == lines.rend() ? -1 : static_cast<int>(lines.rend() - found) - 1;
}

int Runs(const std::vector<bool>& lines)
{
    int runs = 0;
    for (size_t i = 0; i < lines.size(); ++i) runs += lines[i] && (i == 0 || !lines[i - 1]);
    return runs;
}

// Waits until the pixel has `colour`; returns the milliseconds waited, or -1.
int WaitForPixel(HWND window, POINT at, COLORREF colour, DWORD timeoutMs)
{
    ULONGLONG start = GetTickCount64();
    bool seen = WaitFor([&] { return PixelAt(window, at.x, at.y) == colour; }, timeoutMs);
    return seen ? static_cast<int>(GetTickCount64() - start) : -1;
}

void MoveCursorOver(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    SetCursorPos(point.x, point.y);
}

TEST(OwnerDrawn, ButtonShadesFollowTheMouseHighlightAndFlash)
{
    ControlsDialog dialog;
    ModalRun run(dialog);
    HWND button = dialog.plain.Handle();
    ASSERT_TRUE(button);
    SIZE size = ClientSize(button);
    POINT inside{size.cx - 3, size.cy - 3};  // clear of the centred caption
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
    MoveCursorOver(dialog.GetSafeHwnd(), 1, 1);

    ASSERT_GE(WaitForPixel(button, inside, white, 3000), 0) << "a fresh button is white";
    EXPECT_EQ(PixelAt(button, 0, 0), black) << "square corner";
    EXPECT_EQ(PixelAt(button, 0, size.cy / 2), black);
    EXPECT_EQ(PixelAt(button, size.cx - 1, size.cy / 2), black);
    EXPECT_EQ(PixelAt(button, size.cx / 2, size.cy - 1), black);

    MoveCursorOver(button, size.cx / 2, size.cy / 2);
    EXPECT_GE(WaitForPixel(button, inside, RGB(229, 229, 229), 3000), 0) << "hover shade";
    LPARAM centre = MAKELPARAM(size.cx / 2, size.cy / 2);
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    EXPECT_GE(WaitForPixel(button, inside, RGB(199, 199, 199), 3000), 0) << "pressed shade";
    MoveCursorOver(dialog.GetSafeHwnd(), 1, 1);
    Sleep(700);  // a leave report would have arrived by now
    EXPECT_EQ(PixelAt(button, inside.x, inside.y), RGB(199, 199, 199)) << "pressed stays while the mouse is off";
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(-50, -50));
    EXPECT_GE(WaitForPixel(button, inside, white, 3000), 0) << "released off the button";

    dialog.Run([&] { dialog.plain.Highlight(200, 230, 200); });
    EXPECT_GE(WaitForPixel(button, inside, RGB(200, 230, 200), 3000), 0);
    dialog.Run([&] { dialog.plain.Unhighlight(); dialog.plain.Unhighlight(); });
    EXPECT_GE(WaitForPixel(button, inside, white, 3000), 0) << "a second Unhighlight keeps it white";

    dialog.Run([&] { dialog.plain.Flash(255, 220, 220, 800); });
    int first = WaitForPixel(button, inside, RGB(255, 220, 220), 3000);
    EXPECT_GE(first, 50) << "the first switch comes after 100 ms";
    EXPECT_LE(first, 700);
    int back = WaitForPixel(button, inside, white, 3000);
    EXPECT_GE(back, 500) << "then every 800 ms";
    int again = WaitForPixel(button, inside, RGB(255, 220, 220), 3000);
    EXPECT_GE(again, 500);
    dialog.Run([&] { dialog.plain.StopFlash(); });
    EXPECT_GE(WaitForPixel(button, inside, white, 3000), 0);
    Sleep(1000);
    EXPECT_EQ(PixelAt(button, inside.x, inside.y), white) << "no switch after StopFlash";
}

TEST(OwnerDrawn, CaptionsFramesAndLabelsAreDrawnWhereTheyBelong)
{
    ControlsDialog dialog;
    ModalRun run(dialog);
    HWND twoLine = dialog.twoLine.Handle(), frame = dialog.frame.Handle();
    ASSERT_TRUE(twoLine && frame);
    MoveCursorOver(dialog.GetSafeHwnd(), 1, 1);
    ASSERT_TRUE(WaitFor([&] { return Runs(DarkLines(twoLine, true)) == 2; }, 3000)) << "\"Verify\" and \"Mode\"";
    std::vector<bool> rows = DarkLines(twoLine, true);
    SIZE button = ClientSize(twoLine);
    EXPECT_LE(First(rows), 8) << "the caption starts at the top";
    EXPECT_LT(Last(rows), button.cy * 2 / 3) << "not centred vertically";

    SIZE panel = ClientSize(frame);
    EXPECT_GE(WaitForPixel(frame, {panel.cx - 3, 6}, RGB(0, 0, 0), 3000), 0) << "the top edge runs 6 pixels down";
    EXPECT_EQ(PixelAt(frame, 0, panel.cy / 2), RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(frame, panel.cx / 2, panel.cy / 2), RGB(255, 255, 255));
    int broken = 0;
    for (int x = 8; x < 14; ++x) broken += PixelAt(frame, x, 6) != RGB(0, 0, 0);
    EXPECT_GT(broken, 0) << "the caption interrupts the top edge";

    std::vector<bool> columns = DarkLines(dialog.right.Handle(), false);
    int width = ClientSize(dialog.right.Handle()).cx;
    EXPECT_GT(Last(columns), width - 8) << "right-aligned";
    EXPECT_GT(First(columns), width / 3);
    EXPECT_GE(Runs(DarkLines(dialog.wrapped.Handle(), true)), 2) << "wrapped at the control's width";
}

TEST(ToolTip, WithoutTextNoWindowIsMade)
{
    ControlsDialog dialog;
    ModalRun run(dialog);
    auto tooltips = [] {
        int count = 0;
        EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM found) {
            char name[64] = "";
            GetClassNameA(window, name, sizeof name);
            *reinterpret_cast<int*>(found) += lstrcmpiA(name, "tooltips_class32") == 0;
            return TRUE;
        }, reinterpret_cast<LPARAM>(&count));
        return count;
    };
    EXPECT_EQ(CreateToolTip(310, dialog.GetSafeHwnd(), "Title", nullptr), nullptr);
    EXPECT_EQ(CreateToolTip(0, dialog.GetSafeHwnd(), "Title", "Text"), nullptr);
    EXPECT_EQ(tooltips(), 0);
    HWND tip = CreateToolTip(310, dialog.GetSafeHwnd(), "Title", "Text");
    EXPECT_NE(tip, nullptr);
    EXPECT_EQ(tooltips(), 1);
    DestroyWindow(tip);
}

}  // namespace
