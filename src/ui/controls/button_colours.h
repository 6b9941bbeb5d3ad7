// The colour state of an owner-drawn button: base colour and its hover and
// pressed shades, highlight, flashing. The window class only repaints and
// runs the flash timer. Portable.
#pragma once
#include "ui/controls/text_runs.h"

class ButtonColours {
public:
    ButtonColours() { SetColor(255, 255, 255); }

    void SetColor(int r, int g, int b);
    void Highlight(int r, int g, int b);
    void Unhighlight();
    // Starts flashing: the caller starts its timer with kFirstFlashMs.
    void Flash(int r, int g, int b, unsigned periodMs);
    // The flash timer fired: switches colour; returns the next interval.
    unsigned FlashTick();
    // True when the caller must stop its flash timer.
    bool StopFlash();

    static constexpr unsigned kFirstFlashMs = 100;

    RunColour m_color, m_hoverColor, m_pressedColor, m_savedColor, m_flashColor;
    RunColour m_textColor{0, 0, 0};
    unsigned m_flashPeriod = 0;
    bool m_bFlashing = false;
    bool m_bHighlighted = false;

private:
    void SetColor(RunColour colour) { SetColor(colour.r, colour.g, colour.b); }
};
