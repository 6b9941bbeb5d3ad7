// Handing scan result records to the results list's window thread.
#pragma once
#include <windows.h>

#include "base/string_format.h"
#include "core/scan_result.h"

// Posted (never sent) to the results list; lParam is a heap ScanResult that
// the receiver owns from then on.
constexpr UINT WM_SCANRESULT = WM_APP + 1;  // 32769

// Posts `record` to `listWindow`. When there is no such window or the post
// fails, the record is destroyed here. Either way the caller no longer owns it.
void PostScanResult(HWND listWindow, ScanResult* record);

// A Log row in the main dialog's results list. Dropped, allocating nothing,
// while there is no main dialog or no results-list window.
void AddLogRow(const char* format, ...) PRINTF_LIKE(1, 2);
