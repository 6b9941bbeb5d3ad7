// CColorButton: colour operations, repainting and the flash timer.
#include "ui/controls/color_button.h"

namespace {
constexpr UINT_PTR kFlashTimer = 1;
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
    m_colours.Flash(r, g, b, periodMs);
    if (m_hWnd) SetTimer(m_hWnd, kFlashTimer, ButtonColours::kFirstFlashMs, nullptr);
    Repaint();
}

void CColorButton::StopFlash()
{
    if (!m_colours.StopFlash()) return;
    if (m_hWnd) KillTimer(m_hWnd, kFlashTimer);
    Repaint();
}

LRESULT CColorButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kFlashTimer) {
        KillTimer(m_hWnd, kFlashTimer);
        unsigned next = m_colours.FlashTick();
        Repaint();
        SetTimer(m_hWnd, kFlashTimer, next, nullptr);
        return 0;
    }
    return Default(message, wParam, lParam);
}
