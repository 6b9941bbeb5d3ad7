// TestBarcodes. Literals are split after each \x escape, because a hex escape
// would otherwise swallow the digits and letters A-F that follow it.
#include "core/test_barcodes.h"

namespace {

#define GS "\x1D"
#define RS "\x1E"
#define EOT "\x04"
#define ISO15434(serial) "[)>" RS "06" GS "9N110375286414" GS "1T00001" GS "D201200" GS "S" serial RS EOT "\r"

const char* const kTestBarcodes[kTestBarcodeCount] = {
    "01050370150200181721022810356495." GS "21293KeHgx9g6whmLEyTRm\r",
    "MY\r\nPRESC\n\rRIPTION\r",
    "BAG 12\r",
    "SHELF A\r",
    "0105000456013482172012001000001[@]210000000100\n\r",
    "0105000456013482172012001000001[@]210000000101\n\r",
    "0105000456013482172012001000001[@]210000000102\n\r",
    "0105000456013482172012001000001[@]210000000103\n\r",
    ISO15434("0000000055"),
    ISO15434("0000000068"),
    ISO15434("0000000056"),
    ISO15434("0000000057"),
    ISO15434("0000000058"),
    ISO15434("0000000059"),
    ISO15434("0000000069"),
    "[)>" RS "06" GS "9N110375286414" GS "1T00099" GS "D201200" GS "S0000000060" RS EOT "\r",
    "010035914801113421100000000001" GS "1715082210AB100613\r",
};

#undef ISO15434
#undef EOT
#undef RS
#undef GS

}  // namespace

const char* TestBarcodeFor(int command)
{
    int index = command - kFirstTestBarcodeCommand;
    return index >= 0 && index < kTestBarcodeCount ? kTestBarcodes[index] : nullptr;
}

bool IsTestBenchBarcode(const std::string& barcode)
{
    for (const char* bench : kTestBarcodes)
        if (barcode == bench) return true;
    return false;
}
