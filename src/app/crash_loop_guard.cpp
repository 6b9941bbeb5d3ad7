// The crash-loop rule.
#include "app/crash_loop_guard.h"

bool ShouldRestartAfterCrash(bool startedAsRestart, uint64_t millisecondsSinceStart)
{
    return !startedAsRestart || millisecondsSinceStart >= kCrashLoopWindowMs;
}
