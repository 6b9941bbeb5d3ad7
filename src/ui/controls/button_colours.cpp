// Button colour arithmetic and the highlight and flash rules.
#include "ui/controls/button_colours.h"

#include <cstdint>

namespace {
RunColour Shade(int r, int g, int b, int factor)
{
    return {static_cast<uint8_t>(r * factor / 256), static_cast<uint8_t>(g * factor / 256),
            static_cast<uint8_t>(b * factor / 256)};
}
}  // namespace

void ButtonColours::SetColor(int r, int g, int b)
{
    m_color = {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
    m_hoverColor = Shade(r, g, b, 230);
    m_pressedColor = Shade(r, g, b, 200);
}

void ButtonColours::Highlight(int r, int g, int b)
{
    StopFlash();
    m_bHighlighted = true;
    m_savedColor = m_color;
    SetColor(r, g, b);
}

void ButtonColours::Unhighlight()
{
    if (m_bHighlighted) SetColor(m_savedColor);
}

bool ButtonColours::Flash(int r, int g, int b, unsigned periodMs)
{
    if (m_bFlashRunning) return false;
    Unhighlight();
    m_savedColor = m_color;
    m_flashColor = {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
    m_flashPeriod = periodMs;
    m_bFlashing = m_bFlashRunning = true;
    return true;
}

unsigned ButtonColours::FlashTick()
{
    SetColor(m_color == m_flashColor ? m_savedColor : m_flashColor);
    return m_flashPeriod;
}

bool ButtonColours::StopFlash()
{
    if (!m_bFlashing) return false;
    m_bFlashRunning = false;
    SetColor(m_savedColor);
    return true;
}

bool ButtonColours::MouseMove()
{
    if (m_bHover) return false;
    m_bHover = true;
    return true;
}

RunColour ButtonColours::FillColour() const
{
    if (m_bPressed) return m_pressedColor;
    return m_bHover ? m_hoverColor : m_color;
}
