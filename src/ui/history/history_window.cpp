// CHistoryWindow: its controls, the layout that follows the window's size,
// and the views read through HistoryViewRows.
#include "ui/history/history_window.h"

#include <ctime>

#include "base/string_format.h"
#include "base/text_catalog.h"
#include "core/log.h"
#include "core/main_window_facade.h"
#include "core/scan_result.h"
#include "framework/sqlite_name.h"
#include "history/history_csv.h"
#include "history/history_store.h"
#include "res/resource.h"
#include "ui/controls/popup_window.h"

namespace {

enum Timer : UINT_PTR { kSearchDelayTimer = 1, kSearchStepTimer = 2, kCountTimer = 3 };
constexpr UINT kCountDelayMs = 50;  // the first page paints before the whole history is counted
constexpr UINT kSearchDelayMs = 300;  // typing on restarts the search only once it pauses
constexpr int kMinWidth = 800, kMinHeight = 420;
constexpr int kMargin = 8, kRowHeight = 28, kFieldHeight = 24;

const int kFilterControls[] = {IDC_HISTORY_SEARCH_LABEL, IDC_HISTORY_SEARCH, IDC_HISTORY_FROM_LABEL,
                               IDC_HISTORY_FROM,         IDC_HISTORY_TO_LABEL, IDC_HISTORY_TO,
                               IDC_HISTORY_MODE,         IDC_HISTORY_KIND};


void Place(HWND dialog, int id, int x, int y, int width, int height)
{
    MoveWindow(GetDlgItem(dialog, id), x, y, width, height, TRUE);
}

void Show(HWND dialog, int id, bool shown) { ShowWindow(GetDlgItem(dialog, id), shown ? SW_SHOW : SW_HIDE); }

int ChosenValue(HWND dialog, int id)
{
    HWND box = GetDlgItem(dialog, id);
    LRESULT chosen = SendMessageA(box, CB_GETCURSEL, 0, 0);
    return chosen < 0 ? -1 : static_cast<int>(SendMessageA(box, CB_GETITEMDATA, chosen, 0));
}

void AddChoices(HWND dialog, int id, const std::pair<const char*, int>* choices, size_t count)
{
    HWND box = GetDlgItem(dialog, id);
    for (size_t i = 0; i < count; ++i) {
        LRESULT index = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choices[i].first));
        SendMessageA(box, CB_SETITEMDATA, index, choices[i].second);
    }
    SendMessageA(box, CB_SETCURSEL, 0, 0);
}

// A day bound: a real date, or no bound for an empty or unfinished one.
std::string DayBound(const std::string& text) { return IsIsoDate(text) ? text : ""; }

}  // namespace

CHistoryWindow::CHistoryWindow(std::string historyPath)
    : CSheetDialog(IDD_HISTORY), m_historyPath(std::move(historyPath))
{
}

BOOL CHistoryWindow::OnInitDialog()
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
    SetApplicationIcon(m_hWnd, icon);
    AttachControls();
    FillFilterChoices();
    RECT client;
    GetClientRect(m_hWnd, &client);
    Layout(client.right, client.bottom);
    ShowView(HistoryView::AllScans);
    Log("History window opened");
    return TRUE;
}

