// Whether the worker holds a scan back instead of sending it (the registry
// switch HoldImplausibleScans): a scan whose reading finds a fault waits for
// the pharmacist's word, since sending it would most likely raise a false
// alert at the service. Also the held scan's texts. Portable.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The faults that hold the scan; empty when it goes out as usual: the switch
// is off, the mode has no pack request, the code reads sound, or it is one of
// the test bench's codes (they exist to try the service).
std::vector<std::string> FaultsThatHold(bool holdOn, int32_t mode, const std::string& barcode);

// The faults as the held row's text, one sentence after another.
std::string HeldRowText(const std::vector<std::string>& faults);

// The box that asks the pharmacist: what is wrong and what each answer does.
std::string HeldScanQuestion(const std::vector<std::string>& faults, const std::string& escapedBarcode);

extern const char kHeldStatusText[];     // "Held"
extern const char kNotSentStatusText[];  // "Not sent"
extern const char kHeldCaption[];        // the box's caption
