// The scanner test's two codes, byte for byte as a correctly set-up scanner
// sends them before its CR LF. The build draws the pictures from these very
// lines (tools/make-scanner-test-codes.py): keep each a run of plain string
// literals, control characters written as \x escapes in literals of their own.
#pragma once

// GS1: GTIN, expiry, batch, GS, serial; batch and serial mix cases, Y and Z,
// digits and punctuation.
#define SCANNER_TEST_GS1_CODE "0104150123456782" "17281231" "10Ba7Yz-9/y" "\x1D" "21Sz4Y.q+Z8x"

// ISO/IEC 15434 format 06: PPN, batch, expiry, serial.
#define SCANNER_TEST_PPN_CODE                                                                                 \
    "[)>" "\x1E" "06" "\x1D" "9N110375286414" "\x1D" "1TBa7Yz-9/y" "\x1D" "D281231" "\x1D" "SSz4Y.q+Z8x" "\x1E" \
    "\x04"
