// The one application object: start-up, the per-user folders and the trace
// log. Start-up runs the main dialog modally for the life of the process.
#pragma once
#include <cstdint>
#include <string>

#include "app/trace_log.h"
#include "framework/win_app.h"

class CFMDApp : public CWinApp {
public:
    CFMDApp();
    ~CFMDApp() override;

    bool InitInstance() override;

    static CFMDApp* Current();
    TraceLog& Trace() { return m_traceLog; }

    // Sets AppFolder and tells the trace log where to write.
    void SetAppFolder(const std::string& folder);

    // Takes the command line (without the program's path) and notes whether
    // this start is a crash restart.
    void SetCommandLine(const std::string& commandLine);
    // True when this process was started as a crash restart.
    bool StartedAsRestart() const { return m_bRestarted; }
    uint64_t MillisecondsSinceStart() const;

    std::string AppFolder;       // <roaming application data>\QuorvixFMD Pellwick
    std::string DownloadFolder;  // AppFolder\Downloads

private:
    bool CheckSingleInstance();
    void CreateFolders();
    bool InitSockets();
    void InitControls();
    void RunMainDialog();

    TraceLog m_traceLog;
    uint64_t m_startTick;
    bool m_bRestarted = false;
};
