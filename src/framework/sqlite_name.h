// A path in the program's 8-bit code page as SQLite takes file names (UTF-8),
// so that a user folder such as "C:\Users\Jürgen" opens the right file.
#pragma once
#include <string>

std::string SqliteFileName(const std::string& ansiPath);
