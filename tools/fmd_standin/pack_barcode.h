// Reading a pack's identity from the barcode text the program sends: GS1
// element strings (AIs 01, 17, 10, 21; 11 and 710-715 skipped; group
// separators after variable-length fields) and ISO/IEC 15434 format 06
// messages (data identifiers 9N, 8P, 1T, D, S).
#pragma once
#include <string>

struct PackBarcode {
    bool parsed = false;
    std::string error;        // why it could not be read
    std::string productCode;  // GTIN (01 / 8P) or PPN (9N)
    std::string serial;       // 21 / S
    std::string lot;          // 10 / 1T; empty when absent
    std::string expiry;       // YYMMDD (17 / D); empty when absent
};

PackBarcode ParsePackBarcode(const std::string& raw);
