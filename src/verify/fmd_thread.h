// The verification worker: looks in the scan folder as soon as a spool file
// has been written, and every 100 ms in any case, and sends each spool file's
// barcode to the service through curl, posting the result to the results
// list. What to do with each scan is decided in scan_route; this thread does
// the files, curl and the posting. Also the credentials check used by the
// window thread.
#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/app_settings.h"
#include "core/scan_folders.h"
#include "core/scan_result.h"
#include "framework/win_handle.h"
#include "framework/win_thread.h"
#include "verify/account_refusal.h"
#include "verify/double_scan_guard.h"
#include "verify/expiry_clock.h"
#include "verify/hold_rules.h"
#include "verify/outage_rules.h"
#include "verify/scan_history.h"
#include "verify/scan_route.h"
#include "verify/uncertain_packs.h"

class CFMDThread : public CWinThread {
public:
    // True when the service accepts the account (a test account always is).
    // Blocks the caller for the exchange; uses the scan folder for its files.
    static bool CheckLogin(const AppSettings& settings, const std::string& scanFolder);
    // With KeepScansDuringOutage on: the service refused these credentials
    // and no check has succeeded since. Nothing is sent with them, by the
    // worker or by a check the program makes of itself.
    static bool KnownRefused(const AppSettings& settings, const std::string& scanFolder);

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
    // The day expiry dates are compared with; its date source is the tests' seam.
    ExpiryClock& ExpiryCheckClock() { return m_expiryClock; }
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
    // What this computer did before this run: the guard's successes and the
    // packs left uncertain, from the history, once.
    void RememberFromHistory();

    enum class SendOutcome { Settled, Waiting, Skipped, Unreadable };
    // One scan from `folder` (the scan folder or the waiting folder).
    SendOutcome HandleScan(const std::string& folder, const std::string& fileName);
    ScanSituation SituationOf(const std::string& folder, const ScanResult& record, HoldReasons& reasons);
    // The spool file's content; false when it is not to be handled now. A
    // file too large for a scan, or unreadable pass after pass, is set aside.
    bool ReadSpoolFile(const std::string& folder, const std::string& fileName, std::string& content);
    void SetAside(const std::string& folder, const std::string& fileName, const char* why);
    // Moves the scans set aside into ScanFolder\Unreadable, as soon as they can be.
    void MoveSetAsideFiles();
    bool LeftAlone(const std::string& path) const;

    SendOutcome SendAndSettle(const std::string& folder, const std::string& fileName,
                              std::unique_ptr<ScanResult> record, const ScanSituation& scan, bool uncertainBefore);
    // The Verify sent before a change that may have happened already.
    SendOutcome VerifyFirst(const std::string& folder, const std::string& fileName,
                            std::unique_ptr<ScanResult> record, const ScanSituation& scan);
    // Keeps the scan's outcome in the history and what it says of the pack,
    // then posts it; the scan's files go after.
    void SettleScan(std::unique_ptr<ScanResult> record, int curlResult);
    void FinishScanFiles(const std::string& folder, const std::string& fileName);

    // Scans kept through an outage wait in ScanFolder\Waiting, each with a
    // "<key>.uncertain" marker when the service may have acted on it.
    void KeepWaiting(const std::string& folder, const std::string& fileName, std::unique_ptr<ScanResult> record,
                     int curlResult, bool uncertain);
    // Keeps a scan the service answered with a refusal of the account.
    SendOutcome WaitForPassword(const std::string& folder, const std::string& fileName,
                                std::unique_ptr<ScanResult> record, int curlResult, bool uncertain);
    void QueueBehindWaiting(const std::string& fileName, std::unique_ptr<ScanResult> record);
    // Each pass: tries the oldest waiting scan when its pause is over, and
    // the rest after it once one goes through.
    void ReplayWaitingScans();
    void StartOutage();

    // With KeepScansDuringOutage on, a refused account is an outage of its
    // own: scans wait until a credentials check succeeds.
    static void NoteLoginAnswer(const AppSettings& settings, const std::string& scanFolder, LoginAnswer answer);
    // Whether the exchange's answer refuses the account (asking the service
    // once more, with a credentials check, when the answer has no item status).
    bool AccountRefusedBy(ExchangeResult result, const std::string& reply);
    void EnterAccountRefusal();
    // Each pass: takes in a refusal remembered or forgotten elsewhere.
    void FollowAccountRefusal();
    // The first waiting row of a refusal sounds the alert.
    bool TakeRefusalAlert();
    std::string WaitingFolder() const { return WaitingFolderOf(m_strScanFolder); }

    // With HoldImplausibleScans on, a scan whose reading finds a fault, or a
    // Decommission of an expired pack, moves to ScanFolder\Held and the main
    // window asks about it; false (the record left) when it cannot be moved
    // there.
    bool HoldScan(const std::string& fileName, std::unique_ptr<ScanResult>& record, HoldReasons reasons);
    void HandOverHeldScan(std::unique_ptr<ScanResult> record, HoldReasons reasons);
    // Scans held by an earlier run get their rows and boxes again, once.
    void RestoreHeldScans();
    std::string HeldFolder() const { return HeldFolderOf(m_strScanFolder); }
    std::string ApprovalPath(const std::string& key) const { return m_strScanFolder + "\\" + key + ".approved"; }

    std::string m_strScanFolder;  // of the current pass (it never changes in the program)
    AppSettings m_settings;       // snapshot for the current pass
    HWND m_resultsWindow = nullptr;
    // The worker's own handle on the main window's SpoolWrittenEvent, so that
    // its wait never outlives the handle when the window goes first.
    KernelHandle m_spoolWritten;
    // Spool files (full paths) whose outcome is posted but that cannot be
    // deleted: not sent again in this process.
    std::set<std::string> m_undeletable;
    // Spool files set aside unsent (full path to its folder), until moved.
    std::map<std::string, std::string> m_settingAside;
    struct ReadFailures {
        int count = 0;
        unsigned long long firstTick = 0;
    };
    std::map<std::string, ReadFailures> m_readFailures;  // full path to failed reads in a row
    bool m_outage = false;                      // scans are waiting
    bool m_accountRefused = false;              // ... for a corrected password
    bool m_refusalAlertDue = false;
    int m_sentSinceOutage = 0;
    ReplayPause m_replayPause;
    unsigned long long m_nextReplayTick = 0;
    DoubleScanGuard m_guard;       // used on the worker thread only
    UncertainPacks m_uncertain;    // likewise
    ExpiryClock m_expiryClock;     // likewise
    bool m_heldRestored = false;
    ScanHistory m_history;         // likewise
    bool m_historyRemembered = false;
};
