// The hidden test bench's seventeen fixed barcodes, "B01" to "B17" (commands
// 1053 to 1069): GS1 element strings, ISO/IEC 15434 messages and plain texts,
// each exactly as a scanner would send it. Portable.
#pragma once
#include <string>

constexpr int kFirstTestBarcodeCommand = 1053;
constexpr int kTestBarcodeCount = 17;

// The barcode of a bench command, or null for any other command.
const char* TestBarcodeFor(int command);
// Whether `barcode` is one of the seventeen, byte for byte.
bool IsTestBenchBarcode(const std::string& barcode);
