// The program's message box. For now the system's modal box; it blocks the
// calling thread until the user closes it.
#pragma once
#include <string>

#include "core/main_window_facade.h"

// Owned by the main window when there is one. Returns 1 when the user pressed
// "&Ok" or "&Yes", 0 otherwise.
int ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons);
