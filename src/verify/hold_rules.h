// Whether the worker holds a scan back instead of sending it (the registry
// switch HoldImplausibleScans): a scan whose reading finds a fault waits for
// the pharmacist's word, since sending it would most likely raise a false
// alert at the service; so does a Decommission of a pack already expired,
// which must not be supplied. Also the held scan's texts. Portable.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "packcode/expiry_date.h"

// Why a scan is held; none of either: it goes out as usual.
struct HoldReasons {
    std::vector<std::string> faults;
    std::string expiredOn;  // YYYY-MM-DD, for a Decommission of an expired pack
    bool None() const { return faults.empty() && expiredOn.empty(); }
};

// The code's faults, and for a Decommission the expiry date when it lies
// before `today` (none: the clock is not believed, nothing is held for it).
// None at all when the switch is off, the mode has no pack request, or it is
// one of the test bench's codes (they exist to try the service).
HoldReasons ReasonsToHold(bool holdOn, int32_t mode, const std::string& barcode,
                          const std::optional<CalendarDate>& today);

// The held row's heading, and its text: the reasons, one sentence after
// another.
std::string HeldRowHeading(const HoldReasons& reasons);
std::string HeldRowText(const HoldReasons& reasons);

// The box that asks the pharmacist: what is wrong and what each answer does.
std::string HeldScanQuestion(const HoldReasons& reasons, const std::string& escapedBarcode);

extern const char kHeldStatusText[];     // "Held"
extern const char kNotSentStatusText[];  // "Not sent"
