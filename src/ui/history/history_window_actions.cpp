// The History window's actions: Recommission from the undo view (the pack's
// barcode spooled in Recommission mode, as a scan is), the alerts' Handled
// mark, and Export... of the view.
#include "base/string_format.h"
#include "base/text_catalog.h"
#include "ui/history/history_window.h"

#include <ctime>

#include "base/text_escape.h"
#include "core/log.h"
#include "core/main_window_facade.h"
#include "core/scan_folders.h"
#include "framework/file_ops.h"
#include "framework/sqlite_name.h"
#include "res/resource.h"
#include "scanner/spool_file.h"
#include "ui/controls/message_box.h"
#include "ui/controls/save_dialog.h"
#include "ui/history/alert_case_dialog.h"
#include "verify/double_scan_guard.h"

namespace {

// What a Recommission is sent with, read in one short lease.
struct SpoolTarget {
    std::string account, folder;
    HWND resultsWindow = nullptr;
};

SpoolTarget CurrentTarget()
{
    SpoolTarget target;
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (!host) return target;
    target.account = host->SettingsSnapshot().Username;
    target.folder = host->ScanFolder();
    target.resultsWindow = host->ResultsWindow();
    return target;
}

// A Recommission of the same pack already saved and not yet answered: in the
// scan folder, waiting for the service or held for the pharmacist. A second
// one before its answer would only be refused, or undo a supply made since.
bool RecommissionOnItsWay(const std::string& scanFolder, const std::string& barcode)
{
    std::string pack = DoubleScanGuard::PackKey(barcode);
    for (const std::string& folder : {scanFolder, WaitingFolderOf(scanFolder), HeldFolderOf(scanFolder)}) {
        for (const std::string& name : ListFiles(folder, "*.dat")) {
            std::string content;
            if (!ReadWholeFile(folder + "\\" + name, content) || content.empty() || content[0] != '0' + Recommission)
                continue;
            if (DoubleScanGuard::PackKey(content.substr(1)) == pack) return true;
        }
    }
    return false;
}

}  // namespace

void CHistoryWindow::OnAction()
{
    std::optional<HistoryEntry> entry = Selected();
    if (!entry) {
        ShowOwnedMessageBox(m_hWnd, Text(TextId::HistoryChooseRow), "", MessageBoxButtons::Ok);
        return;
    }
    if (m_view == HistoryView::CanBeUndone) Recommission(*entry);
    if (m_view == HistoryView::Alerts) ToggleHandled(*entry);
}

void CHistoryWindow::Recommission(const HistoryEntry& entry)
{
    SpoolTarget target = CurrentTarget();
    UndoCheck check = CheckUndo(entry, target.account, std::time(nullptr), m_reader.RecommissionedSince(entry));
    if (!check.allowed) {
        Log("History - recommission of row %lld refused: %s", static_cast<long long>(entry.id), check.reason.c_str());
        ShowOwnedMessageBox(m_hWnd, ShownText(check.reason), Text(TextId::HistoryCannotRecommission), MessageBoxButtons::Ok);
        return;
    }
    if (!target.folder.empty() && RecommissionOnItsWay(target.folder, entry.barcode)) {
        Log("History - recommission of row %lld refused: one is on its way", static_cast<long long>(entry.id));
        ShowOwnedMessageBox(m_hWnd,
                            Text(TextId::HistoryAlreadySent), Text(TextId::HistoryCannotRecommission),
                            MessageBoxButtons::Ok);
        return;
    }
    std::string question = Text(TextId::HistoryPutBackQuestion) + EscapeBarcode(entry.barcode);
    if (!ShowOwnedMessageBox(m_hWnd, question, Text(TextId::ModeRecommission), MessageBoxButtons::YesNo)) return;
    if (target.folder.empty() ||
        !SpoolBarcode(target.folder, ScanMode::Recommission, target.resultsWindow, entry.barcode)) {
        Warning("History - recommission of row %lld could not be spooled", static_cast<long long>(entry.id));
        ShowOwnedMessageBox(m_hWnd, Text(TextId::HistoryNotSaved), "",
                       MessageBoxButtons::Ok);
        return;
    }
    Log("History - row %lld sent for recommissioning", static_cast<long long>(entry.id));
    m_status.SetText(Text(TextId::HistorySentForRecommission));
}

