// The application object's life: registration and the optional message loop.
#include "framework/win_app.h"

namespace {
CWinApp* g_currentApp = nullptr;
}

CWinApp::CWinApp() { g_currentApp = this; }

CWinApp::~CWinApp()
{
    if (g_currentApp == this) g_currentApp = nullptr;
}

CWinApp* CWinApp::Current() { return g_currentApp; }

int CWinApp::Main(HINSTANCE instance, const char* commandLine)
{
    m_hInstance = instance;
    m_strCmdLine = commandLine ? commandLine : "";
    if (!InitInstance()) return m_exitCode;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
