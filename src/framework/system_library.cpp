// Restricting the DLL search and loading system DLLs by full path.
#include "framework/system_library.h"

#include <string>

bool RestrictDllSearchToSystemFolder()
{
    // Looked up: a Windows 7 without KB2533623 has no such function, and a
    // program importing it would not start there.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto restrict = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    return restrict && restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name)
{
    char folder[MAX_PATH] = "";
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) return nullptr;
    return LoadLibraryExA((std::string(folder, length) + "\\" + name).c_str(), nullptr,
                          LOAD_WITH_ALTERED_SEARCH_PATH);
}
