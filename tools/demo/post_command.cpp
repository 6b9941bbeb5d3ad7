// For the demo: presses a button of a running program's window by posting
// its command, as a click would, or types a text into one of its controls.
// Usage: post_command.exe "<window title>" <id> [<text for control id>]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: post_command \"<window title>\" <command id> [<text>]\n");
        return 2;
    }
    HWND window = FindWindowA(nullptr, argv[1]);
    if (!window) {
        std::fprintf(stderr, "post_command: no window \"%s\"\n", argv[1]);
        return 1;
    }
    int id = std::atoi(argv[2]);
    if (argc == 4) return SetDlgItemTextA(window, id, argv[3]) ? 0 : 1;
    return PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0) ? 0 : 1;
}
