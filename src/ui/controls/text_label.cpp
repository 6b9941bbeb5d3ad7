// CTextLabel painting.
#include "ui/controls/text_label.h"

#include "framework/win_handle.h"
#include "ui/controls/caption_font.h"

LRESULT CTextLabel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return TRUE;   // the parent's white shows through
    case WM_UPDATEUISTATE: return 0;   // keyboard cues change nothing here
    default: return Default(message, wParam, lParam);
    }
}

void CTextLabel::SetText(const std::string& text)
{
    m_strText = text;
    SetWindowTextA(m_hWnd, text.c_str());
    // The label does not erase itself: the parent's white must cover the old text.
    HWND parent = GetParent(m_hWnd);
    RECT area;
    GetWindowRect(m_hWnd, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    InvalidateRect(parent, &area, TRUE);
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTextLabel::Paint()
{
    PaintDC dc(m_hWnd);
    SelectedObject font(dc.Get(), CaptionFont());
    SetBkMode(dc.Get(), OPAQUE);
    SetBkColor(dc.Get(), m_background);
    if (m_strText.empty()) {
        char text[1024] = "";
        GetWindowTextA(m_hWnd, text, sizeof text);
        m_strText = text;
    }
    RECT bounds;
    GetClientRect(m_hWnd, &bounds);
    bool right = (GetWindowLongPtrA(m_hWnd, GWL_STYLE) & SS_TYPEMASK) == SS_RIGHT;
    SetTextColor(dc.Get(), m_colour);
    DrawTextA(dc.Get(), m_strText.c_str(), -1, &bounds, DT_WORDBREAK | (right ? DT_RIGHT : DT_LEFT));
}
