// The crash handler: any unhandled exception (and std::terminate) writes
// AppFolder\crash.dmp and starts the program again, hidden, with "restart".
#pragma once
#include <windows.h>

// Registered as the process's unhandled-exception filter. Never returns.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception);

// Registers CrashFilter, and routes std::terminate (an escaping C++
// exception) to it as well.
void InstallCrashFilter();
