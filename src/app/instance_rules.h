// The rules that decide, from text alone, whether this start is a crash
// restart and whether a window belongs to a running instance. Portable.
#pragma once
#include "res/version.h"

constexpr const char kInstanceTitlePrefix[] = "QuorvixFMD Pellwick Version ";
constexpr const char kMainWindowTitle[] = "QuorvixFMD Pellwick Version " PELLWICK_VERSION;
constexpr const char kRestartWord[] = "restart";

// True when the command line begins with the seven letters "restart",
// whatever follows them.
bool IsRestartCommandLine(const char* commandLine);

// True when a window title begins with the whole instance prefix.
bool IsInstanceTitle(const char* title);
