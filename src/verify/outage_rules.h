// What the worker does while the service cannot be reached: why a scan
// waits, the growing pause between tries, the order in which waiting scans go
// out, and the texts of a change found done when its answer was lost.
// Portable.
#pragma once
#include <string>
#include <vector>

#include "core/scan_result.h"

// A waiting scan's row text: why it waits.
std::string WaitingReason(int curlExitCode);

// The pause before the next try of the oldest waiting scan: 1 s, doubling
// with each try that meets the outage again, at most 60 s.
class ReplayPause {
public:
    static constexpr unsigned kFirstMs = 1000;
    static constexpr unsigned kLongestMs = 60000;
    // The pause to wait now; the next one will be twice as long.
    unsigned Next();
    void Reset() { m_nextMs = kFirstMs; }

private:
    unsigned m_nextMs = kFirstMs;
};

// A waiting scan: its key (a counter value, all digits) and the time its
// spool file was saved.
struct WaitingScan {
    std::string key;
    unsigned long long savedAt = 0;
};
// In the order the scans were taken: by the time saved, which a restart of
// Windows does not reset as it does the counter; scans saved at the same
// moment by their keys' values.
void SortOldestFirst(std::vector<WaitingScan>& scans);

extern const char kWaitingStatusText[];
extern const char kDoneBeforeStatusText[];
// The row's body when the Verify sent first finds the change made.
const char* DoneBeforeText(int32_t mode);
