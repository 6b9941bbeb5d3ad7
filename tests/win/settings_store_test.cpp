// The settings in the real registry under Wine (HKCU of the test prefix).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/fmd_app.h"
#include "core/settings_store.h"
#include "framework/win_handle.h"
#include "support/test_support.h"

namespace {

class Registry : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }

    static RegKey Key()
    {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        return RegKey(key);
    }
    static void PutString(const char* name, const std::string& value, DWORD type = REG_SZ)
    {
        RegSetValueExA(Key().Get(), name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
    static std::vector<std::string> ValueNames()
    {
        std::vector<std::string> names;
        RegKey key = Key();
        for (DWORD i = 0;; ++i) {
            char name[256];
            DWORD size = sizeof name;
            if (RegEnumValueA(key.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static bool KeyExists()
    {
        HKEY key = nullptr;
        bool found = RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        RegKey opened(key);
        return found;
    }
};

}  // namespace

TEST_F(Registry, FirstStartCreatesTheKeyEmptyWithDefaults)
{
    ASSERT_FALSE(KeyExists());
    AppSettings settings;
    LoadSettings(settings);
    EXPECT_TRUE(KeyExists());
    EXPECT_TRUE(ValueNames().empty());
    EXPECT_EQ(settings.Username, "");
    EXPECT_EQ(settings.Password, "");
    EXPECT_EQ(settings.Proxy, "");
    EXPECT_TRUE(settings.ToTray);
    EXPECT_EQ(settings.ServiceHost, kDefaultServiceHost);
    EXPECT_EQ(settings.UpdateHost, kDefaultUpdateHost);
    EXPECT_FALSE(settings.GuardDoubleScans);
    EXPECT_EQ(settings.DoubleScanMinutes, 10);
}

TEST_F(Registry, ToTrayIsReadAsADecimalNumber)
{
    struct Case {
        const char* stored;
        bool toTray;
    } cases[] = {{"0", false}, {"abc", false}, {" 2", true}, {"1", true}, {"-1", true}, {"00", false}, {"", false}};
    for (const Case& c : cases) {
        PutString("ToTray", c.stored);
        AppSettings settings;
        settings.ToTray = !c.toTray;
        LoadSettings(settings);
        EXPECT_EQ(settings.ToTray, c.toTray) << '"' << c.stored << '"';
    }
}

// Only strings that fit the 1024-byte buffer with their zero count; a host
// value replaces its default only when it is not empty.
TEST_F(Registry, OnlyFittingStringsCountAndEmptyHostsKeepTheirDefaults)
{
    DWORD zero = 0;
    RegSetValueExA(Key().Get(), "ToTray", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
    PutString("Username", "expand%me%", REG_EXPAND_SZ);
    PutString("Password", std::string(1025, 'p'));
    PutString("Proxy", std::string(1024, 'x'));
    PutString("ServiceHost", "127.0.0.1:8123");
    PutString("UpdateHost", "");
    AppSettings settings;
    settings.Username = "typed";
    LoadSettings(settings);
    EXPECT_TRUE(settings.ToTray) << "a REG_DWORD 0 gives the default, true";
    EXPECT_EQ(settings.Username, "");
    EXPECT_EQ(settings.Password, "");
    EXPECT_EQ(settings.Proxy, std::string(1024, 'x'));
    EXPECT_EQ(settings.ServiceHost, "127.0.0.1:8123");
    EXPECT_EQ(settings.UpdateHost, kDefaultUpdateHost);
}

TEST_F(Registry, SaveWritesExactlyTheThreeTextsAndLeavesOthersAlone)
{
    PutString("ToTray", "0");
    PutString("Other", "untouched");
    AppSettings settings;
    settings.Username = "KVDEMO01";
    settings.Password = "pa\"ss\\w\xE9rd";
    settings.Proxy = "";
    settings.ToTray = true;
    settings.ServiceHost = "127.0.0.1:9";
    SaveSettings(settings);
    EXPECT_EQ(ValueNames(), (std::vector<std::string>{"Other", "Password", "Proxy", "ToTray", "Username"}));

    AppSettings loaded;
    LoadSettings(loaded);
    EXPECT_EQ(loaded.Username, "KVDEMO01");
    EXPECT_EQ(loaded.Password, "pa\"ss\\w\xE9rd") << "stored in plain text";
    EXPECT_EQ(loaded.Proxy, "");
    EXPECT_FALSE(loaded.ToTray) << "ToTray is never written";
    EXPECT_EQ(loaded.ServiceHost, kDefaultServiceHost) << "hosts are never written";
}

// The switches that relax or extend the sending are on for the text "1" only.
TEST_F(Registry, SwitchesAreOnForTheTextOneOnly)
{
    const std::pair<const char*, bool> cases[] = {{"1", true}, {"0", false}, {"", false}, {"yes", false},
                                                  {"01", false}, {"1 ", false}};
    for (const auto& [text, on] : cases) {
        PutString("AllowPlainHttp", text);
        PutString("KeepScansDuringOutage", text);
        PutString("GuardDoubleScans", text);
        PutString("DoubleScanMinutes", "3");
        AppSettings settings;
        LoadSettings(settings);
        EXPECT_EQ(settings.AllowPlainHttp, on) << '"' << text << '"';
        EXPECT_EQ(settings.KeepScansDuringOutage, on) << '"' << text << '"';
        EXPECT_EQ(settings.GuardDoubleScans, on) << '"' << text << '"';
        EXPECT_EQ(settings.DoubleScanMinutes, 3);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    AppSettings settings;
    settings.AllowPlainHttp = settings.KeepScansDuringOutage = true;
    LoadSettings(settings);
    EXPECT_FALSE(settings.AllowPlainHttp) << "absent: off";
    EXPECT_FALSE(settings.KeepScansDuringOutage) << "absent: off";
}

// A number that decides how long the history keeps its rows, or how long a
// pack counts as done, is taken only when it is plainly one in its range:
// "0" meant as "for ever" would otherwise delete every row at the next start.
TEST_F(Registry, KeepingDaysAndGuardMinutesAreTakenOnlyInTheirRange)
{
    TempFolder folder;
    CFMDApp app;
    app.SetAppFolder(folder.Path());
    const struct {
        const char* stored;
        long days, minutes;  // as loaded
    } cases[] = {
        {"0", 400, 10},      {"", 400, 10},        {"forever", 400, 10}, {"99999", 400, 10}, {"-1", 400, 10},
        {"1.000", 400, 10},  {"30 days", 400, 10}, {"1441", 1441, 10},   {"3651", 400, 10},  {"1", 1, 1},
        {" 365 ", 365, 365}, {"1440", 1440, 1440}, {"3650", 3650, 10},   {"99999999999999999999", 400, 10},
    };
    for (const auto& c : cases) {
        PutString("HistoryDays", c.stored);
        PutString("DoubleScanMinutes", c.stored);
        AppSettings settings;
        LoadSettings(settings);
        EXPECT_EQ(settings.HistoryDays, c.days) << '"' << c.stored << '"';
        EXPECT_EQ(settings.DoubleScanMinutes, c.minutes) << '"' << c.stored << '"';
    }
    std::string trace = ReadBytes(folder / "Logs\\trace-1.txt");
    const char refusedDays[] = "WARNING: Settings - \"HistoryDays\" is \"0\", not a number from 1 to 3650: 400 is used";
    EXPECT_EQ(CountOf(trace, refusedDays), 1u) << trace;
    EXPECT_EQ(CountOf(trace, "WARNING: Settings - \"HistoryDays\""), 9u) << "one line each time a value is refused";
    const char refusedMinutes[] =
        "WARNING: Settings - \"DoubleScanMinutes\" is \"1441\", not a number from 1 to 1440: 10 is used";
    EXPECT_EQ(CountOf(trace, refusedMinutes), 1u) << trace;

    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    AppSettings absent;
    LoadSettings(absent);
    EXPECT_EQ(absent.HistoryDays, 400);
    EXPECT_EQ(absent.DoubleScanMinutes, 10);
    EXPECT_EQ(CountOf(ReadBytes(folder / "Logs\\trace-1.txt"), "WARNING"), CountOf(trace, "WARNING"))
        << "an absent value is no fault";
}
