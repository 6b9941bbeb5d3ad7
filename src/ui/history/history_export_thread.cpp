// The History window's export, written off the window thread.
#include "ui/history/history_export_thread.h"

#include <utility>

#include "history/history_reader.h"
#include "ui/history/windows_csv_files.h"

CHistoryExportThread::CHistoryExportThread(std::string sqliteName, HistoryViewQuery query, HWND window,
                                           UINT doneMessage, std::shared_ptr<HistoryExportOutcome> outcome)
    : m_sqliteName(std::move(sqliteName)),
      m_query(std::move(query)),
      m_window(window),
      m_doneMessage(doneMessage),
      m_outcome(std::move(outcome))
{
}

int CHistoryExportThread::Run()
{
    HistoryReader reader;
    HistoryExportOutcome& outcome = *m_outcome;
    if (reader.Open(m_sqliteName, outcome.reason))
        outcome.written = reader.ExportCsv(m_query, outcome.csvPath, WindowsCsvFiles(), outcome.reason, outcome.rows,
                                           &outcome.cancelled);
    if (!outcome.cancelled) PostMessageA(m_window, m_doneMessage, 0, 0);
    return 0;
}
