// Port names and the scanner drivers this program recognises. Portable.
#pragma once
#include <string>

// "COM%d".
std::string ComPortName(unsigned number);

// The decimal number that begins at the name's fourth character ("COM12" is
// 12, "LPT1" is 1): blanks skipped, optional sign, digits; none gives 0.
unsigned PortNumberFromName(const std::string& name);

// A device text naming the Silicon Labs CP210x or the Zebra CDC ACM driver,
// in any letter case.
bool IsScannerDevice(const std::string& deviceText);
