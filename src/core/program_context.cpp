// The current program context.
#include "core/program_context.h"

namespace {
ProgramContext* g_currentContext = nullptr;
}

ProgramContext::ProgramContext() { g_currentContext = this; }

ProgramContext::~ProgramContext()
{
    if (g_currentContext == this) g_currentContext = nullptr;
}

ProgramContext* ProgramContext::Current() { return g_currentContext; }

void ProgramContext::SetAppFolder(const std::string& folder)
{
    AppFolder = folder;
    m_traceLog.SetAppFolder(folder);
}
