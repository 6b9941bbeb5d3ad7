// Held scans at the window: the worker's hand-over, the program's message box
// for each in turn, and the pharmacist's answer carried out on the files.
#include <memory>
#include <utility>

#include "base/text_catalog.h"
#include "base/text_escape.h"
#include "core/log.h"
#include "core/scan_result_post.h"
#include "core/spool_content.h"
#include "framework/file_ops.h"
#include "res/resource.h"
#include "ui/controls/message_box.h"
#include "ui/main/main_dialog.h"
#include "verify/fmd_thread.h"
#include "verify/hold_rules.h"

void CMainDialog::AskAboutHeldScan(const HeldScan& scan)
{
    // Called on the worker's thread: the window's thread owns the copy from
    // the post on.
    auto* copy = new HeldScan(scan);
    HWND window = m_mainWindow.load();
    if (!window || !PostMessageA(window, WM_HELDSCAN, 0, reinterpret_cast<LPARAM>(copy))) {
        Log("Held scan \"%s.dat\" not asked about now: asked again at the next start", scan.key.c_str());
        delete copy;
    }
}

namespace {

HoldReasons ReasonsOf(const HeldScan& scan) { return {scan.faults, scan.expiredOn}; }

// Where a scan not sent is kept: its row in the list, and in the history,
// since not sending is the scan's final outcome.
struct NotSentRecord {
    HWND resultsWindow;
    ScanHistory* history;  // null without a worker
    std::string userName;
};

// Carries out the answer: Send anyway puts the scan back for the worker,
// approved; Do not send deletes it. Anything that fails leaves it held, and
// the next start asks again.
void SettleHeldScan(const HeldScan& scan, bool send, const NotSentRecord& notSent)
{
    const char* name = scan.key.c_str();
    if (send) {
        // What is sent is what the box showed: a file changed since (copied
        // over, or damaged) stays held and is asked about again.
        std::string content;
        std::string shown = SpoolText(scan.mode, scan.delivery, scan.barcode);
        if (!ReadWholeFile(scan.heldPath, content) || content != shown) {
            Warning("Held scan \"%s.dat\" changed after it was shown: not sent, asked again at the next start", name);
            AddLogRow("%s", Text(TextId::RowHeldChanged));
            return;
        }
        // The marker first: without it the worker would hold the scan again.
        if (!WriteWholeFile(scan.approvalPath, "") || !MoveFileA(scan.heldPath.c_str(), scan.sendPath.c_str())) {
            Warning("Held scan \"%s.dat\" cannot go back to the scan folder: asked again at the next start", name);
            return;
        }
        Log("Held scan \"%s.dat\": Send anyway", name);
        SignalSpoolFileWritten();
        return;
    }
    if (!DeleteFileA(scan.heldPath.c_str())) {
        Warning("Held scan \"%s.dat\" cannot be deleted: asked again at the next start", name);
        return;
    }
    Log("Held scan \"%s.dat\": Do not send", name);
    auto* record = new ScanResult;
    record->kind = ScanResultKind::Held;
    record->key = scan.key;
    record->mode = scan.mode;
    record->delivery = scan.delivery;
    record->barcode = scan.barcode;
    record->statusText = kNotSentStatusText;
    record->messageHeading = "Not sent: deleted at the counter";
    record->messageBody = HeldRowText(ReasonsOf(scan));
    // The worker writes the row: the history's file is its own to open.
    if (notSent.history) notSent.history->RecordLater(*record, notSent.userName);
    PostScanResult(notSent.resultsWindow, record);
    AddLogRow(Text(TextId::RowNotSent), EscapeBarcode(scan.barcode).c_str());
}

// The program's message box with the two answers, carried out as the button
// is pressed: a pop-up opened above the box meanwhile would otherwise hold
// the answer back until it closes. For an expired pack Do not send is the
// default: Enter keeps the pack from being supplied.
class CHeldScanBox : public CMessageBoxDialog {
public:
    CHeldScanBox(const HeldScan& scan, NotSentRecord notSent)
        : m_scan(scan), m_notSent(std::move(notSent)), m_bDoNotSendByDefault(!scan.expiredOn.empty())
    {
        m_strCaption = Text(TextId::HeldCaption);
        for (const TextRun& run :
             MessageRuns(HeldScanQuestion(ReasonsOf(scan), EscapeBarcode(scan.barcode)), m_strCaption))
            AppendRun(run);
        m_buttons = MessageBoxButtons::OkCancel;
        m_strFirstButton = Text(TextId::ButtonSendAnyway);
        m_strSecondButton = Text(TextId::ButtonDoNotSend);
    }

protected:
    BOOL OnInitDialog() override
    {
        BOOL result = CMessageBoxDialog::OnInitDialog();
        if (!m_bDoNotSendByDefault) return result;
        SendMessageA(m_hWnd, DM_SETDEFID, IDC_BOX_SECOND, 0);
        SetFocus(GetDlgItem(m_hWnd, IDC_BOX_SECOND));
        return FALSE;  // the focus is set
    }

    bool OnCommand(int id, int notifyCode, HWND control) override
    {
        if (id == IDOK && m_bDoNotSendByDefault) id = IDC_BOX_SECOND;
        if ((id == IDC_BOX_FIRST || id == IDC_BOX_SECOND) && !m_bAnswered) {
            m_bAnswered = true;
            SettleHeldScan(m_scan, id == IDC_BOX_FIRST, m_notSent);
        }
        if (id == IDCANCEL && !m_bAnswered)
            Log("Held scan \"%s.dat\": box closed without an answer, asked again at the next start", m_scan.key.c_str());
        return CMessageBoxDialog::OnCommand(id, notifyCode, control);
    }

private:
    const HeldScan& m_scan;
    NotSentRecord m_notSent;
    const bool m_bDoNotSendByDefault;
    bool m_bAnswered = false;
};

}  // namespace

void CMainDialog::OnHeldScanPosted(HeldScan* posted)
{
    m_heldScans.emplace_back(posted);
    // A box is open further up this thread's stack: its loop asks next.
    if (m_bAskingHeld) return;
    m_bAskingHeld = true;
    while (!m_heldScans.empty()) {
        std::unique_ptr<HeldScan> scan = std::move(m_heldScans.front());
        m_heldScans.pop_front();
        PlayAlertSound();
        NotSentRecord notSent{m_resultsList.Handle(), m_pWorker ? &m_pWorker->History() : nullptr,
                              m_settings.Snapshot().Username};
        CHeldScanBox box(*scan, notSent);
        box.DoModal();
    }
    m_bAskingHeld = false;
}
