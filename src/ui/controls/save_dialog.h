// The standard save dialog, asking before it replaces a file.
#pragma once
#include <windows.h>

#include <string>

// `kind`: the name of the one kind of file offered, as "CSV file (*.csv)";
// its pattern is "*.<extension>". `path` holds the suggested name going in
// and the chosen path coming out; false when the pharmacist cancelled.
bool AskSavePath(HWND owner, const std::string& kind, const char* extension, std::string& path);
