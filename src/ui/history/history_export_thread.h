// Export... of the History window on a thread of its own: a long history
// takes seconds to write, and the window thread is the main window's too, so
// the counter's list would stand still meanwhile. The thread reads through a
// connection of its own and tells the window when the file is written.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <utility>

#include "framework/win_thread.h"
#include "history/history_view_rules.h"

// The file asked for, and what the window learns when the thread has ended;
// shared by both, so that a window closed meanwhile leaves nothing dangling.
struct HistoryExportOutcome {
    explicit HistoryExportOutcome(std::string path) : csvPath(std::move(path)) {}
    const std::string csvPath;
    std::atomic<bool> cancelled{false};  // set by the window when it closes
    bool written = false;
    std::string reason;
    long long rows = 0;
};

class CHistoryExportThread : public CWinThread {
public:
    // Posts `doneMessage` to `window` when it has ended, unless cancelled.
    CHistoryExportThread(std::string sqliteName, HistoryViewQuery query, HWND window, UINT doneMessage,
                         std::shared_ptr<HistoryExportOutcome> outcome);

protected:
    int Run() override;

private:
    std::string m_sqliteName;
    HistoryViewQuery m_query;
    HWND m_window;
    UINT m_doneMessage;
    std::shared_ptr<HistoryExportOutcome> m_outcome;
};
