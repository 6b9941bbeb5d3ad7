// Trace log formats.
#include "core/trace_format.h"

#include "base/string_format.h"

std::string FormatTimestamp(const LocalTime& t)
{
    return StringPrintf("%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute, t.second,
                        t.millisecond);
}

std::string TraceBanner(const std::string& timestamp)
{
    return StringPrintf("\nLog Started - %s\n=================================\n", timestamp.c_str());
}

std::string TraceLinePrefix(const std::string& timestamp, unsigned long threadId)
{
    return StringPrintf("%s %4d) ", timestamp.c_str(), static_cast<int>(threadId));
}

std::string TraceFileName(const std::string& logFolder, int number)
{
    return StringPrintf("%s\\trace-%d.txt", logFolder.c_str(), number);
}

std::string ToCrLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}
