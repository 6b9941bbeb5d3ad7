// The program's log entry points, callable from any thread. The format is
// always a literal of the program; outside text goes in through "%s".
#pragma once
#include "base/string_format.h"

void Log(const char* format, ...) PRINTF_LIKE(1, 2);
// Logs the message with the system's text for the last error; returns.
void Warning(const char* format, ...) PRINTF_LIKE(1, 2);
// Logs like Warning, tells the user in a message box, and once the box is
// closed ends the calling thread with exit code 2 (on the process's main
// thread: the process). Call it only where the thread holds no lock.
[[noreturn]] void Failure(const char* format, ...) PRINTF_LIKE(1, 2);
