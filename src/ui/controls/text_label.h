// A static text drawn by the program: black on white in the caption font,
// wrapped, right-aligned only when the static is. It reads its text once.
#pragma once
#include <string>

#include "framework/control.h"

class CTextLabel : public CControl {
public:
    // Replaces the text read from the template and repaints.
    void SetText(const std::string& text);
    // Black unless told otherwise (a warning above a sheet's fields).
    void SetColour(COLORREF colour) { m_colour = colour; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();

    COLORREF m_background = RGB(255, 255, 255);
    COLORREF m_colour = RGB(0, 0, 0);
    std::string m_strText;
};
