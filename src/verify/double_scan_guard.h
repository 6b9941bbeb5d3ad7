// The double-scan guard's rule: a pack that this program decommissioned or
// recommissioned a few minutes ago is not sent in that mode again (a second
// answer would only be an alert at the service). Remembers for as long as
// the program runs, and what the history gives it from before. Portable.
#pragma once
#include <atomic>
#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "core/scan_result.h"

// The guard's clock; tests move it on.
using GuardClock = std::time_t (*)();

class DoubleScanGuard {
public:
    // When the pack of `barcode` was answered with Success in `mode` within
    // the last `minutes`. Verify is never guarded.
    std::optional<std::time_t> DoneBefore(const std::string& barcode, int32_t mode, long minutes);
    // A Success in Decommission or Recommission mode; it also forgets the
    // pack's success in the other mode, which this one has undone.
    void RememberSuccess(const std::string& barcode, int32_t mode) { RememberSuccessAt(barcode, mode, Now()); }
    // The same for a success at `when`, as an earlier run kept it.
    void RememberSuccessAt(const std::string& barcode, int32_t mode, std::time_t when);

    // For a scan that is not to be sent: fills `record` as the row "Done
    // before" (a Success with the pack's fields) and returns the log row that
    // follows it. Empty when the scan is to be sent.
    std::string StopIfDoneBefore(ScanResult& record, long minutes);

    void SetClock(GuardClock clock) { m_clock.store(clock); }
    std::time_t Now() const { return m_clock.load()(); }

    // The pack: product code and serial number as read, else the barcode
    // as scanned when it cannot be read.
    static std::string PackKey(const std::string& barcode);

private:
    std::atomic<GuardClock> m_clock{[] { return std::time(nullptr); }};
    std::map<std::pair<int32_t, std::string>, std::time_t> m_done;  // (mode, pack) to the time of its success
};

// "HH:MM:SS" of a time, local.
std::string LocalClockTime(std::time_t when);
