// What the product pop-up and the message box share as windows: the white
// background, the minimum tracking size and the application icon.
#pragma once
#include <windows.h>

constexpr int kPopUpMinWidth = 500;
constexpr int kPopUpMinHeight = 200;

void SetApplicationIcon(HWND window, HICON icon);
// Paints the whole client area white for WM_ERASEBKGND and answers it in the
// dialog's result; false for any other message.
bool EraseToWhite(HWND window, UINT message, WPARAM wParam);
// The white brush of the program's windows, for WM_CTLCOLOR* answers.
HBRUSH WhiteBrush();
// Handles WM_ERASEBKGND and WM_GETMINMAXINFO as both boxes do; true when
// `message` was one of them (the dialog procedure then answers TRUE).
bool HandlePopUpWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
