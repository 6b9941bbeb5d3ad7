// The program's 8-bit text (the system's code page) as UTF-8, for what takes
// UTF-8: SQLite's file names, the history's CSV.
#pragma once
#include <string>

// Every byte converted, zero bytes included; the text as it was when the
// system cannot convert it.
std::string CodePageToUtf8(const std::string& text);
