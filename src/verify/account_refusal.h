// When the service has refused the pharmacy's account. National systems lock
// an account after a few refused attempts, and only the national
// organisation unlocks it: with scans kept through outages, a refused
// password is never sent again until a credentials check with a password
// succeeds. Portable.
#pragma once
#include <string>

struct ScanResult;

// The row's reason while scans wait for a corrected password.
extern const char kAccountRefusedReason[];

// An answer to a pack request that the answer guide reads as a refusal of
// the account (a wrong or expired password, a locked account).
bool AnswerRefusesAccount(const ScanResult& answered);

// What a credentials check's exchange says of the account.
enum class LoginAnswer {
    Accepted,  // the answer holds "Success":true
    Refused,   // the service answered (JSON) without it
    Unknown,   // no answer from the service: nothing is known
};
LoginAnswer ReadLoginAnswer(int curlExitCode, const std::string& reply);

// Stands for an account and password in the refusal's memory, so that the
// memory never holds the password itself.
std::string AccountFingerprint(const std::string& username, const std::string& password);
