// System error texts, looked up in the system's message table.
#include "framework/error_text.h"

#include <cstdio>

std::string SystemErrorText(DWORD code)
{
    char* buffer = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<char*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        char text[64];
        std::snprintf(text, sizeof text, "Unknown error %lu (0x%08lx)\r\n",
                      static_cast<unsigned long>(code), static_cast<unsigned long>(code));
        return text;
    }
    std::string text(buffer, length);
    LocalFree(buffer);
    return text;
}
