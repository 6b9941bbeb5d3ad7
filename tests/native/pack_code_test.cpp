// Reading pack codes: GS1 and ISO/IEC 15434 in several orders, each fault,
// and the test bench's barcodes.
#include <gtest/gtest.h>

#include "packcode/pack_code.h"
#include "core/test_barcodes.h"

namespace {

#define GS "\x1D"
#define ISO(fields) "[)>\x1E" "06" GS fields "\x1E\x04"

const char kLost[] = "The batch runs into the serial number: the scanner seems to drop the separator.";
const char kReplacedAt[] = "The scanner seems to send \"@\" in place of the separator.";
const char kReplacedBracketed[] = "The scanner seems to send \"[@]\" in place of the separator.";

struct Reading {
    const char* scan;
    PackCodeFormat format;
    const char* product;
    const char* expiry;
    const char* batch;
    const char* serial;
    std::vector<std::string> faults;
};

void ExpectReading(const Reading& c, const std::string& label)
{
    PackCodeReading reading = ReadPackCode(c.scan);
    EXPECT_EQ(reading.format, c.format) << label;
    EXPECT_EQ(reading.ProductCode(), c.product) << label;
    EXPECT_EQ(reading.expiry, c.expiry) << label;
    EXPECT_EQ(reading.batch, c.batch) << label;
    EXPECT_EQ(reading.serial, c.serial) << label;
    EXPECT_EQ(reading.faults, c.faults) << label;
}

constexpr auto G = PackCodeFormat::Gs1;
constexpr auto I = PackCodeFormat::Iso15434;
constexpr auto N = PackCodeFormat::None;

TEST(PackCode, ReadsFieldsAndFindsEachFault)
{
    const Reading cases[] = {
        // Sound codes, in several orders, with and without an identifier.
        {"0105037015020018" "17210228" "10356495." GS "21SER1\r\n", G, "05037015020018", "210228", "356495.", "SER1", {}},
        {"21SER1" GS "10B" GS "17240229" "0105037015020018", G, "05037015020018", "240229", "B", "SER1", {}},
        {"]d2" "0105037015020018" "21SER1" GS "17210200" "10B", G, "05037015020018", "210200", "B", "SER1", {}},
        {GS "0105037015020018" "10B" GS "17210228" "21SER1" GS "7101234567", G, "05037015020018", "210228", "B", "SER1", {}},
        {"]Q3" ISO("9N110375286414" GS "1T01" GS "D201231" GS "S99"), I, "110375286414", "201231", "01", "99", {}},
        {ISO("S99" GS "D201231" GS "8P05037015020018" GS "1T01"), I, "05037015020018", "201231", "01", "99", {}},
        // Check digits.
        {"0105037015020019" "17210228" "10B" GS "21S", G, "05037015020019", "210228", "B", "S", {"The product code's check digit is wrong."}},
        {"17210228" "10B" GS "21S" GS "0112345", G, "12345", "210228", "B", "S", {"The product code is not 14 digits."}},
        {ISO("9N110375286415" GS "1T01" GS "D201231" GS "S9"), I, "110375286415", "201231", "01", "9", {"The PPN's check digits are wrong."}},
        {ISO("9N110375286525" GS "1T01" GS "D201231" GS "S9"), I, "110375286525", "201231", "01", "9", {"The PZN's check digit is wrong."}},
        {ISO("9N12345" GS "1T01" GS "D201231" GS "S9"), I, "12345", "201231", "01", "9", {"The PPN is not 11, a PZN and two check digits."}},
        // Dates.
        {"0105037015020018" "17211328" "10B" GS "21S", G, "05037015020018", "211328", "B", "S", {"The expiry date is not a valid date."}},
        {"0105037015020018" "17230229" "10B" GS "21S", G, "05037015020018", "230229", "B", "S", {"The expiry date is not a valid date."}},
        {"0105037015020018" "17210431" "10B" GS "21S", G, "05037015020018", "210431", "B", "S", {"The expiry date is not a valid date."}},
        // Batch and serial.
        {"0105037015020018" "17210228" "10" GS "21S", G, "05037015020018", "210228", "", "S", {"The batch is empty."}},
        {"0105037015020018" "17210228" "10B" GS "21ABCDEFGHIJKLMNOPQRSTU", G, "05037015020018", "210228", "B", "ABCDEFGHIJKLMNOPQRSTU", {"The serial number is longer than 20 characters."}},
        {"0105037015020018" "17210228" "10B#1" GS "21S", G, "05037015020018", "210228", "B#1", "S", {"The batch holds a character that a pack code cannot hold."}},
        {"0105037015020018" "17210228" "10B", G, "05037015020018", "210228", "B", "", {"The serial number is missing."}},
        {"17210228" "10B" GS "21S", G, "", "210228", "B", "S", {"The product code is missing."}},
        {"0105037015020018" "10B" GS "21S" GS "21T", G, "05037015020018", "", "B", "S", {"The serial number appears twice.", "The expiry date is missing."}},
        {ISO("9N110375286414" GS "1T01" GS "D201231" GS "S9") "\x1E", I, "110375286414", "201231", "01", "9", {"The code's end mark is missing or damaged."}},
        // Separators dropped or replaced.
        {"0105037015020018" "17210228" "10ABC21XYZ", G, "05037015020018", "210228", "ABC", "XYZ", {kLost}},
        {"0105037015020018" "10ABC" "17210228" "21XYZ", G, "05037015020018", "210228", "ABC", "XYZ", {"The batch runs into the expiry date: the scanner seems to drop the separator."}},
        {"0105037015020018" "17210228" "10ABC@21XYZ", G, "05037015020018", "210228", "ABC", "XYZ", {kReplacedAt}},
        {"0105037015020018" "17210228" "10A21B" GS "21XYZ", G, "05037015020018", "210228", "A21B", "XYZ", {}},
        // A batch holding its serial's identifier: the serial it swallowed never runs into itself.
        {"0105037015020018" "17210228" "10L21X" "21XYZ", G, "05037015020018", "210228", "L", "X21XYZ", {kLost}},
        // Not a pack code.
        {"5012345678900\r", N, "", "", "", "", {"This is the pack's linear barcode: scan the square 2D code."}},
        {"", N, "", "", "", "", {"This is not a medicine pack's code."}},
        {"12345", N, "", "", "", "", {"This is not a medicine pack's code."}},
    };
    for (const Reading& c : cases) ExpectReading(c, c.scan);
}

// A national number is optional: only one its country would print, at the
// end of a batch or serial number, tells that the separator before it was lost.
TEST(PackCode, NoticesANationalNumberRunIntoTheValueBeforeIt)
{
    const std::string kIntoBatch = "The batch runs into the national number: the scanner seems to drop the separator.";
    struct Case {
        const char* scan;
        const char* batch;
        const char* serial;
        const char* nationalNumber;
        std::vector<std::string> faults;
    } cases[] = {
        {"0105037015020018" "17210228" "21SER1" GS "10ABC12371004877800", "ABC123", "SER1", "04877800", {kIntoBatch}},
        {"0105037015020018" "17210228" "21SER1" GS "10ABC" "7113400930000014", "ABC", "SER1", "3400930000014", {kIntoBatch}},
        {"0105037015020018" "17210228" "21SER1" GS "10ABC" "7126543214", "ABC", "SER1", "6543214", {kIntoBatch}},
        {"0105037015020018" "17210228" "21SER1" GS "10ABC" "7145123456", "ABC", "SER1", "5123456", {kIntoBatch}},
        {"0105037015020018" "17210228" "10B" GS "21SER1" "71012345678", "B", "SER1", "12345678",
         {"The serial number runs into the national number: the scanner seems to drop the separator."}},
        {"0105037015020018" "17210228" "21SER1" GS "10ABC@71004877800", "ABC", "SER1", "04877800", {kReplacedAt}},
        // Sound codes: a genuine national number, and batches whose digits only look like one.
        {"0105037015020018" "17210228" "21SER1" GS "10ABC123" GS "71004877800", "ABC123", "SER1", "04877800", {}},
        {"0105037015020018" "17210228" "21SER1" GS "10ABC71004877801", "ABC71004877801", "SER1", "", {}},
        {"0105037015020018" "17210228" "21SER1" GS "10ABC7126543215", "ABC7126543215", "SER1", "", {}},
        {"0105037015020018" "17210228" "21SER1" GS "10ABC7131234567890123", "ABC7131234567890123", "SER1", "", {}},
        {"0105037015020018" "17210228" "21SER1" GS "101237145123456", "1237145123456", "SER1", "", {}},
        {"0105037015020018" "17210228" "21SER1" GS "10A710" GS "7111", "A710", "SER1", "1", {}},
    };
    for (const Case& c : cases) {
        PackCodeReading reading = ReadPackCode(c.scan);
        EXPECT_EQ(reading.batch, c.batch) << c.scan;
        EXPECT_EQ(reading.serial, c.serial) << c.scan;
        EXPECT_EQ(reading.nationalNumber, c.nationalNumber) << c.scan;
        EXPECT_EQ(reading.faults, c.faults) << c.scan;
    }
}

TEST(PackCode, ReadsTheSymbologyIdentifierApart)
{
    EXPECT_EQ(ReadPackCode("]d2" "0105037015020018" "17210228" "10B" GS "21S").symbologyId, "]d2");
    EXPECT_EQ(ReadPackCode("]C1" ISO("9N110375286414")).symbologyId, "]C1");
    EXPECT_EQ(ReadPackCode("0105037015020018").symbologyId, "");
}

TEST(PackCode, ReadsTheTestBenchBarcodes)
{
    const std::string iso = "110375286414";
    const Reading bench[kTestBarcodeCount] = {
        {"B01", G, "05037015020018", "210228", "356495.", "293KeHgx9g6whmLEyTRm", {}},
        {"B02", N, "", "", "", "", {"This is not a medicine pack's code."}},
        {"B03", N, "", "", "", "", {"This is not a medicine pack's code."}},
        {"B04", N, "", "", "", "", {"This is not a medicine pack's code."}},
        {"B05", G, "05000456013482", "201200", "00001", "0000000100", {kReplacedBracketed}},
        {"B06", G, "05000456013482", "201200", "00001", "0000000101", {kReplacedBracketed}},
        {"B07", G, "05000456013482", "201200", "00001", "0000000102", {kReplacedBracketed}},
        {"B08", G, "05000456013482", "201200", "00001", "0000000103", {kReplacedBracketed}},
        {"B09", I, "110375286414", "201200", "00001", "0000000055", {}},
        {"B10", I, "110375286414", "201200", "00001", "0000000068", {}},
        {"B11", I, "110375286414", "201200", "00001", "0000000056", {}},
        {"B12", I, "110375286414", "201200", "00001", "0000000057", {}},
        {"B13", I, "110375286414", "201200", "00001", "0000000058", {}},
        {"B14", I, "110375286414", "201200", "00001", "0000000059", {}},
        {"B15", I, "110375286414", "201200", "00001", "0000000069", {}},
        {"B16", I, "110375286414", "201200", "00099", "0000000060", {}},
        {"B17", G, "00359148011134", "150822", "AB100613", "100000000001", {}},
    };
    for (int i = 0; i < kTestBarcodeCount; ++i) {
        Reading c = bench[i];
        c.scan = TestBarcodeFor(kFirstTestBarcodeCommand + i);
        ExpectReading(c, bench[i].scan);
    }
}

}  // namespace
