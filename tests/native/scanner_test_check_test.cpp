// The scanner test's verdicts: a clean scan of each code, and one mangled
// scan per fault the test names.
#include <gtest/gtest.h>

#include "packcode/scanner_test_check.h"
#include "packcode/scanner_test_codes.h"

namespace {

#define GS1 SCANNER_TEST_GS1_CODE
#define CRLF "\r\n"

struct Case {
    const char* name;
    std::string scan;
    const char* code;
    std::vector<std::string> faultStarts;  // each fault's text begins so
};

TEST(ScannerTest, NamesEachFault)
{
    const std::string gs1 = GS1;
    const Case cases[] = {
        {"clean GS1", GS1 CRLF, "GS1 code", {}},
        {"clean PPN", SCANNER_TEST_PPN_CODE CRLF, "PPN code", {}},
        {"prefix and suffix", "AB" GS1 "#" CRLF, "GS1 code", {"Prefix \"AB\" added", "Suffix \"#\" added"}},
        {"identifier", "]d2" GS1 CRLF, "GS1 code", {"Symbology identifier \"]d2\" sent"}},
        {"separator dropped", "0104150123456782" "17281231" "10Ba7Yz-9/y" "21Sz4Y.q+Z8x" CRLF, "GS1 code",
         {"Separator <GS> dropped"}},
        {"separator replaced", "0104150123456782" "17281231" "10Ba7Yz-9/y@21Sz4Y.q+Z8x" CRLF, "GS1 code",
         {"Separator replaced by \"@\""}},
        {"case swapped", "0104150123456782" "17281231" "10bA7yZ-9/Y\x1D" "21sZ4y.Q+z8X" CRLF, "GS1 code",
         {"Upper and lower case swapped"}},
        {"Y and Z swapped", "0104150123456782" "17281231" "10Ba7Zy-9/z\x1D" "21Sy4Z.q+Y8x" CRLF, "GS1 code",
         {"Y and Z swapped"}},
        {"other characters", "0104150123456782" "17281231" "10Ba7Yz_9/y\x1D" "21Sz4Y.q+Z8" CRLF, "GS1 code",
         {"Other characters changed (\"-\" read as \"_\", \"x\" missing)"}},
        {"line ending LF", GS1 "\n", "GS1 code", {"Line ending \"<LF>\" instead of <CR><LF>"}},
        {"PPN without control characters", "[)>069N110375286414" "1TBa7Yz-9/y" "D281231" "SSz4Y.q+Z8x" "\r",
         "PPN code",
         {"Separator <EOT> dropped", "Separator <GS> dropped", "Separator <RS> dropped", "Line ending \"<CR>\""}},
        {"something else", "4150123456782" CRLF, "", {"This is not one of the test codes"}},
        // Real packs share the test codes' layout, identifiers and even the PPN, never their batch and serial.
        {"a real PPN pack", "[)>\x1E" "06\x1D" "9N110375286414\x1D" "1T01\x1D" "D201231\x1D" "S99\x1E\x04" CRLF, "",
         {"This is not one of the test codes"}},
        {"a real PPN pack, separators dropped", "[)>069N110375286414" "1T356495" "D281231" "SSz4XK2PW7" CRLF, "",
         {"This is not one of the test codes"}},
        {"a real GS1 pack", "0104150123456782" "17281231" "10A12" "\x1D" "21293KeHgx9g6whmLEyTRm" CRLF, "",
         {"This is not one of the test codes"}},
    };
    for (const Case& c : cases) {
        ScannerTestVerdict verdict = CheckScannerTestScan(c.scan);
        EXPECT_EQ(verdict.codeName, c.code) << c.name;
        ASSERT_EQ(verdict.faults.size(), c.faultStarts.size())
            << c.name << ": " << ::testing::PrintToString(verdict.faults);
        for (size_t i = 0; i < c.faultStarts.size(); ++i)
            EXPECT_EQ(verdict.faults[i].rfind(c.faultStarts[i], 0), 0u) << c.name << ": " << verdict.faults[i];
    }
}

}  // namespace
