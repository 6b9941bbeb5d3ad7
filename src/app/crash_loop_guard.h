// Decides whether a crashed process may start the program again. A process
// that was itself a crash restart and crashes again soon after its own start
// would otherwise restart for ever, writing a dump each time. Portable.
#pragma once
#include <cstdint>

constexpr uint64_t kCrashLoopWindowMs = 60 * 1000;

bool ShouldRestartAfterCrash(bool startedAsRestart, uint64_t millisecondsSinceStart);
