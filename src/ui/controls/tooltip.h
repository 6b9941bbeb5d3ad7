// An information tooltip (title with the information icon, and a text) on one
// control of a dialog. The dialog owns it and destroys it with itself.
#pragma once
#include <windows.h>

// Returns the tooltip window, or null when no text is given, the dialog or
// the control does not exist, or no window could be made.
HWND CreateToolTip(int controlId, HWND dialog, const char* title, const char* text);
