// Loading and saving the settings in the current user's registry.
#include "core/settings_store.h"

#include <windows.h>

#include "base/decimal.h"
#include "framework/win_handle.h"

namespace {

// One value must fit this buffer with its terminating zero.
constexpr DWORD kValueBufferSize = 1025;

RegKey OpenOrCreateKey()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) return RegKey(key);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) == ERROR_SUCCESS)
        return RegKey(key);
    return RegKey();
}

// The value's text when it is a REG_SZ that fits the buffer, else `fallback`.
std::string ReadString(HKEY key, const char* name, const std::string& fallback)
{
    char buffer[kValueBufferSize];
    DWORD type = 0, size = sizeof buffer;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return fallback;
    // The stored data need not end in a zero; one must fit after it.
    if (size > 0 && buffer[size - 1] == '\0') return std::string(buffer, size - 1);
    if (size >= kValueBufferSize) return fallback;
    return std::string(buffer, size);
}

void WriteString(HKEY key, const char* name, const std::string& value)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

std::string HostOrDefault(HKEY key, const char* name, const char* fallback)
{
    std::string host = ReadString(key, name, "");
    return host.empty() ? fallback : host;
}

}  // namespace

void LoadSettings(AppSettings& settings)
{
    settings.ToTray = true;
    settings.ServiceHost = kDefaultServiceHost;
    settings.UpdateHost = kDefaultUpdateHost;
    settings.AllowPlainHttp = false;
    settings.KeepScansDuringOutage = false;
    settings.GuardDoubleScans = false;
    settings.DoubleScanMinutes = 10;
    settings.HoldImplausibleScans = false;
    settings.ExplainAnswers = false;
    settings.AlertAnswerDays = 7;
    settings.HistoryDays = 400;
    RegKey key = OpenOrCreateKey();
    if (!key) return;
    settings.ToTray = ParseLeadingDecimal(ReadString(key.Get(), "ToTray", "1")) != 0;
    settings.Username = ReadString(key.Get(), "Username", "");
    settings.Password = ReadString(key.Get(), "Password", "");
    settings.Proxy = ReadString(key.Get(), "Proxy", "");
    settings.ServiceHost = HostOrDefault(key.Get(), "ServiceHost", kDefaultServiceHost);
    settings.UpdateHost = HostOrDefault(key.Get(), "UpdateHost", kDefaultUpdateHost);
    settings.AllowPlainHttp = ReadString(key.Get(), "AllowPlainHttp", "") == "1";
    settings.KeepScansDuringOutage = ReadString(key.Get(), "KeepScansDuringOutage", "") == "1";
    settings.GuardDoubleScans = ReadString(key.Get(), "GuardDoubleScans", "") == "1";
    settings.DoubleScanMinutes = ParseLeadingDecimal(ReadString(key.Get(), "DoubleScanMinutes", "10"));
    settings.HoldImplausibleScans = ReadString(key.Get(), "HoldImplausibleScans", "") == "1";
    settings.ExplainAnswers = ReadString(key.Get(), "ExplainAnswers", "") == "1";
    settings.AlertAnswerDays = ParseLeadingDecimal(ReadString(key.Get(), "AlertAnswerDays", "7"));
    if (settings.AlertAnswerDays < 1) settings.AlertAnswerDays = 7;
    settings.HistoryDays = ParseLeadingDecimal(ReadString(key.Get(), "HistoryDays", "400"));
}

void SaveSetting(const char* name, const std::string& value)
{
    RegKey key = OpenOrCreateKey();
    if (key) WriteString(key.Get(), name, value);
}

void SaveSettings(const AppSettings& settings)
{
    RegKey key = OpenOrCreateKey();
    if (!key) return;
    WriteString(key.Get(), "Username", settings.Username);
    WriteString(key.Get(), "Password", settings.Password);
    WriteString(key.Get(), "Proxy", settings.Proxy);
}
