// Reading a medicine pack's 2D code as scanned, before it is sent: its
// format, its fields and what looks wrong with it, each fault a sentence for
// the counter. Reading never changes the scan itself. Portable.
#pragma once
#include <string>
#include <string_view>
#include <vector>

enum class PackCodeFormat { None, Gs1, Iso15434 };

struct PackCodeReading {
    PackCodeFormat format = PackCodeFormat::None;
    std::string symbologyId;     // "]d2" and the like, when the scanner sends one
    std::string gtin;            // GS1 01, or 8P in an ISO/IEC 15434 message
    std::string ppn;             // 9N in an ISO/IEC 15434 message
    std::string nationalNumber;  // GS1 710 to 715
    std::string batch;
    std::string expiry;  // YYMMDD as printed
    std::string serial;
    std::vector<std::string> faults;  // empty for a sound pack code

    // The GTIN, else the PPN: what names the product.
    const std::string& ProductCode() const { return gtin.empty() ? ppn : gtin; }
};

// Reads the scan's bytes; trailing line ends are the scanner's and ignored.
PackCodeReading ReadPackCode(std::string_view scan);
