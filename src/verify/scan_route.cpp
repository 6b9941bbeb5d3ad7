// The worker's per-scan decisions.
#include "verify/scan_route.h"

#include "guide/pack_state.h"

const char kCheckedFirstPrefix[] = "Checked first: ";

namespace {

constexpr char kItemStatusType[] = "\"GS1.ItemStatus, TembrelQuorvixFMDCore\"";

bool LooksLikeJson(const std::string& reply)
{
    size_t first = reply.find_first_not_of(" \t\r\n");
    return first != std::string::npos && reply[first] == '{';
}

}  // namespace

bool SaysCheckedFirst(const std::string& messageHeading)
{
    return messageHeading.compare(0, sizeof kCheckedFirstPrefix - 1, kCheckedFirstPrefix) == 0;
}

bool ChangesPackState(int32_t mode) { return mode == Decommission || mode == Recommission; }

FirstStep FirstStepFor(const ScanSituation& scan)
{
    bool fresh = !scan.kept;
    // A request an ended program left may have arrived: holding it now would
    // come too late.
    if (fresh && scan.holdFaults && !scan.approved && !scan.mayHaveArrived) return FirstStep::Hold;
    if (fresh && scan.keepScans && (scan.outage || scan.accountRefused)) return FirstStep::Queue;
    if (!scan.hasRequest) return FirstStep::RefuseMode;
    if (scan.doneBefore) return FirstStep::StopDoneBefore;
    if (ChangesPackState(scan.mode) && (scan.mayHaveArrived || scan.packUncertain)) return FirstStep::VerifyFirst;
    return FirstStep::Send;
}

ExchangeResult ReadExchange(int curlExitCode, const std::string& reply)
{
    switch (curlExitCode) {
    case 0:
        if (reply.find(kItemStatusType) != std::string::npos) return ExchangeResult::Answered;
        return LooksLikeJson(reply) ? ExchangeResult::NoItemStatus : ExchangeResult::ErrorPage;
    case 5:   // proxy name not resolved
    case 6:   // host name not resolved
    case 7:   // connection refused or unreachable
    case 35:  // the TLS handshake failed: no request was sent in it
        return ExchangeResult::NeverSent;
    case 18:  // the answer was shorter than announced
    case 23:  // the answer could not be written
    case 28:  // a time-out, perhaps after the request went out
    case 52:  // connected, no answer
    case 55:  // sending failed part-way
    case 56:  // the answer broke off
    case 63:  // the answer was larger than allowed
        return ExchangeResult::MayHaveArrived;
    default: return ExchangeResult::NotSent;
    }
}

bool LeavesOutcomeUncertain(ExchangeResult result)
{
    return result == ExchangeResult::MayHaveArrived || result == ExchangeResult::NoItemStatus ||
           result == ExchangeResult::ErrorPage;
}

AfterExchange AfterSending(const ScanSituation& scan, ExchangeResult result, bool uncertainBefore)
{
    if (result == ExchangeResult::Answered) return AfterExchange::Settle;
    bool uncertain = ChangesPackState(scan.mode) && (uncertainBefore || LeavesOutcomeUncertain(result));
    if (scan.keepScans || scan.kept) {
        // A kept scan settles only on an answer: whatever else came back, it
        // waits on. A fresh Verify refused in JSON is answered as it is.
        bool outage = scan.kept || result == ExchangeResult::NeverSent || result == ExchangeResult::ErrorPage ||
                      result == ExchangeResult::MayHaveArrived || uncertain;
        if (outage) return uncertain ? AfterExchange::WaitUncertain : AfterExchange::Wait;
        return AfterExchange::Settle;
    }
    return uncertain ? AfterExchange::SettleUncertain : AfterExchange::Settle;
}

AfterCheck AfterVerifyFirst(const ScanSituation& scan, ExchangeResult result, const std::string& status,
                            const std::string& heading, const std::string& body)
{
    if (result != ExchangeResult::Answered)
        return scan.keepScans || scan.kept ? AfterCheck::Wait : AfterCheck::ShowFailure;
    PackState state = PackStateOfVerify(status, heading, body);
    if (scan.mode == Decommission) {
        if (state == PackState::Active) return AfterCheck::Send;
        if (state == PackState::Supplied) return AfterCheck::DoneBefore;
    } else if (scan.mode == Recommission) {
        if (state == PackState::Supplied) return AfterCheck::Send;
        if (state == PackState::Active) return AfterCheck::DoneBefore;
    }
    return AfterCheck::ShowCheck;
}
