// The one application object: start-up, and the program's context (the
// per-user folders and the trace log). Start-up runs the main dialog modally
// for the life of the process.
#pragma once
#include <cstdint>
#include <string>

#include "core/program_context.h"
#include "framework/process_job.h"
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
    // Ties every process this one starts from now on to its life (start-up
    // does it first). A process that must outlive this one, the crash
    // restart, is started to break away.
    void TieChildProcesses() { m_childJob = JoinKillOnCloseJob(); }

private:
    bool CheckSingleInstance();
    void CreateFolders();
    bool InitSockets();
    void InitControls();
    void RunMainDialog();

    uint64_t m_startTick;
    bool m_bRestarted = false;
    // This process's kill-on-close job: every curl.exe it starts is in it
    // from its creation, so none is left behind when the program is killed.
    KernelHandle m_childJob;
};
