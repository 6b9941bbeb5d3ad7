// Leading decimal numbers, without atoi's undefined behaviour on overflow.
#include "base/decimal.h"

#include <climits>

long ParseLeadingDecimal(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        // Saturate rather than overflow: such numbers are nonsense anyway.
        if (value > (LONG_MAX - digit) / 10) return negative ? LONG_MIN : LONG_MAX;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

bool ParseWholeDecimal(const std::string& text, long& value)
{
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos) return false;
    long number = 0;
    for (size_t i = first; i <= last; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        int digit = text[i] - '0';
        if (number > (LONG_MAX - digit) / 10) return false;
        number = number * 10 + digit;
    }
    value = number;
    return true;
}
