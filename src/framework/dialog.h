// Modal dialogs from .rc templates. Each dialog class handles its messages in
// one place, DialogProc, and falls through to CDialog::DialogProc for the rest;
// WM_COMMAND arrives in OnCommand as the control id.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/win_handle.h"

// The whole text of the dialog's control `id`, however long.
std::string DialogItemText(HWND dialog, int id);

class CDialog {
public:
    CDialog(int templateId, HWND parent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until EndDialog; returns its result, or -1 when the
    // dialog could not be created.
    INT_PTR DoModal();
    // Creates the dialog as a modeless window owned by `owner`, run by the
    // loop that is already running; false when it could not be created. It
    // ends with DestroyWindow, not EndDialog. Its keys (Tab, Escape) work as
    // in a modal dialog: that loop hands them to it.
    bool CreateModeless(HWND owner);
    void EndDialog(INT_PTR result);
    HWND GetSafeHwnd() const { return m_hWnd; }

    // A timer that fires once: it is killed before OnTimer sees it.
    void SetOneShotTimer(UINT_PTR id, UINT milliseconds);

protected:
    // Return TRUE when the message was handled, as a dialog procedure does.
    virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnInitDialog() { return TRUE; }
    // Returns true when the command was handled. IDOK and IDCANCEL end the
    // dialog unless a derived class handles them.
    virtual bool OnCommand(int id, int notifyCode, HWND control);
    virtual void OnTimer(UINT_PTR) {}

    HWND m_hWnd = nullptr;
    HWND m_hParent;

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    int m_templateId;
    HookHandle m_keyRoute;  // while a modeless window exists
    std::vector<UINT_PTR> m_oneShotTimers;
};

// For a message loop of its own (one that waits on something else): gives a
// dialog's keys their meaning there, Tab, Enter and Escape, as the dialog's
// modal loop does. True when the message was handled and must not be dispatched.
bool RouteDialogMessage(MSG& msg);
