// Loading and saving the settings in the current user's registry.
#include "core/settings_store.h"

#include <windows.h>

#include "base/decimal.h"
#include "core/log.h"
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

// True with the value's text when it is a REG_SZ that fits the buffer.
bool ReadPresentString(HKEY key, const char* name, std::string& text)
{
    char buffer[kValueBufferSize];
    DWORD type = 0, size = sizeof buffer;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    // The stored data need not end in a zero; one must fit after it.
    if (size > 0 && buffer[size - 1] == '\0') size -= 1;
    else if (size >= kValueBufferSize) return false;
    text.assign(buffer, size);
    return true;
}

// The value's text when it is a REG_SZ that fits the buffer, else `fallback`.
std::string ReadString(HKEY key, const char* name, const std::string& fallback)
{
    std::string text;
    return ReadPresentString(key, name, text) ? text : fallback;
}

// A number that decides what is kept or deleted is taken only when it is
// plainly one within its range: "0" or "1.000" for days would otherwise
// delete the whole history. Anything else costs one line and the default.
long ReadNumberInRange(HKEY key, const char* name, long lowest, long highest, long fallback)
{
    std::string text;
    if (!ReadPresentString(key, name, text)) return fallback;
    long value = 0;
    if (ParseWholeDecimal(text, value) && value >= lowest && value <= highest) return value;
    SetLastError(ERROR_INVALID_DATA);
    Warning("Settings - \"%s\" is \"%s\", not a number from %ld to %ld: %ld is used", name, text.c_str(), lowest,
            highest, fallback);
    return fallback;
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
    settings.ShortDatedMonths = 3;
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
    settings.DoubleScanMinutes = ReadNumberInRange(key.Get(), "DoubleScanMinutes", 1, kMostDoubleScanMinutes, 10);
    settings.HoldImplausibleScans = ReadString(key.Get(), "HoldImplausibleScans", "") == "1";
    settings.ExplainAnswers = ReadString(key.Get(), "ExplainAnswers", "") == "1";
    settings.AlertAnswerDays = ReadNumberInRange(key.Get(), "AlertAnswerDays", 1, 365, 7);
    settings.ShortDatedMonths = ReadNumberInRange(key.Get(), "ShortDatedMonths", 1, 24, 3);
    settings.HistoryDays = ReadNumberInRange(key.Get(), "HistoryDays", 1, kMostHistoryDays, 400);
}

void SaveSetting(const char* name, const std::string& value)
{
    RegKey key = OpenOrCreateKey();
    if (key) WriteString(key.Get(), name, value);
}

std::string ReadSetting(const char* name, const std::string& fallback)
{
    RegKey key = OpenOrCreateKey();
    return key ? ReadString(key.Get(), name, fallback) : fallback;
}

void SaveSettings(const AppSettings& settings)
{
    RegKey key = OpenOrCreateKey();
    if (!key) return;
    WriteString(key.Get(), "Username", settings.Username);
    WriteString(key.Get(), "Password", settings.Password);
    WriteString(key.Get(), "Proxy", settings.Proxy);
}
