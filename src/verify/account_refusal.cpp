// Recognising a refused account, and the fingerprint that remembers it.
#include "verify/account_refusal.h"

#include <cstdint>
#include <cstdio>

#include "core/scan_result.h"
#include "guide/answer_guide.h"

const char kAccountRefusedReason[] = "The service refused the pharmacy's password: scans are kept until it is corrected";

bool AnswerRefusesAccount(const ScanResult& answered)
{
    return ExplainAnswer(FactsOfResult(answered)).verdict == Verdict::AccountRefused;
}

LoginAnswer ReadLoginAnswer(int curlExitCode, const std::string& reply)
{
    if (curlExitCode != 0) return LoginAnswer::Unknown;
    if (reply.find("\"Success\":true") != std::string::npos) return LoginAnswer::Accepted;
    // A proxy's or gateway's page is not the service's word on the account.
    size_t first = reply.find_first_not_of(" \t\r\n");
    return first != std::string::npos && reply[first] == '{' ? LoginAnswer::Refused : LoginAnswer::Unknown;
}

std::string AccountFingerprint(const std::string& username, const std::string& password)
{
    // FNV-1a over both, apart: enough to tell a changed password from the
    // refused one, and no way back to either.
    uint64_t hash = 14695981039346656037ULL;
    auto mix = [&](const std::string& text) {
        for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ULL;
        hash = (hash ^ 0xFF) * 1099511628211ULL;
    };
    mix(username);
    mix(password);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