void CHistoryWindow::ToggleHandled(const HistoryEntry& entry)
{
    char note[512] = "";
    GetDlgItemTextA(m_hWnd, IDC_HISTORY_NOTE, note, sizeof note);
    std::string reason;
    if (!MarkHandled(SqliteFileName(m_historyPath), entry.id, !entry.handled, note, reason)) {
        Warning("History - handled mark of row %lld not saved: %s", static_cast<long long>(entry.id), reason.c_str());
        ShowOwnedMessageBox(m_hWnd, StringPrintf(Text(TextId::HistoryMarkNotSaved), reason.c_str()), "",
                            MessageBoxButtons::Ok);
        return;
    }
    Log("History - alert row %lld marked %s", static_cast<long long>(entry.id), entry.handled ? "open" : "handled");
    m_rows.Forget();
    InvalidateRect(m_list, nullptr, FALSE);
    OnSelectionChanged();
}

void CHistoryWindow::OpenCase()
{
    std::optional<HistoryEntry> entry = Selected();
    if (!entry) {
        ShowOwnedMessageBox(m_hWnd, Text(TextId::HistoryChooseAlert), "", MessageBoxButtons::Ok);
        return;
    }
    long answerDays = 7;
    {
        RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
        if (host) answerDays = host->SettingsSnapshot().AlertAnswerDays;
    }
    CAlertCaseDialog caseWindow(m_reader, m_historyPath, *entry, answerDays);
    if (caseWindow.RunModal(m_hWnd) == CAlertCaseDialog::kUndoChosen) {
        std::optional<HistoryEntry> own = m_reader.OwnDecommissionBefore(*entry);
        if (own) Recommission(*own);
    }
    m_rows.Forget();
    InvalidateRect(m_list, nullptr, FALSE);
    OnSelectionChanged();
}

void CHistoryWindow::Export()
{
    if (!m_reader.IsOpen()) {
        ShowOwnedMessageBox(m_hWnd, Text(TextId::HistoryNothingToExport), "", MessageBoxButtons::Ok);
        return;
    }
    std::string path = "scan-history.csv";
    if (!AskSavePath(m_hWnd, Text(TextId::FileTypeCsv), "csv", path)) return;
    m_export = std::make_shared<HistoryExportOutcome>(path);
    auto* thread = new CHistoryExportThread(SqliteFileName(m_historyPath), m_rows.Query(), m_hWnd, WM_HISTORYEXPORTED,
                                            m_export);
    if (!thread->CreateThread()) {
        delete thread;
        m_export.reset();
        ShowOwnedMessageBox(m_hWnd, Text(TextId::HistoryExportNotStarted), "", MessageBoxButtons::Ok);
        return;
    }
    EnableWindow(m_exportButton.Handle(), FALSE);
    m_status.SetText(StringPrintf(Text(TextId::HistorySaving), path.c_str()));
}

void CHistoryWindow::OnExported()
{
    std::shared_ptr<HistoryExportOutcome> outcome = std::move(m_export);
    if (!outcome) return;
    EnableWindow(m_exportButton.Handle(), TRUE);
    const std::string& path = outcome->csvPath;
    if (!outcome->written) {
        Warning("History - export to %s failed: %s", path.c_str(), outcome->reason.c_str());
        m_status.SetText(Text(TextId::HistoryNotSavedView));
        ShowOwnedMessageBox(m_hWnd, StringPrintf(Text(TextId::HistoryFileNotSaved), outcome->reason.c_str()),
                            "", MessageBoxButtons::Ok);
        return;
    }
    long long rows = outcome->rows;
    Log("History - %lld rows exported to %s", rows, path.c_str());
    TextId saved = rows == 1 ? TextId::HistorySavedRow : TextId::HistorySavedRows;
    m_status.SetText(StringPrintf(Text(saved), rows, path.c_str()));
}
