// The code-page path converted to UTF-8 through UTF-16.
#include "framework/sqlite_name.h"

#include <windows.h>

std::string SqliteFileName(const std::string& ansiPath)
{
    int wide = MultiByteToWideChar(CP_ACP, 0, ansiPath.c_str(), -1, nullptr, 0);
    if (wide <= 0) return ansiPath;
    std::wstring utf16(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansiPath.c_str(), -1, &utf16[0], wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return ansiPath;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(bytes) - 1);  // the terminator
    return utf8;
}
