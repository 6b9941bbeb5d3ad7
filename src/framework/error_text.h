// The one way the program turns a system error code into words.
#pragma once
#include <windows.h>
#include <string>

// The system's own message for `code` (usually ending in CR LF). When the
// system has none, "Unknown error <code> (0x<hex>)" followed by CR LF, so the
// number is never lost.
std::string SystemErrorText(DWORD code);
