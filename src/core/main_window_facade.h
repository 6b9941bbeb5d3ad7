// What the other threads and the windows it owns need of the main window:
// the scan folder, the mode, the settings, the results list, the scan sound,
// the program's message box and the window's placement. The main dialog provides it; tests provide their own. Reached only
// through g_mainDialog's leases.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/retirable_pointer.h"
#include "core/app_settings.h"

enum class MessageBoxButtons : int32_t { Ok = 0, OkCancel = 1, YesNo = 2 };

// Shows the program's message box on the calling thread and returns once it
// is closed: 1 for "&Ok" or "&Yes", 0 otherwise.
using MessageBoxFunction = int (*)(const std::string& text, const std::string& caption, MessageBoxButtons buttons);

class MainWindowFacade {
public:
    virtual ~MainWindowFacade() = default;
    // The main window, null until it has been created.
    virtual HWND MainWindow() const = 0;
    // The results list's window, null while it does not exist.
    virtual HWND ResultsWindow() const = 0;
    virtual std::string ScanFolder() const = 0;
    virtual int32_t CurrentMode() const = 0;
    virtual AppSettings SettingsSnapshot() const = 0;
    virtual void PlayScanSound() = 0;
    // The results list's font, which the program's own controls write their
    // captions in; null while the list has none.
    virtual HFONT ListFont() const = 0;
    // The main window owns the message box (and pins itself while one is
    // open). Call the function after the lease has ended: a box may stay
    // open for a long time.
    virtual MessageBoxFunction MessageBoxShower() const = 0;

    // Window placement, for the pop-ups and message boxes the main window
    // owns. Pinning may run on the thread that shows a box.
    virtual void BringToFront() = 0;
    virtual void PinOnTop() = 0;
    virtual void UnpinFromTop() = 0;
    virtual bool IsPinned() const = 0;
};

// The running main dialog as the other threads see it. Start-up publishes it
// and retires it before the dialog object is destroyed; take short leases.
extern RetirablePointer<MainWindowFacade> g_mainDialog;
