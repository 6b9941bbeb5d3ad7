// A group box drawn flat: white inside, a thin black frame, and the caption in
// a heavy weight of the caption font breaking the frame's top edge.
#pragma once
#include "framework/control.h"

class CFramePanel : public CControl {
protected:
    // Puts the frame below its siblings and clips them out, so that its white
    // fill never covers the controls inside it.
    void OnAttached() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();

    COLORREF m_background = RGB(255, 255, 255);
};
