// White background, minimum size and icon of the pop-ups.
#include "ui/controls/popup_window.h"

#include "framework/win_handle.h"

void SetApplicationIcon(HWND window, HICON icon)
{
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

HBRUSH WhiteBrush()
{
    static const BrushHandle white(CreateSolidBrush(RGB(255, 255, 255)));
    return white.Get();
}

bool EraseToWhite(HWND window, UINT message, WPARAM wParam)
{
    if (message != WM_ERASEBKGND) return false;
    RECT client;
    GetClientRect(window, &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, WhiteBrush());
    SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
    return true;
}

bool HandlePopUpWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (EraseToWhite(window, message, wParam)) return true;
    if (message == WM_GETMINMAXINFO) {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {kPopUpMinWidth, kPopUpMinHeight};
        return true;
    }
    return false;
}
