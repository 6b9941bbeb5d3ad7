// The registry form of AppSettings: HKCU\SOFTWARE\Tembrel Pharmaceutical
// Suppliers\QuorvixFMD Pellwick. Registry failures are silent by design: the
// settings keep their defaults (load) or stay unsaved (save).
#pragma once
#include "core/app_settings.h"

constexpr const char kSettingsKey[] = "SOFTWARE\\Tembrel Pharmaceutical Suppliers\\QuorvixFMD Pellwick";

// ToTray and the hosts are reset to their defaults first; the three texts keep
// their values when the key cannot be opened or created.
void LoadSettings(AppSettings& settings);

// Writes Username, Password and Proxy, and nothing else.
void SaveSettings(const AppSettings& settings);
