// Where the Check a delivery window's controls go: sized to the texts they
// hold in the language shown and to the screen's dots per inch, the heading
// wrapped onto a second line rather than cut.
#pragma once
#include <windows.h>

// Places every control of the window for a client area of cx by cy pixels.
void LayOutDeliveryWindow(HWND window, int cx, int cy);
// The least client area in which no control overlaps another.
SIZE LeastDeliveryClientSize(HWND window);
// Shrinks the window to the screen's work area when it is larger, centred.
void FitDeliveryWindowToScreen(HWND window);
