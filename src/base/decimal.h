// Reading a leading decimal number from text, as the C library's atoi does:
// leading blanks, an optional sign, digits up to the first other character;
// no digits give 0. Portable.
#pragma once
#include <string>

long ParseLeadingDecimal(const std::string& text);

// Strict: true, with the number in `value`, only when the text is digits
// alone (blanks around them allowed) and the number fits; "1.000", "30 days",
// "-1" and "" are not numbers here.
bool ParseWholeDecimal(const std::string& text, long& value);
