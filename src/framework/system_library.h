// System DLLs from the system folder only: the program's own folder and the
// download folder that installers run from are the user's to write to.
#pragma once
#include <windows.h>

// From here on, a DLL loaded by name is looked for in the system folder only.
// False where Windows cannot be told so (Windows 7 without its update).
bool RestrictDllSearchToSystemFolder();

// The system DLL `name` from the system folder, whatever the search order.
HMODULE LoadSystemLibrary(const char* name);

// A system DLL that is not linked at load time (the loader would look for it
// in the program's folder first), loaded by full path from the system folder
// on construction. It stays loaded for the life of the process: its functions
// may still run on other threads (a sound playing) when this owner ends.
class SystemLibrary {
public:
    explicit SystemLibrary(const char* name) : m_module(LoadSystemLibrary(name)) {}
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The function `name` as type `Function`; null when the DLL or the
    // function is missing.
    template <typename Function>
    Function Get(const char* name) const
    {
        if (!m_module) return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
    }

private:
    HMODULE m_module;
};
