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
};

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
