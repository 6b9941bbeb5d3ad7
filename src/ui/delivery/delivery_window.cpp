// CDeliveryWindow: the delivery's record in the history, its scans as they
// are answered, the tally and the put-aside list, and the delivery report.
#include "ui/delivery/delivery_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "base/string_format.h"
#include "base/text_catalog.h"
#include "core/log.h"
#include "core/main_window_facade.h"
#include "framework/computer_name.h"
#include "framework/file_ops.h"
#include "framework/sqlite_name.h"
#include "framework/win_handle.h"
#include "guide/answer_guide.h"
#include "history/history_store.h"
#include "reports/delivery_report.h"
#include "reports/report_page.h"
#include "res/resource.h"
#include "ui/controls/popup_window.h"
#include "ui/delivery/delivery_layout.h"
#include "ui/history/windows_csv_files.h"
#include "verify/hold_rules.h"

namespace {

enum Timer : UINT_PTR { kSaveTimer = 1 };
constexpr UINT kSaveDelayMs = 600;  // the details are written once typing pauses
constexpr int kReasonColumn = 6;
constexpr int kCellPadding = 16;  // room around a cell's text, as the list view leaves it

std::string IsoNow(bool utc)
{
    SYSTEMTIME t;
    if (utc)
        GetSystemTime(&t);
    else
        GetLocalTime(&t);
    return StringPrintf("%04u-%02u-%02uT%02u:%02u:%02u%s", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                        utc ? "Z" : "");
}

std::optional<CalendarDate> Today()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    std::optional<CalendarDate> built = CompilerDate(__DATE__);
    CalendarDate clock{t.wYear, t.wMonth, t.wDay};
    return built ? TrustedToday(clock, *built) : std::optional<CalendarDate>(clock);
}

// Opens the history (brought up to date, created when there is none) for
// one piece of work; the worker keeps writing through its own connection.
template <typename Work>
bool WithHistory(const std::string& path, std::string& reason, Work work)
{
    std::string folder = path.substr(0, path.find_last_of('\\'));
    if (!EnsureDirectory(folder)) {
        reason = "the folder \"" + folder + "\" cannot be created";
        return false;
    }
    HistoryStore store;
    store.SetNameEncoder(SqliteFileName);
    if (!store.Open(path, IsoNow(false).substr(0, 10), reason)) return false;
    return work(store.Connection());
}

DeliveryScan ScanOf(const ScanResult& r)
{
    DeliveryScan scan;
    HistoryEntry& e = scan.entry;
    e.localTime = IsoNow(false);
    e.spoolKey = r.key;
    e.mode = r.mode;
    e.barcode = r.barcode;
    e.statusText = r.statusText;
    e.kind = r.kind;
    e.status = r.status;
    e.messageHeading = r.messageHeading;
    e.messageBody = r.messageBody;
    e.gtin = r.gtin;
    e.lot = r.lot;
    e.exp = r.exp;
    e.sn = r.sn;
    e.delivery = r.delivery;
    const bool asking = r.kind == ScanResultKind::Held && r.statusText != kNotSentStatusText;
    scan.settled = r.kind != ScanResultKind::Scanned && r.kind != ScanResultKind::Waiting && !asking;
    return scan;
}

