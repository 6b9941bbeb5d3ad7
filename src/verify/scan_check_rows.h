// The "Scan check: ..." rows that follow a sent scan's answer: what its
// reading found wrong, and an expiry date already past. Portable.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "packcode/expiry_date.h"

// The rows for `barcode`, in order; `today` none: the expiry is not judged.
std::vector<std::string> ScanCheckRows(const std::string& barcode, const std::optional<CalendarDate>& today);
