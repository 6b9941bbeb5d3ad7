// CColorButton: colour operations, the mouse shades, the flash timer and the
// drawing.
#include "ui/controls/color_button.h"

#include "framework/win_handle.h"
#include "ui/controls/caption_font.h"

namespace {

constexpr UINT_PTR kFlashTimer = 1;
constexpr int kCaptionMargin = 4;

COLORREF ToColorRef(RunColour colour) { return RGB(colour.r, colour.g, colour.b); }

}  // namespace

void CColorButton::OnAttached()
{
    // Owner-drawn from the start: the button decides how to paint before its
    // first background erase, so a later switch would leave that first paint
    // in the platform's look.
    SetWindowLongPtrA(m_hWnd, GWL_STYLE, GetWindowLongPtrA(m_hWnd, GWL_STYLE) | BS_OWNERDRAW);
    Repaint();
}

void CColorButton::Repaint()
{
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CColorButton::SetColor(int r, int g, int b)
{
    m_colours.SetColor(r, g, b);
    Repaint();
}

void CColorButton::Highlight(int r, int g, int b)
{
    if (m_hWnd && m_colours.m_bFlashing) KillTimer(m_hWnd, kFlashTimer);
    m_colours.Highlight(r, g, b);
    Repaint();
}

void CColorButton::Unhighlight()
{
    m_colours.Unhighlight();
    Repaint();
}

void CColorButton::Flash(int r, int g, int b, unsigned periodMs)
{
    if (!m_colours.Flash(r, g, b, periodMs)) return;
    if (m_hWnd) SetTimer(m_hWnd, kFlashTimer, ButtonColours::kFirstFlashMs, nullptr);
    Repaint();
}

void CColorButton::StopFlash()
{
    if (!m_colours.StopFlash()) return;
    if (m_hWnd) KillTimer(m_hWnd, kFlashTimer);
    Repaint();
}

void CColorButton::OnFlashTimer()
{
    KillTimer(m_hWnd, kFlashTimer);
    unsigned next = m_colours.FlashTick();
    Repaint();
    SetTimer(m_hWnd, kFlashTimer, next, nullptr);
}

void CColorButton::TrackLeave()
{
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, HOVER_DEFAULT};
    TrackMouseEvent(&track);
}

LRESULT CColorButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        if (m_colours.MouseMove()) {
            Repaint();
            TrackLeave();
        }
        break;
    case WM_MOUSELEAVE:
        m_colours.MouseLeave();
        Repaint();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        if (message == WM_LBUTTONDOWN) m_colours.ButtonDown(); else m_colours.ButtonUp();
        Repaint();
        break;
    case WM_TIMER:
        if (wParam != kFlashTimer) break;
        OnFlashTimer();
        return 0;
    default: break;
    }
    return Default(message, wParam, lParam);
}

bool CColorButton::OnReflected(UINT message, WPARAM, LPARAM, LRESULT& result)
{
    if (message != WM_DRAWITEM) return false;
    Draw();
    result = TRUE;
    return true;
}

HFONT CColorButton::FittingFont(HDC dc, const char* caption, const RECT& room) const
{
    // The caption font is a tenth larger than the dialog's: where a caption
    // would not fit in it, the button's own font keeps it whole.
    HFONT font = CaptionFont();
    auto own = reinterpret_cast<HFONT>(SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    if (!font || !own) return font ? font : own;
    SelectedObject selected(dc, font);
    RECT needed = room;
    DrawTextA(dc, caption, -1, &needed, DT_CALCRECT);
    return needed.right - needed.left <= room.right - room.left ? font : own;
}

void CColorButton::Draw()
{
    // The button's own surface rather than the request's: the request's
    // context is clipped to what the platform thinks changed.
    COLORREF fill = ToColorRef(m_colours.FillColour());
    WindowDC dc(m_hWnd);
    RECT bounds;
    GetClientRect(m_hWnd, &bounds);
    char caption[256] = "";
    GetWindowTextA(m_hWnd, caption, sizeof caption);
    RECT text{bounds.left + kCaptionMargin, bounds.top, bounds.right - kCaptionMargin, bounds.bottom};

    BrushHandle brush(CreateSolidBrush(fill));
    PenHandle pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    SelectedObject font(dc.Get(), FittingFont(dc.Get(), caption, text));
    SelectedObject selectedBrush(dc.Get(), brush.Get());
    SelectedObject selectedPen(dc.Get(), pen.Get());
    SetBkColor(dc.Get(), fill);
    SetBkMode(dc.Get(), OPAQUE);

    RegionHandle region(CreateRoundRectRgn(bounds.left, bounds.top, bounds.right, bounds.bottom, 0, 0));
    FillRgn(dc.Get(), region.Get(), brush.Get());
    SetTextColor(dc.Get(), ToColorRef(m_colours.m_textColor));
    DrawTextA(dc.Get(), caption, -1, &text, DT_CENTER | DT_TOP);
    // The frame last: the caption's opaque cell, at the top, would cut it.
    SelectedObject hollow(dc.Get(), GetStockObject(NULL_BRUSH));
    RoundRect(dc.Get(), bounds.left, bounds.top, bounds.right, bounds.bottom, 0, 0);
}
