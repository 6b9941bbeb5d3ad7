// Reading a leading decimal number from text, as the C library's atoi does:
// leading blanks, an optional sign, digits up to the first other character;
// no digits give 0. Portable.
#pragma once
#include <string>

long ParseLeadingDecimal(const std::string& text);
