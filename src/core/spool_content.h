// A spool file's content: the mode's digit, then the barcode. A scan taken
// while a delivery is checked starts with "D<delivery number>;" before them,
// so that its delivery travels with it through every folder it moves to.
// Portable.
#pragma once
#include <cstdint>
#include <string>

struct SpoolContent {
    int32_t mode = 0;      // the mode's digit less '0'; -'0' for an empty file
    int64_t delivery = 0;  // 0: no delivery
    std::string barcode;
};

std::string SpoolText(int32_t mode, int64_t delivery, const std::string& barcode);
// A tag that is no delivery number (no digits, no ';', a number out of range)
// is left as it stands: the scan then reads as an unknown mode and is refused.
SpoolContent ParseSpoolText(const std::string& content);
