// The standard save dialog, asking before it replaces a file.
#pragma once
#include <windows.h>

#include <string>

// `filter`: the dialog's list of kinds, each a name and a pattern ended by a
// NUL, the list by another. `path` holds the suggested name going in and the
// chosen path coming out; false when the pharmacist cancelled.
bool AskSavePath(HWND owner, const char* filter, const char* extension, std::string& path);
