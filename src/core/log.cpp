// Log and Warning: the entry points every part of the program logs through.
#include "core/log.h"

#include "core/program_context.h"

void Log(const char* format, ...)
{
    ProgramContext* app = ProgramContext::Current();
    if (!app) return;
    va_list args;
    va_start(args, format);
    app->Trace().LogV(format, args);
    va_end(args);
}

void Warning(const char* format, ...)
{
    ProgramContext* app = ProgramContext::Current();
    if (!app) return;
    va_list args;
    va_start(args, format);
    app->Trace().WarningV(format, args);
    va_end(args);
}
