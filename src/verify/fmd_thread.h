// The verification worker: looks in the scan folder as soon as a spool file
// has been written, and every 100 ms in any case, and sends each spool file's
// barcode to the service through curl, posting the result to the results
// list. Also the credentials check used by the window thread.
#pragma once
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/app_settings.h"
#include "core/scan_result.h"
#include "framework/win_handle.h"
#include "framework/win_thread.h"
#include "verify/outage_rules.h"
#include "verify/double_scan_guard.h"
#include "verify/scan_history.h"

class CFMDThread : public CWinThread {
public:
    // True when the service accepts the account (a test account always is).
    // Blocks the caller for the exchange; uses the scan folder for its files.
    static bool CheckLogin(const AppSettings& settings, const std::string& scanFolder);

    // Removes what an ended program left behind, while no exchange runs (at
    // start, before the worker): request and reply files that belong to no
    // spool file, and spool files cut off before they were complete. Those
    // are never sent (a cut-short code in Decommission mode would raise a
    // false alert at the service): a log row asks for the pack again.
    static void RemoveLeftoverFiles(const std::string& scanFolder);

    // Handles one spool file (a name without folder) completely. During an
    // outage, with KeepScansDuringOutage on, it joins the waiting scans.
    void ProcessSpoolFile(const std::string& fileName);

    // The packs done this run; its clock is the tests' seam.
    DoubleScanGuard& ScanGuard() { return m_guard; }
    // Other threads only hand it rows (RecordLater).
    ScanHistory& History() { return m_history; }

protected:
    int Run() override;

private:
    // One pass's view of the main window, taken under a short lease so that
    // no exchange ever runs while holding it.
    bool TakePassView();
    // Until the poll interval has passed or a spool file has been written.
    void WaitForNextPass();
    // Keeps the scan's outcome in the history, then posts it to the list.
    void SettleScan(std::unique_ptr<ScanResult> record, int curlResult);
    // Deletes a handled spool file. One that cannot be deleted is remembered
    // and not sent again in this process: its result is already posted, and
    // each pass would otherwise send it once more.
    void DeleteSpoolFile(const std::string& fileName, const std::string& path);

    // Scans kept through an outage wait in ScanFolder\Waiting, each with a
    // "<key>.uncertain" marker when the service may have acted on it.
    enum class SendOutcome { Settled, Waiting, Skipped, Unreadable };
    enum class CheckOutcome { SendRequest, Settled, Waiting, Skipped };
    SendOutcome SendScan(const std::string& folder, const std::string& fileName);
    // The Verify sent before repeating a state change that may have happened.
    CheckOutcome VerifyFirst(const std::string& base, const std::string& barcode, ScanResult& record,
                             int& outageResult);
    void KeepWaiting(const std::string& folder, const std::string& fileName, std::unique_ptr<ScanResult> record,
                     int curlResult, bool uncertain);
    void QueueBehindWaiting(const std::string& fileName);
    // Each pass: tries the oldest waiting scan when its pause is over, and
    // the rest after it once one goes through.
    void ReplayWaitingScans();
    void StartOutage();
    std::string WaitingFolder() const { return m_strScanFolder + "\\Waiting"; }

    // With HoldImplausibleScans on, a scan whose reading finds a fault moves
    // to ScanFolder\Held and the main window asks about it; true when held.
    bool HoldIfImplausible(const std::string& fileName);
    void HandOverHeldScan(std::unique_ptr<ScanResult> record, std::vector<std::string> faults);
    // Scans held by an earlier run get their rows and boxes again, once.
    void RestoreHeldScans();
    // A restart must not forget the packs done within the guard's minutes.
    void RememberGuardedPacksFromHistory();
    std::string HeldFolder() const { return m_strScanFolder + "\\Held"; }
    std::string ApprovalPath(const std::string& key) const { return m_strScanFolder + "\\" + key + ".approved"; }

    std::string m_strScanFolder;  // of the current pass (it never changes in the program)
    AppSettings m_settings;       // snapshot for the current pass
    HWND m_resultsWindow = nullptr;
    // The worker's own handle on the main window's SpoolWrittenEvent, so that
    // its wait never outlives the handle when the window goes first.
    KernelHandle m_spoolWritten;
    std::set<std::string> m_undeletable;  // spool file names, this process only
    bool m_outage = false;                // scans are waiting
    int m_sentSinceOutage = 0;
    ReplayPause m_replayPause;
    unsigned long long m_nextReplayTick = 0;
    DoubleScanGuard m_guard;              // used on the worker thread only
    bool m_heldRestored = false;
    ScanHistory m_history;                // likewise
    bool m_guardRemembered = false;       // from the history, once the guard is on
};
