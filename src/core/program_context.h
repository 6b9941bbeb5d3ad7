// The per-process things every layer needs and start-up provides: the
// program's per-user folders and its trace log. The application object is the
// one context of the program; tests make their own.
#pragma once
#include <string>

#include "core/trace_log.h"

class ProgramContext {
public:
    ProgramContext();  // becomes the current context
    virtual ~ProgramContext();
    ProgramContext(const ProgramContext&) = delete;
    ProgramContext& operator=(const ProgramContext&) = delete;

    // The context of this process, or null before one exists.
    static ProgramContext* Current();

    TraceLog& Trace() { return m_traceLog; }

    // Sets AppFolder and tells the trace log where to write.
    void SetAppFolder(const std::string& folder);

    std::string AppFolder;       // <roaming application data>\QuorvixFMD Pellwick
    std::string DownloadFolder;  // AppFolder\Downloads

private:
    TraceLog m_traceLog;
};
