// A control of a dialog, attached by id and subclassed with SetWindowSubclass
// (the object travels as the subclass's reference data and in a window
// property, so no lookup table is needed). Owner-draw and notify messages sent to the dialog are reflected to
// the control object through OnReflected.
#pragma once
#include <windows.h>

class CControl {
public:
    CControl() = default;
    virtual ~CControl();
    CControl(const CControl&) = delete;
    CControl& operator=(const CControl&) = delete;

    bool Attach(HWND dialog, int id);
    void Detach();
    HWND Handle() const { return m_hWnd; }

    // The control object subclassing `window`, or null.
    static CControl* FromHandle(HWND window);

    // WM_DRAWITEM or WM_NOTIFY addressed to this control; return true when
    // handled, with the message's result in `result`.
    virtual bool OnReflected(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

protected:
    // Called once the control is subclassed.
    virtual void OnAttached() {}
    // Messages to the control itself; end with Default for the rest.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
};
