// The worker's side of the scan history: opens AppFolder\History\history.db
// on the worker thread, writes each settled scan, and trims old rows a small
// batch at a time between passes. The file is closed once a pass has nothing
// to write, so other programs (a backup, a cleanup) find it closed when idle.
// A history that fails says so once and is left alone until the next start;
// scanning goes on without it.
#pragma once
#include <ctime>
#include <string>
#include <vector>

#include "core/scan_result.h"
#include "history/history_store.h"
#include "history/past_successes.h"

class ScanHistory {
public:
    // Opens the history at the first call; no AppFolder, no history.
    void Record(const ScanResult& result, int curlResult, const std::string& userName);
    // Decommissions' and Recommissions' outcomes since `since`, oldest
    // first; none without a history.
    std::vector<PastOutcome> OutcomesSince(std::time_t since);
    // Deletes one batch of rows older than `days`, until none is left.
    void TrimOldRows(long days);
    // At the end of a pass: closes the file once a pass wrote nothing, so a
    // burst of scans keeps it open and the close costs no scan any time.
    void ReleaseWhenIdle()
    {
        if (!m_wroteThisPass) m_store.Close();
        m_wroteThisPass = false;
    }

private:
    bool EnsureOpen();
    void GiveUp(const std::string& reason);

    HistoryStore m_store;
    bool m_failed = false;
    bool m_wroteThisPass = false;
    bool m_trimmed = false;
};
