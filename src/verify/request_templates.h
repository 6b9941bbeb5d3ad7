// The JSON documents sent to the verification service, their placeholders,
// and the two escaping rules. Portable.
#pragma once
#include <string>

#include "verify/scan_result.h"

constexpr const char kProgramVersion[] = "1.190416";
constexpr const char kServicePath[] = "/v001.aspx";

// The template for a mode: slots 0 to 2 (Verify, Decommission,
// Recommission); null for every other mode, Login included.
const char* RequestTemplate(int32_t mode);
const char* LoginTemplate();

// Replaces every %USERNAME%, then every %PASSWORD% (both through
// EscapeJsonString), then every %BARCODE% (already escaped by the caller).
std::string FillRequestTemplate(const std::string& requestTemplate, const std::string& username,
                                const std::string& password, const std::string& escapedBarcode);

// JSON string escaping for account and password.
std::string EscapeJsonString(const std::string& text);

// Barcode escaping for the request, the trace log and the results list:
// group separators as \u001D, line breaks as "@", other control bytes as
// "&#n;". The quotation mark, the backslash and bytes 0x80 to 0xFF are
// escaped as JSON requires, so every request stays valid JSON.
std::string EscapeBarcode(const std::string& text);

// host[:port] + "/v001.aspx", without a scheme.
std::string ServiceEndpoint(const std::string& host);
