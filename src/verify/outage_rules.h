// What the worker does when the service cannot be reached: which failed
// exchanges are an outage (and whether the request may have arrived), the
// growing pause between tries, the order of waiting scans and what a Verify
// before a repeated state change decides. Portable.
#pragma once
#include <string>
#include <vector>

#include "core/scan_result.h"

enum class OutageKind {
    None,       // an answer, or a failure that trying again would not mend
    NeverSent,  // no connection was made: the request certainly never arrived
    Uncertain,  // the connection was made: the service may have acted on it
};

// From curl's exit code and, when it is 0, the reply: an error page of a
// proxy or gateway (anything that is not the service's JSON) is an outage too.
OutageKind ClassifyExchange(int curlExitCode, const std::string& reply);

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

// Spool keys (counter values, all digits) oldest first.
void SortOldestFirst(std::vector<std::string>& keys);

// What to do with a Decommission or Recommission whose earlier try may have
// reached the service, given the answer to a Verify of the same pack.
enum class ResendDecision {
    Send,        // the pack is still as it was: send the request as it was
    DoneBefore,  // the change has already happened: send nothing more
    ShowAsIs,    // anything else: the Verify's answer is the row
};
ResendDecision DecideAfterVerify(int32_t mode, const ScanResult& verified);

extern const char kWaitingStatusText[];
extern const char kDoneBeforeStatusText[];
extern const char kDoneBeforeText[];
