// What the other threads need of the main window: the scan folder, the mode,
// the settings, the results list and the scan sound. The main dialog provides
// it; tests provide their own. Reached only through g_mainDialog's leases.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/app_settings.h"
#include "app/retirable_pointer.h"

class ScanHost {
public:
    virtual ~ScanHost() = default;
    // The main window, null until it has been created.
    virtual HWND MainWindow() const = 0;
    // The results list's window, null while it does not exist.
    virtual HWND ResultsWindow() const = 0;
    virtual std::string ScanFolder() const = 0;
    virtual int32_t CurrentMode() const = 0;
    virtual AppSettings SettingsSnapshot() const = 0;
    virtual void PlayScanSound() = 0;
};

// The running main dialog as the other threads see it. Start-up publishes it
// and retires it before the dialog object is destroyed; take short leases.
extern RetirablePointer<ScanHost> g_mainDialog;
