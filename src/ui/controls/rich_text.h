// The read-only rich-text area of the pop-up and the message box, filled run
// by run.
#pragma once
#include <windows.h>
#include <richedit.h>

#include "ui/controls/text_runs.h"

class RichTextArea {
public:
    RichTextArea() = default;
    RichTextArea(const RichTextArea&) = delete;
    RichTextArea& operator=(const RichTextArea&) = delete;

    // Child control 0 of `dialog`: multi-line, vertical scroll bar, scrolling
    // by itself, read-only, not yet visible, no font of its own.
    bool Create(HWND dialog, const RECT& rect);
    HWND Handle() const { return m_hWnd; }
    void Destroy();

    // Appends the run at the end. Inserted text starts from the format the
    // control had when it was created (it never takes on the previous run's
    // look); then the run's colour, the switches it turns on, its face and
    // its size are applied to it, and nothing else.
    void Append(const TextRun& run);

private:
    HWND m_hWnd = nullptr;
    CHARFORMAT2A m_base{};
};
