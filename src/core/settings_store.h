// The registry form of AppSettings: HKCU\SOFTWARE\Tembrel Pharmaceutical
// Suppliers\QuorvixFMD Pellwick. Registry failures are silent by design: the
// settings keep their defaults (load) or stay unsaved (save).
#pragma once
#include "core/app_settings.h"

constexpr const char kSettingsKey[] = "SOFTWARE\\Tembrel Pharmaceutical Suppliers\\QuorvixFMD Pellwick";

// ToTray, the hosts and the switches are reset to their defaults first; the three texts keep
// their values when the key cannot be opened or created.
void LoadSettings(AppSettings& settings);

// Writes Username, Password and Proxy, and nothing else.
void SaveSettings(const AppSettings& settings);

// Writes one REG_SZ value at once (a switch of the Counter safety sheet).
void SaveSetting(const char* name, const std::string& value);

// Reads one REG_SZ value; `fallback` when it is missing or unreadable.
std::string ReadSetting(const char* name, const std::string& fallback);
