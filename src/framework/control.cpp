// Control subclassing: attach, detach while the window is valid, dispatch.
#include "framework/control.h"

#include <commctrl.h>

namespace {
const UINT_PTR kSubclassId = 1;
// The window property that leads from a control's HWND to its object, for
// reflected messages (the subclass data itself cannot be read back portably).
const char kObjectProperty[] = "QuorvixControlObject";
}

CControl::~CControl() { Detach(); }

bool CControl::Attach(HWND dialog, int id)
{
    Detach();
    HWND window = GetDlgItem(dialog, id);
    if (!window) return false;
    if (!SetWindowSubclass(window, &CControl::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    SetPropA(window, kObjectProperty, this);
    m_hWnd = window;
    OnAttached();
    return true;
}

void CControl::Detach()
{
    if (m_hWnd && IsWindow(m_hWnd)) {
        RemoveWindowSubclass(m_hWnd, &CControl::SubclassProc, kSubclassId);
        RemovePropA(m_hWnd, kObjectProperty);
    }
    m_hWnd = nullptr;
}

CControl* CControl::FromHandle(HWND window)
{
    return window ? static_cast<CControl*>(GetPropA(window, kObjectProperty)) : nullptr;
}

LRESULT CControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return Default(message, wParam, lParam);
}

LRESULT CControl::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CControl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) noexcept
{
    auto* control = reinterpret_cast<CControl*>(data);
    if (message == WM_NCDESTROY) {
        // Unsubclass while the window is still valid, then forget it.
        RemoveWindowSubclass(window, &CControl::SubclassProc, kSubclassId);
        RemovePropA(window, kObjectProperty);
        control->m_hWnd = nullptr;
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return control->OnMessage(message, wParam, lParam);
}
