// The program's message box (dialog 145): a white, resizable box with rich
// text (an optional bold, underlined caption above the message) and the
// program's buttons. While it is open the main window stays top-most, so the
// box cannot be lost behind other windows. It may run on any thread.
#pragma once
#include <deque>
#include <string>

#include "core/main_window_facade.h"
#include "framework/dialog.h"
#include "ui/controls/color_button.h"
#include "ui/controls/rich_text.h"
#include "ui/controls/text_runs.h"

class CMessageBoxDialog : public CDialog {
public:
    // Without an owner the main window owns the box.
    explicit CMessageBoxDialog(HWND owner = nullptr);

    // Straight into the text area once it exists; queued before that.
    void AppendRun(const TextRun& run);
    HWND TextArea() const { return m_textArea.Handle(); }

    MessageBoxButtons m_buttons = MessageBoxButtons::Ok;
    // Captions in place of the buttons' own, when not empty.
    std::string m_strFirstButton, m_strSecondButton;
    std::string m_strCaption;
    bool m_bWasPinned = false;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout(int cx, int cy);
    void SetUpButtons();

    HICON m_hIcon;
    std::deque<TextRun> m_pending;
    RichTextArea m_textArea;
    CColorButton m_secondButton;
    CColorButton m_firstButton;
};

// Shows `text` (with `caption` as its first line when not empty) and returns
// once the box is closed: 1 for "&Ok" or "&Yes", 0 for "&Cancel", "&No",
// Escape or the close box.
int ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons);
// The same box owned by a window of the program's other than the main one
// (the History window), which stays disabled until it is answered.
int ShowOwnedMessageBox(HWND owner, const std::string& text, const std::string& caption, MessageBoxButtons buttons);
