// The colour state of an owner-drawn button: base colour and its hover and
// pressed shades, highlight, flashing, and the mouse over it. The window class
// only paints, tracks the mouse and runs the flash timer. Portable.
#pragma once
#include "ui/controls/text_runs.h"

class ButtonColours {
public:
    ButtonColours() { SetColor(255, 255, 255); }

    void SetColor(int r, int g, int b);
    void Highlight(int r, int g, int b);
    void Unhighlight();
    // Starts flashing: the caller starts its timer with kFirstFlashMs. False
    // when a flash already runs: it goes on as it is, since restarted in its
    // flash colour it would take that colour for the button's own.
    bool Flash(int r, int g, int b, unsigned periodMs);
    // The flash timer fired: switches colour; returns the next interval.
    unsigned FlashTick();
    // True when the caller must stop its flash timer.
    bool StopFlash();

    // The mouse: MouseMove returns true when the mouse has just come over the
    // button (the caller repaints and asks to be told when it leaves).
    bool MouseMove();
    void MouseLeave() { m_bHover = false; }
    void ButtonDown() { m_bPressed = true; }
    void ButtonUp() { m_bPressed = false; }
    // Pressed wins over hover: a button held down keeps its pressed shade even
    // while the mouse is off it.
    RunColour FillColour() const;

    static constexpr unsigned kFirstFlashMs = 100;

    RunColour m_color, m_hoverColor, m_pressedColor, m_savedColor, m_flashColor;
    RunColour m_textColor{0, 0, 0};
    unsigned m_flashPeriod = 0;
    bool m_bFlashing = false;  // stays set after StopFlash
    bool m_bFlashRunning = false;
    bool m_bHighlighted = false;
    bool m_bHover = false;
    bool m_bPressed = false;

private:
    void SetColor(RunColour colour) { SetColor(colour.r, colour.g, colour.b); }
};
