// The two text escaping rules of the requests, also used for showing
// barcodes in the trace log and the results list. Portable.
#pragma once
#include <string>

// JSON string escaping for account and password.
std::string EscapeJsonString(const std::string& text);

// Barcode escaping for the request, the trace log and the results list:
// group separators as \u001D, line breaks as "@", other control bytes as
// "&#n;". The quotation mark, the backslash and bytes 0x80 to 0xFF are
// escaped as JSON requires, so every request stays valid JSON.
std::string EscapeBarcode(const std::string& text);
