// Keeps a Wine prefix's desktop process alive for a whole test run: one
// hidden top-level window and a message loop, until the prefix's server is
// ended. Started by tools/test.sh with its output discarded, so that the
// desktop process it starts never holds a test's output open.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!window) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
