// The program's push button: keeps its colour state (base, highlight,
// flashing) and repaints when it changes. Attached by id to a button of a
// dialog template.
#pragma once
#include "framework/control.h"
#include "ui/controls/button_colours.h"

class CColorButton : public CControl {
public:
    void SetColor(int r, int g, int b);
    void Highlight(int r, int g, int b);
    void Unhighlight();
    void Flash(int r, int g, int b, unsigned periodMs);
    void StopFlash();

    const ButtonColours& Colours() const { return m_colours; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Repaint();

    ButtonColours m_colours;
};
