// The scanner test: a scan of one of the test codes, as the port delivered it
// (line ending included), compared byte for byte with what a correctly set-up
// scanner sends; each difference is named with what to change on the
// scanner. Portable.
#pragma once
#include <string>
#include <string_view>
#include <vector>

constexpr char kScannerSetUpCorrectly[] = "Scanner set up correctly";

struct ScannerTestVerdict {
    std::string codeName;             // the test code the scan was read as, empty when neither
    std::vector<std::string> faults;  // empty when the scanner is set up correctly
};

// Compares the scan with whichever of the two test codes it is closer to.
ScannerTestVerdict CheckScannerTestScan(std::string_view scan);

// The faults of a scan of the code `expected` (content without line ending).
std::vector<std::string> CompareWithTestCode(std::string_view scan, std::string_view expected);

// The text with control and non-ASCII bytes shown as <GS>, <CR>, <0xNN>.
std::string ShowControlCharacters(std::string_view text);
