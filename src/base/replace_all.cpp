// Replacing every occurrence of a text.
#include "base/replace_all.h"

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty()) return;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}
