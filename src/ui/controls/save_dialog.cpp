// The standard save dialog for the windows that save a file of their own.
#include "ui/controls/save_dialog.h"

#include <commdlg.h>

bool AskSavePath(HWND owner, const char* filter, const char* extension, std::string& path)
{
    char chosen[MAX_PATH] = "";
    path.copy(chosen, sizeof chosen - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = sizeof chosen;
    dialog.lpstrDefExt = extension;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&dialog)) return false;
    path = chosen;
    return true;
}
