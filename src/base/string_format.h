// printf-style formatting into std::string (portable).
#pragma once
#include <cstdarg>
#include <string>

#if defined(__MINGW32__)
#define PRINTF_LIKE(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))
#endif

std::string StringPrintf(const char* format, ...) PRINTF_LIKE(1, 2);
std::string StringPrintfV(const char* format, va_list args);
