// The program's push button: a flat filled rectangle with a square black
// border whose shade follows the mouse, and which can be highlighted or made
// to flash. Attached by id to a button of a dialog template, which it makes
// owner-drawn and then draws.
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

    bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    void OnAttached() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Repaint();
    void Draw();
    HFONT FittingFont(HDC dc, const char* caption, const RECT& room) const;
    void OnFlashTimer();
    void TrackLeave();

    ButtonColours m_colours;
};
