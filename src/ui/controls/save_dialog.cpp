// The standard save dialog for the windows that save a file of their own.
#include "ui/controls/save_dialog.h"

#include <commdlg.h>

bool AskSavePath(HWND owner, const std::string& kind, const char* extension, std::string& path)
{
    // Name and pattern, each ended by a NUL, and the list by the string's own.
    std::string filter = kind + '\0' + "*." + extension + '\0';
    char chosen[MAX_PATH] = "";
    path.copy(chosen, sizeof chosen - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = sizeof chosen;
    dialog.lpstrDefExt = extension;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&dialog)) return false;
    path = chosen;
    return true;
}
