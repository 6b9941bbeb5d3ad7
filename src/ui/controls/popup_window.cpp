// White background, minimum size and icon of the pop-ups.
#include "ui/controls/popup_window.h"

#include "framework/win_handle.h"

void SetApplicationIcon(HWND window, HICON icon)
{
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

bool HandlePopUpWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        static const BrushHandle white(CreateSolidBrush(RGB(255, 255, 255)));
        FillRect(reinterpret_cast<HDC>(wParam), &client, white.Get());
        SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
        return true;
    }
    if (message == WM_GETMINMAXINFO) {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {kPopUpMinWidth, kPopUpMinHeight};
        return true;
    }
    return false;
}
