// Restart and instance-title rules.
#include "app/instance_rules.h"

#include <cstring>

namespace {
bool StartsWith(const char* text, const char* prefix)
{
    return text != nullptr && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}
}  // namespace

bool IsRestartCommandLine(const char* commandLine) { return StartsWith(commandLine, kRestartWord); }

bool IsInstanceTitle(const char* title) { return StartsWith(title, kInstanceTitlePrefix); }
