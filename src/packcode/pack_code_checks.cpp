// Check digits, expiry dates and GS1's character set.
#include "packcode/pack_code_checks.h"

#include <array>
#include <string>

namespace {

constexpr std::string_view kGs1Characters =
    "!\"%&'()*+,-./0123456789:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";

// A lookup table: the set is asked for every character of every scan.
const std::array<bool, 256>& Gs1Table()
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (char c : kGs1Characters) t[static_cast<unsigned char>(c)] = true;
        return t;
    }();
    return table;
}

int DigitAt(std::string_view text, size_t index) { return text[index] - '0'; }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

int DaysInMonth(int year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsGs1Character(char c) { return Gs1Table()[static_cast<unsigned char>(c)]; }

bool IsAllDigits(std::string_view text)
{
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool HasValidGtinCheckDigit(std::string_view gtin)
{
    if (gtin.size() != 14 || !IsAllDigits(gtin)) return false;
    int sum = 0;
    for (size_t i = 0; i < 13; ++i) sum += DigitAt(gtin, i) * (i % 2 == 0 ? 3 : 1);
    return (10 - sum % 10) % 10 == DigitAt(gtin, 13);
}

bool IsValidExpiry(std::string_view yymmdd)
{
    if (yymmdd.size() != 6 || !IsAllDigits(yymmdd)) return false;
    int year = 2000 + DigitAt(yymmdd, 0) * 10 + DigitAt(yymmdd, 1);
    int month = DigitAt(yymmdd, 2) * 10 + DigitAt(yymmdd, 3);
    int day = DigitAt(yymmdd, 4) * 10 + DigitAt(yymmdd, 5);
    return month >= 1 && month <= 12 && day <= DaysInMonth(year, month);
}

bool HasValidPpnCheckDigits(std::string_view ppn)
{
    if (ppn.size() < 3 || !IsAllDigits(ppn.substr(ppn.size() - 2))) return false;
    int sum = 0;
    for (size_t i = 0; i + 2 < ppn.size(); ++i) sum += static_cast<unsigned char>(ppn[i]) * static_cast<int>(i + 2);
    return sum % 97 == DigitAt(ppn, ppn.size() - 2) * 10 + DigitAt(ppn, ppn.size() - 1);
}

bool HasValidPznCheckDigit(std::string_view pzn)
{
    if (pzn.size() != 8 || !IsAllDigits(pzn)) return false;
    int sum = 0;
    for (size_t i = 0; i < 7; ++i) sum += DigitAt(pzn, i) * static_cast<int>(i + 1);
    return sum % 11 != 10 && sum % 11 == DigitAt(pzn, 7);
}

bool IsKnownNationalNumber(char country, std::string_view number)
{
    auto withPrefix = [number](std::string prefix) { return HasValidGtinCheckDigit(prefix.append(number)); };
    switch (country) {
    case '0': return HasValidPznCheckDigit(number);
    case '1': return number.size() == 13 && number.substr(0, 5) == "34009" && withPrefix("0");
    case '2': return number.size() == 7 && withPrefix("0847000");
    case '4': return number.size() == 7 && IsAllDigits(number);
    default: return false;
    }
}

bool NationalNumberHasCheckDigit(char country) { return country >= '0' && country <= '2'; }