// The width that fits the wider of the column's name and its longest usual
// text, in the list's font.
int ColumnWidth(HWND list, const std::string& name, const std::string& widest)
{
    WindowDC dc(list);
    SelectedObject font(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    int width = 0;
    for (const std::string& text : {name, widest}) {
        SIZE size{};
        GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        width = std::max(width, static_cast<int>(size.cx));
    }
    return width + kCellPadding;
}

// Each column: its name and the longest text it usually shows.
void AddColumns(HWND list, const std::vector<std::pair<std::string, std::string>>& columns)
{
    for (size_t i = 0; i < columns.size(); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = ColumnWidth(list, columns[i].first, columns[i].second);
        column.pszText = const_cast<char*>(columns[i].first.c_str());
        column.iSubItem = static_cast<int>(i);
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

void SetRow(HWND list, int row, const std::vector<std::string>& cells)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(cells[0].c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (size_t i = 1; i < cells.size(); ++i) {
        item.iSubItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(cells[i].c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }
}

// The row's colour follows its verdict, as the results list colours outcomes.
COLORREF AsideColour(const PutAsidePack& pack)
{
    if (pack.verdict == VerdictWord(Verdict::AlertDoNotSupply)) return RGB(255, 150, 150);
    if (pack.verdict == VerdictWord(Verdict::DoNotSupply)) return RGB(255, 200, 140);
    if (pack.verdict == VerdictWord(Verdict::Supply)) return RGB(215, 232, 255);
    return RGB(255, 240, 150);
}

}  // namespace

CDeliveryWindow::CDeliveryWindow(std::string historyPath, std::string reportFolder, DeliveryWindowOwner& owner)
    : CSheetDialog(IDD_DELIVERY), m_historyPath(std::move(historyPath)), m_reportFolder(std::move(reportFolder)),
      m_owner(owner)
{
}

bool CDeliveryWindow::Open(HWND owner, std::string& reason)
{
    if (!StartOrContinue(reason)) return false;
    if (!CreateModeless(owner)) {
        reason = "the window could not be created";
        return false;
    }
    m_owner.SetCurrentDelivery(m_delivery.id);
    return true;
}

bool CDeliveryWindow::StartOrContinue(std::string& reason)
{
    const std::string computer = ComputerName();
    return WithHistory(m_historyPath, reason, [&](sqlite3* db) {
        if (std::optional<DeliveryRecord> open = OpenDeliveryOn(db, computer)) {
            m_delivery = *open;
            for (const HistoryEntry& entry : DeliveryScans(db, m_delivery.id)) m_scans.push_back({entry, true});
            Log("Delivery %lld continued with %u scans", static_cast<long long>(m_delivery.id),
                static_cast<unsigned>(m_scans.size()));
            return true;
        }
        DeliveryRecord record;
        record.openedLocal = IsoNow(false);
        record.openedUtc = IsoNow(true);
        record.userName = m_owner.AccountName();
        record.computerName = computer;
        record.id = StartDelivery(db, record, reason);
        if (record.id == 0) return false;
        m_delivery = record;
        Log("Delivery %lld started", static_cast<long long>(m_delivery.id));
        return true;
    });
}

BOOL CDeliveryWindow::OnInitDialog()
{
    SetApplicationIcon(m_hWnd, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)));
    const std::pair<CColorButton*, int> buttons[] = {
        {&m_reportButton, IDC_DELIVERY_REPORT}, {&m_finishButton, IDC_DELIVERY_FINISH}, {&m_closeButton, IDCANCEL}};
    for (const auto& [button, id] : buttons) button->Attach(m_hWnd, id);
    const std::pair<CTextLabel*, int> labels[] = {
        {&m_heading, IDC_DELIVERY_HEADING},        {&m_supplierLabel, IDC_DELIVERY_SUPPLIER_LABEL},
        {&m_noteLabel, IDC_DELIVERY_NOTE_LABEL},   {&m_asideLabel, IDC_DELIVERY_ASIDE_LABEL},
        {&m_status, IDC_DELIVERY_STATUS}};
    for (const auto& [label, id] : labels) label->Attach(m_hWnd, id);
    m_tallyList = GetDlgItem(m_hWnd, IDC_DELIVERY_TALLY);
    m_asideList = GetDlgItem(m_hWnd, IDC_DELIVERY_ASIDE);
    for (HWND list : {m_tallyList, m_asideList})
        SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (HFONT font = host ? host->ListFont() : nullptr) {
        for (HWND control : {m_tallyList, m_asideList, GetDlgItem(m_hWnd, IDC_DELIVERY_DETAILS)})
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    SetUpColumns();
    std::string opened = m_delivery.openedLocal.substr(0, 16);
    if (opened.size() > 10) opened[10] = ' ';
    m_heading.SetText(StringPrintf(Text(TextId::DeliveryHeading), static_cast<long long>(m_delivery.id), opened.c_str()));
    m_status.SetText(Text(TextId::DeliveryKeepsOpen));
    // Typed in before the window shows: no save is due yet.
    SetDlgItemTextA(m_hWnd, IDC_DELIVERY_SUPPLIER, m_delivery.supplier.c_str());
    SetDlgItemTextA(m_hWnd, IDC_DELIVERY_NOTE, m_delivery.noteNumber.c_str());
    KillTimer(m_hWnd, kSaveTimer);
    RECT client;
    GetClientRect(m_hWnd, &client);
    Layout(client.right, client.bottom);
    FitDeliveryWindowToScreen(m_hWnd);
    Recount(false);
    return TRUE;
}

void CDeliveryWindow::SetUpColumns()
{
    // The tally's longest line in the language shown sets its column's width.
    std::string longestLine;
    for (const auto& [name, count] : TallyLines(DeliveryTally{}))
        if (name.size() > longestLine.size()) longestLine = name;
    AddColumns(m_tallyList, {{ReportString(ReportText::DeliveryCounts), longestLine},
                             {Text(TextId::DeliveryCountColumn), "0000"}});
    AddColumns(m_asideList, {{ReportString(ReportText::ColumnTime), "00:00"},
                             {ReportString(ReportText::ColumnProduct), "04150123456782"},
                             {ReportString(ReportText::ColumnBatch), "LOT24A"},
                             {ReportString(ReportText::ColumnExpiry), "291231"},
                             {ReportString(ReportText::ColumnSerial), "DEMO00000000"},
                             {ReportString(ReportText::ColumnVerdict), VerdictWord(Verdict::AlertDoNotSupply)},
                             {ReportString(ReportText::ColumnReason), ""}});
}

void CDeliveryWindow::Layout(int cx, int cy)
{
    LayOutDeliveryWindow(m_hWnd, cx, cy);
    // The reason takes what is left of the list's width.
    SendMessageA(m_asideList, LVM_SETCOLUMNWIDTH, kReasonColumn, LVSCW_AUTOSIZE_USEHEADER);
}

void CDeliveryWindow::OnScan(const ScanResult& record)
{
    if (!m_hWnd || record.delivery != m_delivery.id || record.kind == ScanResultKind::Log) return;
    DeliveryScan scan = ScanOf(record);
    bool known = false;
    for (DeliveryScan& seen : m_scans) {
        if (seen.entry.spoolKey != record.key) continue;
        scan.entry.localTime = seen.entry.localTime;  // the time it was scanned
        seen = scan;
        known = true;
    }
    if (!known) m_scans.push_back(scan);
    Recount(true);
}

void CDeliveryWindow::Recount(bool sound)
{
    m_tally = TallyDelivery(m_scans, Today(), m_owner.ShortDatedMonths());
    bool newAside = false;
    for (const PutAsidePack& pack : m_tally.putAside) {
        // A pack not yet answered is announced once its answer is in.
        bool waiting = pack.verdict == ReportString(ReportText::NotCheckedYet);
        if (waiting || !m_sounded.insert(pack.entry.spoolKey).second) continue;
        newAside = true;
    }
    if (sound && newAside) m_owner.PlayAlertSound();
    FillTally();
    FillAside();
}

void CDeliveryWindow::FillTally()
{
    SendMessageA(m_tallyList, LVM_DELETEALLITEMS, 0, 0);
    int row = 0;
    for (const auto& [name, count] : TallyLines(m_tally)) SetRow(m_tallyList, row++, {name, std::to_string(count)});
}

void CDeliveryWindow::FillAside()
{
    SendMessageA(m_asideList, WM_SETREDRAW, FALSE, 0);
    SendMessageA(m_asideList, LVM_DELETEALLITEMS, 0, 0);
    int row = 0;
    for (const PutAsidePack& pack : m_tally.putAside) {
        PackFields fields = PackFieldsOf(pack.entry);
        SetRow(m_asideList, row++, {pack.entry.localTime.substr(11, 5), fields.productCode, fields.batch,
                                    fields.expiry, fields.serial, pack.verdict, pack.reason});
    }
    SendMessageA(m_asideList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_asideList, nullptr, TRUE);
    m_asideLabel.SetText(StringPrintf(Text(TextId::DeliveryAsideLabel), static_cast<int>(m_tally.putAside.size())));
    if (row > 0) {
        // The newest pack, so that its next step shows at once.
        LVITEMA state{};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(m_asideList, LVM_SETITEMSTATE, row - 1, reinterpret_cast<LPARAM>(&state));
        SendMessageA(m_asideList, LVM_ENSUREVISIBLE, row - 1, FALSE);
    }
    ShowSelected();
}

void CDeliveryWindow::ShowSelected()
{
    auto index = static_cast<int>(SendMessageA(m_asideList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    std::string text;
    if (index >= 0 && index < static_cast<int>(m_tally.putAside.size())) {
        const PutAsidePack& pack = m_tally.putAside[index];
        PackFields fields = PackFieldsOf(pack.entry);
        text = Labelled(ReportString(ReportText::ColumnVerdict), pack.verdict) + "\r\n" +
               Labelled(ReportString(ReportText::ColumnReason), pack.reason) + "\r\n" +
               Labelled(ReportString(ReportText::ColumnNextStep), pack.nextStep) + "\r\n" +
               Labelled(ReportString(ReportText::ColumnProduct), fields.productCode) + "   " +
               Labelled(ReportString(ReportText::ColumnBatch), fields.batch) + "   " +
               Labelled(ReportString(ReportText::ColumnExpiry), fields.expiry) + "   " +
               Labelled(ReportString(ReportText::ColumnSerial), fields.serial);
    }
    SetDlgItemTextA(m_hWnd, IDC_DELIVERY_DETAILS, text.c_str());
}

void CDeliveryWindow::SaveDetails()
{
    KillTimer(m_hWnd, kSaveTimer);
    std::string supplier = DialogItemText(m_hWnd, IDC_DELIVERY_SUPPLIER);
    std::string note = DialogItemText(m_hWnd, IDC_DELIVERY_NOTE);
    if (supplier == m_delivery.supplier && note == m_delivery.noteNumber) return;
    std::string reason;
    bool saved = WithHistory(m_historyPath, reason, [&](sqlite3* db) {
        return SaveDeliveryDetails(db, m_delivery.id, supplier, note, reason);
    });
    if (!saved) {
        m_status.SetText(StringPrintf(Text(TextId::DeliveryDetailsFailed), reason.c_str()));
        return;
    }
    m_delivery.supplier = supplier;
    m_delivery.noteNumber = note;
}

void CDeliveryWindow::WriteReport()
{
    SaveDetails();
    DeliveryReportInput input{m_delivery, m_scans, m_tally};
    std::string base = m_reportFolder + "\\delivery-" + std::to_string(m_delivery.id), reason;
    bool written = EnsureDirectory(m_reportFolder) &&
                   WriteReportFile(base + ".html", DeliveryReportHtml(input), WindowsCsvFiles(), reason) &&
                   WriteReportFile(base + ".csv", DeliveryReportCsv(input, WindowsCsvFiles().codePageToUtf8),
                                   WindowsCsvFiles(), reason);
    if (!written) {
        if (reason.empty()) reason = "the folder \"" + m_reportFolder + "\" cannot be created";
        Warning("Delivery %lld - report not written: %s", static_cast<long long>(m_delivery.id), reason.c_str());
        m_status.SetText(StringPrintf(Text(TextId::DeliveryReportFailed), reason.c_str()));
        return;
    }
    Log("Delivery %lld - report written to %s.html", static_cast<long long>(m_delivery.id), base.c_str());
    m_status.SetText(StringPrintf(Text(TextId::DeliveryReportSaved), (base + ".html").c_str()));
    ShellExecuteA(m_hWnd, "open", (base + ".html").c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CDeliveryWindow::Finish()
{
    SaveDetails();
    std::string reason;
    bool closed = WithHistory(m_historyPath, reason, [&](sqlite3* db) {
        return CloseDelivery(db, m_delivery.id, IsoNow(false), IsoNow(true), reason);
    });
    if (!closed) {
        m_status.SetText(StringPrintf(Text(TextId::DeliveryFinishFailed), reason.c_str()));
        return;
    }
    Log("Delivery %lld finished", static_cast<long long>(m_delivery.id));
    Close();
}

void CDeliveryWindow::Close()
{
    SaveDetails();
    m_owner.SetCurrentDelivery(0);
    Log("Delivery window closed");
    DestroyWindow(m_hWnd);
}

void CDeliveryWindow::OnTimer(UINT_PTR id)
{
    if (id == kSaveTimer) SaveDetails();
}

bool CDeliveryWindow::OnCommand(int id, int notifyCode, HWND control)
{
    switch (id) {
    case IDC_DELIVERY_REPORT: WriteReport(); return true;
    case IDC_DELIVERY_FINISH: Finish(); return true;
    case IDOK: return true;  // Enter in a field closes nothing
    case IDCANCEL: Close(); return true;
    case IDC_DELIVERY_SUPPLIER:
    case IDC_DELIVERY_NOTE:
        if (notifyCode == EN_CHANGE) SetOneShotTimer(kSaveTimer, kSaveDelayMs);
        return true;
    default: return CSheetDialog::OnCommand(id, notifyCode, control);
    }
}

INT_PTR CDeliveryWindow::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom != IDC_DELIVERY_ASIDE) break;
        LRESULT result = CDRF_DODEFAULT;
        if (header->code == LVN_ITEMCHANGED) ShowSelected();
        if (header->code == NM_CUSTOMDRAW) {
            auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
            if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) result = CDRF_NOTIFYITEMDRAW;
            size_t row = static_cast<size_t>(draw.nmcd.dwItemSpec);
            if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && row < m_tally.putAside.size())
                draw.clrTextBk = AsideColour(m_tally.putAside[row]);
        }
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        InvalidateRect(m_hWnd, nullptr, TRUE);
        return TRUE;
    case WM_GETMINMAXINFO: {
        // Never so small that a control overlaps another, in any language.
        SIZE least = LeastDeliveryClientSize(m_hWnd);
        RECT frame{0, 0, least.cx, least.cy};
        AdjustWindowRectEx(&frame, GetWindowLongA(m_hWnd, GWL_STYLE), FALSE, GetWindowLongA(m_hWnd, GWL_EXSTYLE));
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        break;
    default: break;
    }
    return CSheetDialog::DialogProc(message, wParam, lParam);
}
