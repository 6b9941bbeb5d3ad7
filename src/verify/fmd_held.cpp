// The worker's held scans: with HoldImplausibleScans on, a scan whose reading
// finds a fault waits in ScanFolder\Held for the pharmacist's word.
#include <windows.h>

#include <memory>
#include <vector>

#include "core/log.h"
#include "core/main_window_facade.h"
#include "core/scan_result_post.h"
#include "framework/file_ops.h"
#include "verify/fmd_thread.h"
#include "verify/hold_rules.h"
#include "verify/spool_record.h"

bool CFMDThread::HoldScan(const std::string& fileName, std::unique_ptr<ScanResult>& record, HoldReasons reasons)
{
    std::string path = m_strScanFolder + "\\" + fileName;
    if (!EnsureDirectory(HeldFolder()) || !MoveFileA(path.c_str(), (HeldFolder() + "\\" + fileName).c_str())) {
        Warning("FMD - cannot hold \"%s\": it is sent as usual", fileName.c_str());
        return false;
    }
    Log("FMD - \"%s\" held: %s", fileName.c_str(), HeldRowText(reasons).c_str());
    HandOverHeldScan(std::move(record), std::move(reasons));
    return true;
}

void CFMDThread::HandOverHeldScan(std::unique_ptr<ScanResult> record, HoldReasons reasons)
{
    HeldScan held;
    held.key = record->key;
    held.barcode = record->barcode;
    held.mode = record->mode;
    held.delivery = record->delivery;
    held.heldPath = HeldFolder() + "\\" + held.key + ".dat";
    held.sendPath = m_strScanFolder + "\\" + held.key + ".dat";
    held.approvalPath = ApprovalPath(held.key);
    record->kind = ScanResultKind::Held;
    record->statusText = kHeldStatusText;
    record->messageHeading = HeldRowHeading(reasons);
    record->messageBody = HeldRowText(reasons);
    held.faults = std::move(reasons.faults);
    held.expiredOn = reasons.expiredOn;
    PostScanResult(m_resultsWindow, record.release());
    // Without a main window the file stays held: the next start asks.
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (host) host->AskAboutHeldScan(held);
}

void CFMDThread::RestoreHeldScans()
{
    if (m_heldRestored) return;
    m_heldRestored = true;
    std::vector<WaitingScan> scans;
    for (const ListedFile& file : ListFilesWithTimes(HeldFolder(), "*.dat"))
        scans.push_back({WithoutExtension(file.name), file.savedAt});
    SortOldestFirst(scans);
    for (const WaitingScan& scan : scans) {
        std::string content;
        if (!ReadWholeFile(HeldFolder() + "\\" + scan.key + ".dat", content)) continue;
        std::unique_ptr<ScanResult> record = RecordOfSpoolFile(scan.key, content);
        HoldReasons reasons = ReasonsToHold(true, record->mode, record->barcode, m_expiryClock.Today());
        if (reasons.None()) reasons.faults.push_back("It was held before the program was last ended.");
        Log("FMD - \"%s.dat\" still held from the last run", scan.key.c_str());
        HandOverHeldScan(std::move(record), std::move(reasons));
    }
}
