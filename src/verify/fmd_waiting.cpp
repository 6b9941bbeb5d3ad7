// The worker's waiting scans: kept through an outage in ScanFolder\Waiting,
// each with its "<key>.uncertain" marker when the service may have acted on
// it, and sent again oldest first once the service answers.
#include <windows.h>

#include <memory>
#include <vector>

#include "base/text_catalog.h"
#include "core/log.h"
#include "core/scan_result_post.h"
#include "framework/file_ops.h"
#include "verify/account_refusal.h"
#include "verify/fmd_thread.h"
#include "verify/service_exchange.h"
#include "verify/spool_record.h"

namespace {

// A Waiting row for the scan, posted in place of its "Scanned" row; the first
// of an outage sounds the alert.
void PostWaitingRow(HWND list, std::unique_ptr<ScanResult> record, const std::string& reason, bool first)
{
    record->kind = ScanResultKind::Waiting;
    record->statusText = kWaitingStatusText;
    record->status = first ? kOutageAlertStatus : "";
    record->messageHeading = reason;
    record->messageBody = "The scan is kept and sent as soon as the service answers.";
    PostScanResult(list, record.release());
}

bool Mark(const std::string& base) { return FileExists(base + ".uncertain") || WriteWholeFile(base + ".uncertain", ""); }

}  // namespace

void CFMDThread::StartOutage()
{
    if (m_outage) return;
    m_outage = true;
    m_sentSinceOutage = 0;
    m_replayPause.Reset();
    m_nextReplayTick = GetTickCount64() + m_replayPause.Next();
    Log("FMD - the service cannot be reached: scans wait in \"%s\"", WaitingFolder().c_str());
    AddLogRow("%s", Text(TextId::RowOutageStarts));
}

void CFMDThread::KeepWaiting(const std::string& folder, const std::string& fileName,
                             std::unique_ptr<ScanResult> record, int curlResult, bool uncertain)
{
    std::string waiting = WaitingFolder(), key = WithoutExtension(fileName);
    std::string base = folder + "\\" + key, kept = waiting + "\\" + key;
    // Where the scan ends up, its marker is beside it: written before the
    // move, so that the scan is never in the waiting folder without it, and
    // written beside it in place when the move fails.
    std::string where = base;
    if (folder != waiting) {
        bool moved = EnsureDirectory(waiting) && (!uncertain || Mark(kept)) &&
                     MoveFileA((base + ".dat").c_str(), (kept + ".dat").c_str());
        if (moved) {
            where = kept;
        } else {
            Warning("FMD - cannot keep \"%s\" in the waiting folder: it waits in the scan folder", fileName.c_str());
            if (uncertain) DeleteFileA((kept + ".uncertain").c_str());
        }
    }
    // A refusal's row says so, also for a scan that was waiting already.
    if (m_accountRefused) {
        PostWaitingRow(m_resultsWindow, std::move(record), kAccountRefusedReason, TakeRefusalAlert());
    } else if (folder != waiting) {
        bool first = !m_outage;
        StartOutage();
        PostWaitingRow(m_resultsWindow, std::move(record), WaitingReason(curlResult), first);
    }
    bool marked = !uncertain || Mark(where);
    Log("FMD - \"%s\" waits for the service (%s)", fileName.c_str(), uncertain ? "may have arrived" : "not sent");
    // The request file marks the scan as well: it goes only once the marker
    // stands where the scan is.
    if (marked && where != base) {
        RemoveExchangeFiles(base);
        DeleteFileA((base + ".uncertain").c_str());
    } else if (marked) {
        RemoveExchangeFiles(base);
    } else {
        DeleteFileA((base + ".reply").c_str());
    }
}

void CFMDThread::QueueBehindWaiting(const std::string& fileName, std::unique_ptr<ScanResult> record)
{
    std::string key = WithoutExtension(fileName);
    std::string base = m_strScanFolder + "\\" + key, kept = WaitingFolder() + "\\" + key;
    // An ended program's exchange may have reached the service.
    bool uncertain = FileExists(base + ".post") || FileExists(base + ".uncertain");
    if (!EnsureDirectory(WaitingFolder()) || (uncertain && !Mark(kept))) return;  // tried again next pass
    if (!MoveFileA((base + ".dat").c_str(), (kept + ".dat").c_str())) {
        if (uncertain) DeleteFileA((kept + ".uncertain").c_str());
        return;
    }
    RemoveExchangeFiles(base);
    DeleteFileA((base + ".uncertain").c_str());
    if (m_accountRefused)
        PostWaitingRow(m_resultsWindow, std::move(record), kAccountRefusedReason, TakeRefusalAlert());
    else
        PostWaitingRow(m_resultsWindow, std::move(record), "Queued behind the scans waiting for the service", false);
}

CFMDThread::SendOutcome CFMDThread::WaitForPassword(const std::string& folder, const std::string& fileName,
                                                    std::unique_ptr<ScanResult> record, int curlResult, bool uncertain)
{
    EnterAccountRefusal();
    KeepWaiting(folder, fileName, std::move(record), curlResult, uncertain);
    return SendOutcome::Waiting;
}

void CFMDThread::ReplayWaitingScans()
{
    std::vector<WaitingScan> scans;
    for (const ListedFile& file : ListFilesWithTimes(WaitingFolder(), "*.dat"))
        if (!LeftAlone(WaitingFolder() + "\\" + file.name)) scans.push_back({WithoutExtension(file.name), file.savedAt});
    SortOldestFirst(scans);
    if (scans.empty()) {
        if (!m_outage || m_accountRefused) return;
        m_outage = false;
        Log("FMD - the service answers again: %d waiting scans sent", m_sentSinceOutage);
        AddLogRow(Text(TextId::RowOutageEnds), m_sentSinceOutage);
        return;
    }
    if (!m_outage) {
        // Kept by an earlier run of the program: they get their rows back.
        m_outage = true;
        m_sentSinceOutage = 0;
        m_replayPause.Reset();
        m_nextReplayTick = 0;
        for (const WaitingScan& scan : scans) {
            std::string content;
            if (!ReadWholeFile(WaitingFolder() + "\\" + scan.key + ".dat", content)) continue;
            if (m_accountRefused)
                PostWaitingRow(m_resultsWindow, RecordOfSpoolFile(scan.key, content), kAccountRefusedReason,
                               TakeRefusalAlert());
            else
                PostWaitingRow(m_resultsWindow, RecordOfSpoolFile(scan.key, content),
                               "Kept while the service could not be reached", false);
        }
    }
    // Nothing goes with a refused password.
    if (m_accountRefused || GetTickCount64() < m_nextReplayTick) return;
    for (const WaitingScan& scan : scans) {
        switch (HandleScan(WaitingFolder(), scan.key + ".dat")) {
        case SendOutcome::Waiting: m_nextReplayTick = GetTickCount64() + m_replayPause.Next(); return;
        case SendOutcome::Skipped: return;  // tried again next pass
        case SendOutcome::Unreadable: break;  // the others go meanwhile; it is tried next pass or set aside
        case SendOutcome::Settled: ++m_sentSinceOutage; m_replayPause.Reset(); break;
        }
    }
}
