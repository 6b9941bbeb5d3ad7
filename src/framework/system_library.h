// System DLLs from the system folder only: the program's own folder and the
// download folder that installers run from are the user's to write to.
#pragma once
#include <windows.h>

// From here on, a DLL loaded by name is looked for in the system folder only.
// False where Windows cannot be told so (Windows 7 without its update).
bool RestrictDllSearchToSystemFolder();

// The system DLL `name` from the system folder, whatever the search order.
HMODULE LoadSystemLibrary(const char* name);
