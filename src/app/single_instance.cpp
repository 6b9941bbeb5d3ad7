// The single-instance search over the desktop's top-level windows.
#include "app/single_instance.h"

#include "app/instance_rules.h"

namespace {

BOOL CALLBACK CheckWindow(HWND window, LPARAM found) noexcept
{
    char title[512] = "";
    GetWindowTextA(window, title, sizeof title);
    if (!IsInstanceTitle(title)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

HWND FindRunningInstance()
{
    HWND found = nullptr;
    EnumWindows(&CheckWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void BringInstanceForward(HWND window)
{
    const UINT keepPlace = SWP_NOMOVE | SWP_NOSIZE;
    ShowWindow(window, SW_SHOWNORMAL);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, keepPlace);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, keepPlace);
    SetForegroundWindow(window);
    SetFocus(window);
    SetActiveWindow(window);
}
