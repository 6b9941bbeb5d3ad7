// The main window's notification-area icon.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Stores the window, its class icon and its title (cut to 62 characters).
    void Attach(HWND owner);
    // The shell's record in its first, smallest form: owner, id, icon, tip and,
    // when callbackMessage is set, the callback message.
    NOTIFYICONDATAA Record() const;
    // NIM_ADD, NIM_MODIFY or NIM_DELETE with Record().
    bool Notify(DWORD action) const;
    // Deletes the icon when shown.
    void Remove();

    bool shown = false;
    unsigned id = 0;
    HICON icon = nullptr;
    std::string tip;
    HWND window = nullptr;
    unsigned callbackMessage = 0;
};
