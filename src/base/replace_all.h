// Replacing every occurrence of a text (portable).
#pragma once
#include <string>

// Replaces every occurrence of `from`, scanning on after each replacement, so
// the replacement itself is never searched again.
void ReplaceAll(std::string& text, const std::string& from, const std::string& to);
