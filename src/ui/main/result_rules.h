// What the results list does with a record, decided without any window: the
// row's background, whether the result calls for the user's attention, and
// the row time. Portable.
#pragma once
#include <string>

#include "core/scan_result.h"
#include "ui/controls/text_runs.h"

// The list keeps this many rows; older rows go with their records.
constexpr int kMaxResultRows = 10000;

// False for kinds without a colour of their own (log rows keep the default).
bool RowBackground(int32_t kind, RunColour& colour);

// Failed and Error always; Success and Warning only in Verify and
// Recommission; Waiting only for the first scan of an outage; never when the
// reply held no item status ("3").
bool NeedsAlert(const ScanResult& result);

// The row's Date/Time text: the first 19 characters of a trace timestamp.
std::string RowTime(const std::string& timestamp);
