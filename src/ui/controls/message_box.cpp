// The message box on the system's MessageBox.
#include "ui/controls/message_box.h"

int ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons)
{
    HWND owner = nullptr;
    {
        RetirablePointer<MainWindowFacade>::Lease mainDialog(g_mainDialog);
        if (mainDialog) owner = mainDialog->MainWindow();
    }
    UINT style = buttons == MessageBoxButtons::OkCancel ? MB_OKCANCEL : buttons == MessageBoxButtons::YesNo ? MB_YESNO : MB_OK;
    if (!owner) style |= MB_SETFOREGROUND | MB_TOPMOST;
    int answer = MessageBoxA(owner, text.c_str(), caption.c_str(), style);
    return answer == IDOK || answer == IDYES ? 1 : 0;
}
