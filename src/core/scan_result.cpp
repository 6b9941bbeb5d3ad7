// Mode names and the test-account rule.
#include "core/scan_result.h"

std::atomic<long> LiveRecordCounter::s_live{0};

const char* ModeNames(int32_t mode)
{
    switch (mode) {
    case Verify: return "Verify";
    case Decommission: return "Decommission";
    case Recommission: return "Recommission";
    case Login: return "";
    default: return "BadWolf";
    }
}

bool IsTestAccount(const std::string& username) { return username.compare(0, 6, TestAccountPrefix) == 0; }
