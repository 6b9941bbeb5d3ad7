// Barcode reading of the stand-in service, over the program's test barcodes
// and GS1 variants.
#include <gtest/gtest.h>

#include "pack_barcode.h"

TEST(PackBarcode, ReadsGs1AndIsoFormatsInAnyOrder)
{
    struct Case {
        const char* raw;
        const char* product;
        const char* serial;
        const char* lot;
        const char* expiry;
    } cases[] = {
        {"01050370150200181721022810356495.\x1D" "21293KeHgx9g6whmLEyTRm", "05037015020018", "293KeHgx9g6whmLEyTRm", "356495.", "210228"},
        {"0105000456013482172012001000001[@]210000000100", "05000456013482", "0000000100", "00001", "201200"},
        {"[)>\x1E" "06\x1D" "9N110375286414\x1D" "1T00001\x1D" "D201200\x1D" "S0000000055\x1E\x04", "110375286414", "0000000055", "00001", "201200"},
        {"010035914801113421100000000001\x1D" "1715082210AB100613", "00359148011134", "100000000001", "AB100613", "150822"},
        {"21SERIAL1\x1D" "10LOT\x1D" "0104150123456782" "17291231", "04150123456782", "SERIAL1", "LOT", "291231"},
        {"]d2010415012345678211240101" "17291231" "710123456\x1D" "21X1", "04150123456782", "X1", "", "291231"},
    };
    for (const Case& c : cases) {
        PackBarcode pack = ParsePackBarcode(c.raw);
        ASSERT_TRUE(pack.parsed) << c.raw << ": " << pack.error;
        EXPECT_EQ(pack.productCode, c.product) << c.raw;
        EXPECT_EQ(pack.serial, c.serial) << c.raw;
        EXPECT_EQ(pack.lot, c.lot) << c.raw;
        EXPECT_EQ(pack.expiry, c.expiry) << c.raw;
    }
}

TEST(PackBarcode, RefusesTextsThatAreNoPackIdentifier)
{
    for (const char* raw : {"", "BAG 12", "SHELF A", "MY@@PRESC@RIPTION", "0112345", "01050370150200181721022810",
                            "[)>\x1E" "06\x1D" "1T00001\x1E\x04"}) {
        PackBarcode pack = ParsePackBarcode(raw);
        EXPECT_FALSE(pack.parsed) << raw;
        EXPECT_FALSE(pack.error.empty()) << raw;
    }
}
