// Filling a scan result from the service's reply. The reply is cut by fixed
// keys and terminators, not parsed as JSON: the service's item-status layout
// is what the program relies on. Portable.
#pragma once
#include <string>

#include "core/scan_result.h"

// Sets `value` to the text between the first `key` and the first
// `terminator` at or after the key's start; leaves it unchanged when either
// is missing.
void ExtractField(const std::string& reply, const std::string& key, const std::string& terminator,
                  std::string& value);

// Sets status, kind, statusText and the eleven reply fields of `result`.
void FillFromReply(const std::string& reply, ScanResult& result);
