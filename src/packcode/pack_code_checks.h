// The checks a pack code's single values must pass: check digits, dates and
// GS1's character set. Portable.
#pragma once
#include <string_view>

// One of GS1's 82 characters allowed in batch, serial and national numbers.
bool IsGs1Character(char c);
bool IsAllDigits(std::string_view text);

// A GTIN of 14 digits whose last digit is its mod-10 check digit (weights 3
// and 1 from the right).
bool HasValidGtinCheckDigit(std::string_view gtin);

// The days of a month (1 to 12) in the Gregorian calendar.
int DaysInMonth(int year, int month);

// YYMMDD with a month of 01 to 12 and a day that exists in that month of
// 20YY; day 00 stands for the month's last day.
bool IsValidExpiry(std::string_view yymmdd);

// A PPN's two check digits: each character's code times 2, 3, 4, ... from
// the left, summed, mod 97.
bool HasValidPpnCheckDigits(std::string_view ppn);

// A PZN8's last digit: the first seven digits times 1 to 7, summed, mod 11
// (a remainder of 10 is never issued).
bool HasValidPznCheckDigit(std::string_view pzn);

// A national number as its country prints it after AI 71n: 710 a PZN, 711 a
// CIP13, 712 a Spanish national code (its check digit that of the NTIN
// 0847000 + code), 714 a seven-digit AIM number. Brazil's (713) and the
// United States' (715) numbers are never on an EU pack, so never known here.
bool IsKnownNationalNumber(char country, std::string_view number);
// All but Portugal's AIM number end in a check digit.
bool NationalNumberHasCheckDigit(char country);
