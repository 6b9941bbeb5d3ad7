// The notification-area icon's record and the shell calls.
#include "ui/main/tray_icon.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kMaxTipChars = 62;
}

void TrayIcon::Attach(HWND owner)
{
    window = owner;
    icon = reinterpret_cast<HICON>(GetClassLongPtrA(owner, GCLP_HICON));
    char title[256] = "";
    GetWindowTextA(owner, title, sizeof title);
    tip.assign(title, std::min(std::strlen(title), kMaxTipChars));
}

NOTIFYICONDATAA TrayIcon::Record() const
{
    NOTIFYICONDATAA data{};
    // The first form of the record (88 bytes in a 32-bit build): every shell
    // version understands it, and the program needs nothing newer.
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_ICON | NIF_TIP | (callbackMessage != 0 ? NIF_MESSAGE : 0);
    data.uCallbackMessage = callbackMessage;
    data.hIcon = icon;
    std::strncpy(data.szTip, tip.c_str(), kMaxTipChars);
    return data;
}

bool TrayIcon::Notify(DWORD action) const
{
    NOTIFYICONDATAA data = Record();
    return Shell_NotifyIconA(action, &data) != FALSE;
}

void TrayIcon::Remove()
{
    if (!shown) return;
    Notify(NIM_DELETE);
    shown = false;
}
