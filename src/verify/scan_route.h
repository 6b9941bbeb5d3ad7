// The worker's decisions for one scan, apart from its files, curl and the
// rows it posts: hold it, queue it behind waiting scans, stop it as done
// before, verify the pack first, send it; and after an exchange, settle it or
// keep it waiting. One rule for a Decommission or Recommission whose request
// may have reached the service, whatever the switches: it is never sent again
// blind. Portable.
#pragma once
#include <cstdint>
#include <string>

#include "core/scan_result.h"

// What the worker knows of a scan before anything is sent.
struct ScanSituation {
    int32_t mode = Verify;
    bool hasRequest = true;       // the mode has a pack request (0 to 2)
    bool holdFaults = false;      // the hold switch is on and its reading finds faults
    bool approved = false;        // the pharmacist chose Send anyway
    bool kept = false;            // it waits in the waiting folder already
    bool keepScans = false;       // KeepScansDuringOutage
    bool outage = false;          // scans are waiting for the service
    bool accountRefused = false;  // scans wait for a corrected password
    bool doneBefore = false;      // the double-scan guard is on and stops it
    bool mayHaveArrived = false;  // a request file or marker from an earlier try
    bool packUncertain = false;   // an earlier change of this pack may have happened
};

enum class FirstStep {
    Hold,           // to the held folder; the pharmacist decides
    Queue,          // behind the scans that wait for the service
    RefuseMode,     // a Failed row: the mode has no request
    StopDoneBefore, // the guard's "Done before" row
    VerifyFirst,    // a Verify of the pack decides whether it is sent
    Send,
};
FirstStep FirstStepFor(const ScanSituation& scan);

// Whether the mode changes a pack's state at the service.
bool ChangesPackState(int32_t mode);

// What came of one exchange with the service, from curl's exit code and the
// reply.
enum class ExchangeResult {
    Answered,      // an item status: the service's answer
    NoItemStatus,  // JSON without an item status (a refused login, an error of the hub)
    ErrorPage,     // not the service's JSON: a proxy's or gateway's page, or nothing
    NeverSent,     // no connection was made: the request certainly never arrived
    MayHaveArrived,// the connection was made and then failed: sent, perhaps acted on
    NotSent,       // curl failed before sending (not started, refused its own command)
};
ExchangeResult ReadExchange(int curlExitCode, const std::string& reply);

// Whether the service may have acted on a request that got this result.
bool LeavesOutcomeUncertain(ExchangeResult result);

enum class AfterExchange {
    Settle,           // the row; the files go
    SettleUncertain,  // the row as it came; the pack is remembered as uncertain
    Wait,             // kept in the waiting folder
    WaitUncertain,    // kept, marked: verified first when tried again
};
// `uncertainBefore`: the scan was already uncertain before this exchange.
AfterExchange AfterSending(const ScanSituation& scan, ExchangeResult result, bool uncertainBefore);

// What a Verify sent before a repeated Decommission or Recommission decides.
enum class AfterCheck {
    Send,          // the pack is as it was: the request goes
    DoneBefore,    // the change has happened: nothing more is sent
    ShowCheck,     // anything else: not sent, the Verify's answer is the row
    Wait,          // no answer, scans are kept: it waits on
    ShowFailure,   // no answer, scans are not kept: the failure is the row
};
AfterCheck AfterVerifyFirst(const ScanSituation& scan, ExchangeResult result, const std::string& status,
                            const std::string& heading, const std::string& body);

extern const char kCheckedFirstPrefix[];  // "Checked first: "
// The row of a scan that a Verify sent first kept from being sent.
bool SaysCheckedFirst(const std::string& messageHeading);
