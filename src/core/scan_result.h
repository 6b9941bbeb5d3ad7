// The scan result record that carries everything shown about a scan from a
// background thread to the results list, with its kinds and the scan modes.
// Portable.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

enum ScanMode : int32_t { Verify = 0, Decommission = 1, Recommission = 2, Login = 3 };

// The display name of a mode: empty for Login, "BadWolf" outside 0 to 3.
const char* ModeNames(int32_t mode);
// The same in the chosen language, for the windows (ModeNames stays for the log).
const char* ModeWord(int32_t mode);
// A row's status text as the windows show it: the program's own words in the
// chosen language; any other text (the service's) as it is.
std::string StatusWord(const std::string& statusText);

// Scoped so that Log and Warning do not collide with the log entry points;
// the record keeps the kind as a plain 32-bit value. Waiting: a scan kept
// through an outage of the service, to be sent when it answers. Held: a
// scan that looks misread, not sent until the pharmacist says so.
struct ScanResultKind {
    enum : int32_t { Log = 0, Scanned = 1, Failed = 2, Success = 3, Warning = 4, Error = 5, Waiting = 6, Held = 7 };
};

// Marks the first waiting row of an outage: it alone sounds the alert.
constexpr const char kOutageAlertStatus[] = "outage";

// A user name whose first six characters are these is a test account.
constexpr const char TestAccountPrefix[] = "KVDEMO";
bool IsTestAccount(const std::string& username);

// Counts the records alive in the process, so that tests can prove that a
// record handed nowhere was destroyed.
class LiveRecordCounter {
public:
    LiveRecordCounter() { ++s_live; }
    LiveRecordCounter(const LiveRecordCounter&) { ++s_live; }
    LiveRecordCounter& operator=(const LiveRecordCounter&) = default;
    ~LiveRecordCounter() { --s_live; }
    static long Live() { return s_live.load(); }

private:
    static std::atomic<long> s_live;
};

struct ScanResult {
    int32_t kind = ScanResultKind::Failed;
    int32_t mode = Verify;
    std::string key;
    std::string statusText;
    std::string barcode;
    std::string status;
    std::string messageHeading;
    std::string messageBody;
    std::string postTransactionId;
    std::string replyTransactionId;
    std::string raw;
    std::string gtin;
    std::string lot;
    std::string exp;
    std::string sn;
    std::string success;
    int64_t delivery = 0;  // the delivery checked when it was scanned; 0: none
    int64_t waitedSeconds = 0;  // kept waiting for the service: from its scan to its answer
    LiveRecordCounter counted;
};