void CHistoryWindow::AttachControls()
{
    const std::pair<CColorButton*, int> buttons[] = {
        {&m_allButton, IDC_HISTORY_ALL},       {&m_undoButton, IDC_HISTORY_UNDO}, {&m_alertsButton, IDC_HISTORY_ALERTS},
        {&m_exportButton, IDC_HISTORY_EXPORT}, {&m_closeButton, IDCANCEL},
        {&m_actionButton, IDC_HISTORY_ACTION}, {&m_caseButton, IDC_HISTORY_CASE}};
    for (const auto& [button, id] : buttons) button->Attach(m_hWnd, id);
    const std::pair<CTextLabel*, int> labels[] = {
        {&m_searchLabel, IDC_HISTORY_SEARCH_LABEL}, {&m_fromLabel, IDC_HISTORY_FROM_LABEL},
        {&m_toLabel, IDC_HISTORY_TO_LABEL},         {&m_noteLabel, IDC_HISTORY_NOTE_LABEL},
        {&m_status, IDC_HISTORY_STATUS},            {&m_hint, IDC_HISTORY_HINT}};
    for (const auto& [label, id] : labels) label->Attach(m_hWnd, id);
    m_list = GetDlgItem(m_hWnd, IDC_HISTORY_LIST);
    SendMessageA(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (HFONT font = host ? host->ListFont() : nullptr) {
        SendMessageA(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SendDlgItemMessageA(m_hWnd, IDC_HISTORY_DETAILS, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void CHistoryWindow::FillFilterChoices()
{
    const std::pair<const char*, int> modes[] = {{Text(TextId::HistoryAnyMode), -1},
                                                 {ModeWord(Verify), Verify},
                                                 {ModeWord(Decommission), Decommission},
                                                 {ModeWord(ScanMode::Recommission), ScanMode::Recommission}};
    const std::pair<const char*, int> kinds[] = {{Text(TextId::HistoryAnyStatus), -1},
                                                 {Text(TextId::KindSuccess), ScanResultKind::Success},
                                                 {Text(TextId::KindWarning), ScanResultKind::Warning},
                                                 {Text(TextId::KindFailed), ScanResultKind::Failed},
                                                 {Text(TextId::KindError), ScanResultKind::Error}};
    AddChoices(m_hWnd, IDC_HISTORY_MODE, modes, std::size(modes));
    AddChoices(m_hWnd, IDC_HISTORY_KIND, kinds, std::size(kinds));
}

void CHistoryWindow::Layout(int cx, int cy)
{
    const int closeX = cx - kMargin - 90, exportX = closeX - kMargin - 100;
    Place(m_hWnd, IDC_HISTORY_ALL, kMargin, kMargin, 110, kRowHeight);
    Place(m_hWnd, IDC_HISTORY_UNDO, 126, kMargin, 140, kRowHeight);
    Place(m_hWnd, IDC_HISTORY_ALERTS, 274, kMargin, 100, kRowHeight);
    Place(m_hWnd, IDC_HISTORY_EXPORT, exportX, kMargin, 100, kRowHeight);
    Place(m_hWnd, IDCANCEL, closeX, kMargin, 90, kRowHeight);

    const int filterY = kMargin + kRowHeight + 8, labelY = filterY + 4;
    Place(m_hWnd, IDC_HISTORY_SEARCH_LABEL, kMargin, labelY, 52, 20);
    Place(m_hWnd, IDC_HISTORY_SEARCH, 64, filterY, 170, kFieldHeight);
    Place(m_hWnd, IDC_HISTORY_FROM_LABEL, 240, labelY, 44, 20);
    Place(m_hWnd, IDC_HISTORY_FROM, 288, filterY, 96, kFieldHeight);
    Place(m_hWnd, IDC_HISTORY_TO_LABEL, 388, labelY, 26, 20);
    Place(m_hWnd, IDC_HISTORY_TO, 418, filterY, 96, kFieldHeight);
    Place(m_hWnd, IDC_HISTORY_MODE, 522, filterY, 132, 200);
    Place(m_hWnd, IDC_HISTORY_KIND, 660, filterY, 120, 200);
    Place(m_hWnd, IDC_HISTORY_HINT, kMargin, labelY, cx - 2 * kMargin, 20);

    const int listY = filterY + kFieldHeight + 8, bottomY = cy - kMargin - kRowHeight;
    const int listHeight = bottomY - 8 - listY, listWidth = (cx - 3 * kMargin) * 2 / 3;
    Place(m_hWnd, IDC_HISTORY_LIST, kMargin, listY, listWidth, listHeight);
    const int detailsX = 2 * kMargin + listWidth;
    Place(m_hWnd, IDC_HISTORY_DETAILS, detailsX, listY, cx - kMargin - detailsX, listHeight);

    const int actionX = cx - kMargin - 150, noteX = actionX - kMargin - 260, noteLabelX = noteX - 50;
    const int caseX = noteLabelX - kMargin - 100;
    Place(m_hWnd, IDC_HISTORY_CASE, caseX, bottomY, 100, kRowHeight);
    Place(m_hWnd, IDC_HISTORY_ACTION, actionX, bottomY, 150, kRowHeight);
    Place(m_hWnd, IDC_HISTORY_NOTE, noteX, bottomY + 2, 260, kFieldHeight);
    Place(m_hWnd, IDC_HISTORY_NOTE_LABEL, noteLabelX, bottomY + 6, 44, 20);
    int statusEnd = m_view == HistoryView::Alerts ? caseX : m_view == HistoryView::CanBeUndone ? actionX : cx;
    Place(m_hWnd, IDC_HISTORY_STATUS, kMargin, bottomY + 6, statusEnd - 2 * kMargin, 20);
}

void CHistoryWindow::ShowView(HistoryView view)
{
    m_view = view;
    const std::pair<CColorButton*, HistoryView> viewButtons[] = {
        {&m_allButton, HistoryView::AllScans}, {&m_undoButton, HistoryView::CanBeUndone},
        {&m_alertsButton, HistoryView::Alerts}};
    for (const auto& [button, shows] : viewButtons) {
        if (shows == view)
            button->Highlight(200, 230, 200);
        else
            button->Unhighlight();
    }
    for (int id : kFilterControls) Show(m_hWnd, id, view == HistoryView::AllScans);
    Show(m_hWnd, IDC_HISTORY_HINT, view != HistoryView::AllScans);
    m_hint.SetText(Text(view == HistoryView::CanBeUndone ? TextId::HistoryUndoHint : TextId::HistoryAlertsHint));
    Show(m_hWnd, IDC_HISTORY_ACTION, view != HistoryView::AllScans);
    Show(m_hWnd, IDC_HISTORY_NOTE, view == HistoryView::Alerts);
    Show(m_hWnd, IDC_HISTORY_NOTE_LABEL, view == HistoryView::Alerts);
    Show(m_hWnd, IDC_HISTORY_CASE, view == HistoryView::Alerts);
    SetWindowTextA(m_actionButton.Handle(),
                   Text(view == HistoryView::CanBeUndone ? TextId::ModeRecommission : TextId::HistoryMarkHandled));
    RECT client;
    GetClientRect(m_hWnd, &client);
    Layout(client.right, client.bottom);
    InvalidateRect(m_hWnd, nullptr, TRUE);
    SetUpColumns();
    Requery();
}

bool CHistoryWindow::EnsureReader()
{
    std::string reason;
    return m_reader.IsOpen() ||
           m_reader.Open(SqliteFileName(m_historyPath), reason, DamageMarkName(m_historyPath));
}

HistoryViewQuery CHistoryWindow::QueryFromControls() const
{
    HistoryViewQuery query;
    query.view = m_view;
    query.now = std::time(nullptr);
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (host) query.account = host->SettingsSnapshot().Username;
    if (m_view != HistoryView::AllScans) return query;
    query.filter.search = DialogItemText(m_hWnd, IDC_HISTORY_SEARCH);
    query.filter.fromDate = DayBound(DialogItemText(m_hWnd, IDC_HISTORY_FROM));
    query.filter.toDate = DayBound(DialogItemText(m_hWnd, IDC_HISTORY_TO));
    query.filter.mode = ChosenValue(m_hWnd, IDC_HISTORY_MODE);
    query.filter.kind = ChosenValue(m_hWnd, IDC_HISTORY_KIND);
    return query;
}

void CHistoryWindow::Requery()
{
    m_keepId = 0;
    m_pickFirst = true;
    Read();
}

void CHistoryWindow::Refresh()
{
    // A row chosen must stay the row acted on: never another one in its place.
    std::optional<HistoryEntry> selected = Selected();
    m_keepId = selected ? selected->id : 0;
    m_pickFirst = false;
    Read();
}

void CHistoryWindow::Read()
{
    KillTimer(m_hWnd, kSearchStepTimer);
    if (!EnsureReader()) {
        m_rows = HistoryViewRows();
        ResetList();
        m_status.SetText(Text(TextId::HistoryEmpty));
        return;
    }
    m_rows.Start(m_reader, QueryFromControls());
    m_seenMaxId = m_reader.MaxId();
    ResetList();
    if (m_rows.Searching()) SetTimer(m_hWnd, kSearchStepTimer, 1, nullptr);
    SetOneShotTimer(kCountTimer, kCountDelayMs);
    ShowCount();
}

void CHistoryWindow::SearchOn()
{
    bool more = m_rows.Step(m_reader);
    if (!more) KillTimer(m_hWnd, kSearchStepTimer);
    SendMessageA(m_list, LVM_SETITEMCOUNT, static_cast<WPARAM>(m_rows.Count()), LVSICF_NOSCROLL);
    InvalidateRect(m_list, nullptr, FALSE);
    SettleSelection();
    ShowCount();
}

void CHistoryWindow::ShowCount()
{
    long long count = m_rows.Count();
    TextId format = m_view == HistoryView::CanBeUndone ? (count == 1 ? TextId::HistoryPack : TextId::HistoryPacks)
                    : m_view == HistoryView::Alerts    ? (count == 1 ? TextId::HistoryAlert : TextId::HistoryAlerts)
                                                       : (count == 1 ? TextId::HistoryScan : TextId::HistoryScans);
    if (m_rows.Searching()) format = TextId::HistorySearching;
    std::string text = StringPrintf(Text(format), count);
    bool unreadDay = false;
    for (int id : {IDC_HISTORY_FROM, IDC_HISTORY_TO})
        unreadDay |= DialogItemText(m_hWnd, id) != DayBound(DialogItemText(m_hWnd, id));
    if (m_view == HistoryView::AllScans && unreadDay) text += Text(TextId::HistoryDateHint);
    m_status.SetText(text);
}

void CHistoryWindow::OnTimer(UINT_PTR id)
{
    if (id == kSearchDelayTimer) Requery();
    if (id == kSearchStepTimer) SearchOn();
    if (id == kCountTimer && m_rows.SettleCount(m_reader)) {
        SendMessageA(m_list, LVM_SETITEMCOUNT, static_cast<WPARAM>(m_rows.Count()), LVSICF_NOSCROLL);
        InvalidateRect(m_list, nullptr, FALSE);
        ShowCount();
    }
}

bool CHistoryWindow::OnCommand(int id, int notifyCode, HWND control)
{
    switch (id) {
    case IDC_HISTORY_ALL: ShowView(HistoryView::AllScans); return true;
    case IDC_HISTORY_UNDO: ShowView(HistoryView::CanBeUndone); return true;
    case IDC_HISTORY_ALERTS: ShowView(HistoryView::Alerts); return true;
    case IDC_HISTORY_ACTION: OnAction(); return true;
    case IDC_HISTORY_CASE: OpenCase(); return true;
    case IDC_HISTORY_EXPORT: Export(); return true;
    case IDOK: return true;  // Enter in a box searches as it is typed; it closes nothing
    case IDCANCEL: Close(); return true;
    case IDC_HISTORY_SEARCH:
    case IDC_HISTORY_FROM:
    case IDC_HISTORY_TO:
        if (notifyCode == EN_CHANGE) SetOneShotTimer(kSearchDelayTimer, kSearchDelayMs);
        return true;
    case IDC_HISTORY_MODE:
    case IDC_HISTORY_KIND:
        if (notifyCode == CBN_SELCHANGE) Requery();
        return true;
    default: return CSheetDialog::OnCommand(id, notifyCode, control);
    }
}

INT_PTR CHistoryWindow::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom != IDC_HISTORY_LIST) break;
        LRESULT result = 0;
        if (header->code == LVN_GETDISPINFOA) OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOA*>(lParam));
        if (header->code == NM_CUSTOMDRAW) result = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        if (header->code == LVN_ITEMCHANGED) OnSelectionChanged();
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_HISTORYEXPORTED:
        OnExported();
        return TRUE;
    case WM_DESTROY:
        // An export still running stops and removes its unfinished file.
        if (m_export) m_export->cancelled = true;
        break;
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        InvalidateRect(m_hWnd, nullptr, TRUE);
        return TRUE;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {kMinWidth, kMinHeight};
        return TRUE;
    case WM_ACTIVATE:
        // Back in the window: scans answered meanwhile are shown.
        if (LOWORD(wParam) != WA_INACTIVE && (!m_reader.IsOpen() || m_reader.MaxId() != m_seenMaxId)) Refresh();
        return FALSE;
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        break;
    default: break;
    }
    return CSheetDialog::DialogProc(message, wParam, lParam);
}

void CHistoryWindow::Close()
{
    Log("History window closed");
    DestroyWindow(m_hWnd);
}
