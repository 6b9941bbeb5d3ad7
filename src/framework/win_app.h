// The application object: one per process, run by the framework's WinMain.
// Window procedures and thread entries in this framework are noexcept, so an
// escaping C++ exception ends in std::terminate, which the application routes
// to its crash handler; no exception ever unwinds through system code.
#pragma once
#include <windows.h>
#include <string>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns true when the framework should run a message loop afterwards.
    virtual bool InitInstance() = 0;

    // Called by WinMain; returns the process exit code.
    int Main(HINSTANCE instance, const char* commandLine);

    static CWinApp* Current();

    HINSTANCE m_hInstance = nullptr;
    std::string m_strCmdLine;  // without the program's own path
    int m_exitCode = 0;
};
