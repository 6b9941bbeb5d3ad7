// The worker's side of the scan history: opens AppFolder\History\history.db
// on the worker thread, writes each settled scan, and trims old rows a small
// batch at a time between passes. The file is closed once a pass has nothing
// to write, so other programs (a backup, a cleanup) find it closed when idle.
// A row that cannot be written (the file locked, damaged or unreachable) is
// kept and tried again on a later pass, after a pause so that a long lock
// costs the scans no more than one wait in a while; the first failure says so
// once, and the return says so again. Scanning goes on meanwhile.
#pragma once
#include <atomic>
#include <ctime>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "core/scan_result.h"
#include "history/history_store.h"
#include "history/past_successes.h"

class ScanHistory {
public:
    // Worker thread: writes the scan's row, after any kept before it. Opens
    // the history at the first call; no AppFolder, no history.
    void Record(const ScanResult& result, int curlResult, const std::string& userName);
    // Any other thread: the row is written at the end of the worker's next
    // pass, in its turn (a held scan the pharmacist decided not to send).
    void RecordLater(const ScanResult& result, const std::string& userName);
    // Decommissions' and Recommissions' outcomes since `since`, oldest
    // first; none without a history.
    std::vector<PastOutcome> OutcomesSince(std::time_t since);
    // Deletes one batch of rows older than `days`, until none is left.
    void TrimOldRows(long days);
    // At the end of a pass: writes the rows kept meanwhile, then closes the
    // file once a pass wrote nothing, so a burst of scans keeps it open and
    // the close costs no scan any time.
    void ReleaseWhenIdle();

private:
    // True when the history may be used now: open, or opened now, and not
    // pausing after a failure.
    bool Ready();
    bool Open(std::string& reason);
    void Keep(HistoryEntry entry);
    void WriteKept();
    void Fail(const std::string& reason);

    HistoryStore m_store;
    std::atomic<bool> m_noFolder{false};
    bool m_failing = false;                 // since a failure, until a row goes in
    unsigned long long m_pauseUntilTick = 0;
    bool m_wroteThisPass = false;
    bool m_trimmed = false;
    // Rows not yet written, oldest first; also filled by other threads.
    std::mutex m_keptLock;
    std::deque<HistoryEntry> m_kept;
    bool m_droppedSaid = false;
};
