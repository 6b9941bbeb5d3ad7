// The program's message box. For now the system's modal box; it blocks the
// calling thread until the user closes it.
#pragma once
#include <windows.h>

#include <string>

enum class MessageBoxButtons { Ok, OkCancel, YesNo };

// Returns the id of the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, MessageBoxButtons buttons);
