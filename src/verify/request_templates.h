// The JSON documents sent to the verification service and their
// placeholders. Portable.
#pragma once
#include <string>

#include "base/text_escape.h"
#include "core/scan_result.h"

constexpr const char kServicePath[] = "/v001.aspx";

// The template for a mode: slots 0 to 2 (Verify, Decommission,
// Recommission); null for every other mode, Login included.
const char* RequestTemplate(int32_t mode);
const char* LoginTemplate();

// Replaces every %USERNAME%, then every %PASSWORD% (both through
// EscapeJsonString), then every %BARCODE% (already escaped by the caller).
std::string FillRequestTemplate(const std::string& requestTemplate, const std::string& username,
                                const std::string& password, const std::string& escapedBarcode);

// host[:port] + "/v001.aspx", without a scheme.
std::string ServiceEndpoint(const std::string& host);
