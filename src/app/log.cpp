// Log and Warning: the entry points every part of the program logs through.
#include "app/log.h"

#include "app/fmd_app.h"

void Log(const char* format, ...)
{
    CFMDApp* app = CFMDApp::Current();
    if (!app) return;
    va_list args;
    va_start(args, format);
    app->Trace().LogV(format, args);
    va_end(args);
}

void Warning(const char* format, ...)
{
    CFMDApp* app = CFMDApp::Current();
    if (!app) return;
    va_list args;
    va_start(args, format);
    app->Trace().WarningV(format, args);
    va_end(args);
}
