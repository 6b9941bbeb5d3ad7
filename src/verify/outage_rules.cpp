// Waiting reasons, the replay pause, the waiting order and the texts of a
// change found done.
#include "verify/outage_rules.h"

#include <algorithm>
#include <tuple>

#include "verify/curl_command.h"

const char kWaitingStatusText[] = "Waiting";
const char kDoneBeforeStatusText[] = "Done before";

const char* DoneBeforeText(int32_t mode)
{
    if (mode == Recommission)
        return "The pack was already active again when its answer could be checked. It was not recommissioned a "
               "second time: look at the pack before it goes back into stock.";
    return "The pack was already supplied when its answer could be checked. It was not decommissioned a second "
           "time: if this counter's earlier request went through, nothing more is needed. Look at the pack before "
           "you hand it out.";
}

std::string WaitingReason(int curlExitCode)
{
    if (curlExitCode == 0) return "The service's answer could not be read";
    return RequestFailedText(curlExitCode);
}

unsigned ReplayPause::Next()
{
    unsigned pause = m_nextMs;
    m_nextMs = std::min(m_nextMs * 2, kLongestMs);
    return pause;
}

void SortOldestFirst(std::vector<WaitingScan>& scans)
{
    std::sort(scans.begin(), scans.end(), [](const WaitingScan& a, const WaitingScan& b) {
        return std::make_tuple(a.savedAt, a.key.size(), a.key) < std::make_tuple(b.savedAt, b.key.size(), b.key);
    });
}
