// The message box on the system's MessageBox.
#include "ui/controls/message_box.h"

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, MessageBoxButtons buttons)
{
    UINT style = buttons == MessageBoxButtons::OkCancel ? MB_OKCANCEL : buttons == MessageBoxButtons::YesNo ? MB_YESNO : MB_OK;
    if (!owner) style |= MB_SETFOREGROUND | MB_TOPMOST;
    return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}
