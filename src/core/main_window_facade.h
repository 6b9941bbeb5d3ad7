// What the other threads and the windows it owns need of the main window:
// the scan folder, the mode, the settings, the results list, the scan sound,
// the program's message box, the window's placement and the event that wakes
// the worker. The main dialog provides it; tests provide their own. Reached only
// through g_mainDialog's leases.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/retirable_pointer.h"
#include "core/app_settings.h"

enum class MessageBoxButtons : int32_t { Ok = 0, OkCancel = 1, YesNo = 2 };

// Shows the program's message box on the calling thread and returns once it
// is closed: 1 for "&Ok" or "&Yes", 0 otherwise.
using MessageBoxFunction = int (*)(const std::string& text, const std::string& caption, MessageBoxButtons buttons);

// A scan the worker holds back in ScanFolder\Held until the pharmacist
// decides. Send anyway writes the approval marker, then moves the held file
// back to the scan folder, where the worker sends it as it is; Do not send
// deletes it.
struct HeldScan {
    std::string key;
    std::string barcode;
    int32_t mode = 0;
    int64_t delivery = 0;
    std::vector<std::string> faults;
    std::string expiredOn;  // YYYY-MM-DD: a Decommission of an expired pack
    std::string heldPath;
    std::string sendPath;
    std::string approvalPath;
};

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
    // An auto-reset event, set whenever a spool file has been written, that
    // the worker waits on between its polls; it lives as long as the facade.
    virtual HANDLE SpoolWrittenEvent() const = 0;
    virtual void PlayScanSound() = 0;
    // The results list's font, which the program's own controls write their
    // captions in; null while the list has none.
    virtual HFONT ListFont() const = 0;
    // The main window owns the message box (and pins itself while one is
    // open). Call the function after the lease has ended: a box may stay
    // open for a long time.
    virtual MessageBoxFunction MessageBoxShower() const = 0;
    // Asks the pharmacist about a held scan, each in turn on the window's
    // thread; returns at once, so that the worker goes on meanwhile.
    virtual void AskAboutHeldScan(const HeldScan& scan) = 0;
    // The service refused the account's password (scans are kept through
    // outages): the window asks for the password. Returns at once.
    virtual void AccountRefused() {}

    // Window placement, for the pop-ups and message boxes the main window
    // owns. Pinning may run on the thread that shows a box.
    virtual void BringToFront() = 0;
    virtual void PinOnTop() = 0;
    virtual void UnpinFromTop() = 0;
    virtual bool IsPinned() const = 0;

    // While the scanner test's window is open, scans go to it instead of the
    // spool. Take returns false when no test took the scan (the window has
    // closed meanwhile): the reader then spools it as usual.
    virtual bool ScannerTestWaiting() const { return false; }
    // The delivery being checked, whose scans are all Verifies tagged with
    // its number; 0 while none is.
    virtual int64_t CurrentDelivery() const { return 0; }
    virtual bool TakeScannerTestScan(const std::string& /*scanWithLineEnding*/) { return false; }
};

// The running main dialog as the other threads see it. Start-up publishes it
// and retires it before the dialog object is destroyed; take short leases.
extern RetirablePointer<MainWindowFacade> g_mainDialog;

// Sets the running main window's SpoolWrittenEvent, if there is one: the
// worker then starts on the new spool file at once instead of at its next poll.
void SignalSpoolFileWritten();
