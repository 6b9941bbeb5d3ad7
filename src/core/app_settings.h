// The user settings that survive a restart, and the lock-guarded copy through
// which other threads read them while the settings dialog may replace them.
// Portable.
#pragma once
#include <mutex>
#include <string>

// Built-in hosts (host[:port], no scheme); the registry values "ServiceHost"
// and "UpdateHost" replace them when present and not empty.
constexpr const char kDefaultServiceHost[] = "fmd.quorvix.eu";
constexpr const char kDefaultUpdateHost[] = "update.quorvix.eu";

struct AppSettings {
    std::string Username;
    std::string Password;
    std::string Proxy;
    bool ToTray = true;
    std::string ServiceHost = kDefaultServiceHost;
    std::string UpdateHost = kDefaultUpdateHost;
    // Registry switches, on only when their value is the text "1".
    // AllowPlainHttp: a failed TLS connection is tried again over plain
    // HTTP, password and all (for a service reachable no other way).
    bool AllowPlainHttp = false;
    // KeepScansDuringOutage: a scan that could not reach the service waits
    // in ScanFolder\Waiting and is sent again, instead of failing.
    bool KeepScansDuringOutage = false;
    // GuardDoubleScans: a pack done within DoubleScanMinutes in the same
    // mode is not sent again.
    bool GuardDoubleScans = false;
    long DoubleScanMinutes = 10;  // 1 to kMostDoubleScanMinutes
    // HoldImplausibleScans: a scan whose code looks damaged or misread is
    // not sent until the pharmacist says so.
    bool HoldImplausibleScans = false;
    // ExplainAnswers: the product pop-up ends with what the answer means and
    // what to do next.
    bool ExplainAnswers = false;
    // An alert's case is to be answered within this many days.
    long AlertAnswerDays = 7;
    // A pack checked at goods-in whose expiry is this many months away or
    // less counts as short-dated.
    long ShortDatedMonths = 3;
    // The scan history keeps each outcome this many days.
    long HistoryDays = 400;  // 1 to kMostHistoryDays
};

constexpr long kMostDoubleScanMinutes = 24 * 60;
constexpr long kMostHistoryDays = 3650;

// Whole-record reads and writes under one lock, so that no reader ever sees
// a user name from one save and a password from another.
class SharedSettings {
public:
    AppSettings Snapshot() const
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_values;
    }
    void Replace(const AppSettings& values)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_values = values;
    }

private:
    mutable std::mutex m_lock;
    AppSettings m_values;
};
