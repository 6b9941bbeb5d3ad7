// One barcode into the scan folder: its "Scanned" row, then its spool file
// (the mode's digit followed by the barcode), as a reader and the test bench
// both spool.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Logs "Saved to" on success. When the file cannot be written, posts a Failed
// row for the same key asking for the pack to be scanned again (the Scanned
// row must not stay as if the scan were on its way) and returns false; the
// caller reports the failure in its own words.
// `delivery`: the delivery being checked, carried in the file; 0 for none.
bool SpoolBarcode(const std::string& folder, int32_t mode, HWND resultsWindow, const std::string& barcode,
                  int64_t delivery = 0);
