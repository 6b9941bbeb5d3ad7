// CFramePanel painting.
#include "ui/controls/frame_panel.h"

#include <string>

#include "framework/win_handle.h"
#include "ui/controls/caption_font.h"

namespace {
constexpr int kEdgeInset = 6;       // the frame runs through the caption's middle
constexpr int kCaptionWeight = 900;

// The caption font at weight 900, or null when there is no caption font.
HFONT HeavyCaptionFont()
{
    HFONT base = CaptionFont();
    LOGFONTA description{};
    if (!base || !GetObjectA(base, sizeof description, &description)) return nullptr;
    description.lfWeight = kCaptionWeight;
    return CreateFontIndirectA(&description);
}
}  // namespace

void CFramePanel::OnAttached()
{
    SetWindowLongPtrA(m_hWnd, GWL_STYLE, GetWindowLongPtrA(m_hWnd, GWL_STYLE) | WS_CLIPSIBLINGS);
    SetWindowPos(m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CFramePanel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_UPDATEUISTATE: return 0;  // keyboard cues change nothing here
    default: return Default(message, wParam, lParam);
    }
}

void CFramePanel::Paint()
{
    PaintDC dc(m_hWnd);
    FontHandle font(HeavyCaptionFont());
    SelectedObject selectedFont(dc.Get(), font.Get());
    RECT bounds;
    GetClientRect(m_hWnd, &bounds);
    BrushHandle brush(CreateSolidBrush(m_background));
    FillRect(dc.Get(), &bounds, brush.Get());
    SelectedObject selectedBrush(dc.Get(), brush.Get());
    SelectedObject selectedPen(dc.Get(), GetStockObject(BLACK_PEN));
    Rectangle(dc.Get(), bounds.left, bounds.top + kEdgeInset, bounds.right, bounds.bottom - kEdgeInset);

    char text[256] = "";
    GetWindowTextA(m_hWnd, text, sizeof text);
    std::string caption = std::string(" ") + text + " ";
    RECT place{bounds.left + kEdgeInset, bounds.top, bounds.right - kEdgeInset, bounds.bottom};
    SetBkMode(dc.Get(), OPAQUE);
    SetBkColor(dc.Get(), m_background);
    SetTextColor(dc.Get(), RGB(0, 0, 0));
    DrawTextA(dc.Get(), caption.c_str(), -1, &place, DT_SINGLELINE | DT_LEFT | DT_TOP);
}
