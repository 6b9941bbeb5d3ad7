// Outage classification, the replay pause and the verify-first decision.
#include "verify/outage_rules.h"

#include <algorithm>

#include "verify/curl_command.h"

const char kWaitingStatusText[] = "Waiting";
const char kDoneBeforeStatusText[] = "Done before";
const char kDoneBeforeText[] =
    "The pack was already supplied when the service answered again. It was not decommissioned a second time: if "
    "this counter's request before the outage went through, nothing more is needed.";

namespace {

constexpr char kItemStatusType[] = "\"GS1.ItemStatus, TembrelQuorvixFMDCore\"";

// The service always answers with a JSON object; a gateway's page is HTML,
// text or nothing.
bool LooksLikeGatewayPage(const std::string& reply)
{
    size_t first = reply.find_first_not_of(" \t\r\n");
    return first == std::string::npos || reply[first] != '{';
}

}  // namespace

OutageKind ClassifyExchange(int curlExitCode, const std::string& reply)
{
    switch (curlExitCode) {
    case 0:
        if (reply.find(kItemStatusType) != std::string::npos) return OutageKind::None;
        return LooksLikeGatewayPage(reply) ? OutageKind::Uncertain : OutageKind::None;
    case 5:   // proxy name not resolved
    case 6:   // host name not resolved
    case 7:   // connection refused or unreachable
    case 35:  // the TLS handshake failed: no request was sent in it
        return OutageKind::NeverSent;
    case 28:  // a time-out may come after the request went out
    case 52:  // connected, no answer
    case 55:  // sending failed part-way
    case 56:  // the answer broke off
        return OutageKind::Uncertain;
    default: return OutageKind::None;
    }
}

std::string WaitingReason(int curlExitCode)
{
    if (curlExitCode == 0) return "The service answered with an error page";
    return RequestFailedText(curlExitCode);
}

unsigned ReplayPause::Next()
{
    unsigned pause = m_nextMs;
    m_nextMs = std::min(m_nextMs * 2, kLongestMs);
    return pause;
}

void SortOldestFirst(std::vector<std::string>& keys)
{
    std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
}

ResendDecision DecideAfterVerify(int32_t mode, const ScanResult& verified)
{
    if (verified.status == "3") return ResendDecision::ShowAsIs;  // no item status
    bool active = verified.kind == ScanResultKind::Success;
    bool supplied = verified.kind == ScanResultKind::Warning &&
                    (verified.messageHeading.find("Supplied") != std::string::npos ||
                     verified.messageBody.find("Supplied") != std::string::npos);
    if (mode == Decommission) {
        if (active) return ResendDecision::Send;
        if (supplied) return ResendDecision::DoneBefore;
    } else if (mode == Recommission && supplied) {
        return ResendDecision::Send;
    }
    return ResendDecision::ShowAsIs;
}
