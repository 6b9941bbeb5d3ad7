// The one application object: start-up, and the program's context (the
// per-user folders and the trace log). Start-up runs the main dialog modally
// for the life of the process.
#pragma once
#include <cstdint>
#include <string>

#include "core/program_context.h"
#include "framework/win_app.h"

class CFMDApp : public CWinApp, public ProgramContext {
public:
    CFMDApp();
    ~CFMDApp() override;

    bool InitInstance() override;

    static CFMDApp* Current();

    // Takes the command line (without the program's path) and notes whether
    // this start is a crash restart.
    void SetCommandLine(const std::string& commandLine);
    // True when this process was started as a crash restart.
    bool StartedAsRestart() const { return m_bRestarted; }
    uint64_t MillisecondsSinceStart() const;

private:
    bool CheckSingleInstance();
    void CreateFolders();
    void ApplyLanguageSetting();
    bool InitSockets();
    void InitControls();
    void RunMainDialog();

    uint64_t m_startTick;
    bool m_bRestarted = false;
};
