// The History window's virtual list (the rows are asked for as they are
// drawn, a page at a time) and the details pane of the selected row.
#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "base/string_format.h"
#include "base/text_catalog.h"
#include "core/scan_result.h"
#include "framework/win_handle.h"
#include "history/history_view_rules.h"

#include "res/resource.h"
#include "ui/history/history_window.h"
#include "ui/main/result_rules.h"

namespace {

// Room around a cell's text, as the list view leaves it.
constexpr int kCellPadding = 16;

// The longest texts a column usually shows, in the chosen language; the
// barcode and the note get a width of their own.
std::vector<std::string> WidestTexts(const std::string& name)
{
    if (name == "Date/Time") return {"2026-12-08 00:00:00"};
    if (name == "Status") return {StatusWord("Done before"), StatusWord("Not sent")};
    if (name == "Mode") return {ModeWord(ScanMode::Recommission)};
    if (name == "Serial") return {"DEMO00000000"};
    if (name == "Time left") {
        std::string duration = StringPrintf(Text(TextId::DurationDays), 10LL, 23LL);
        return {StringPrintf(Text(TextId::TimeLeft), duration.c_str())};
    }
    if (name == "Age") return {StringPrintf(Text(TextId::DurationDays), 400LL, 23LL)};
    return {};
}

int ColumnWidth(HWND list, const std::string& name)
{
    if (name == "Barcode") return 420;
    if (name == "Handled") return 220;
    WindowDC dc(list);
    SelectedObject font(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    std::vector<std::string> texts = WidestTexts(name);
    texts.push_back(ColumnWord(name));
    for (const std::string& text : texts) {
        SIZE size{};
        GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    return widest + kCellPadding;
}

}  // namespace

void CHistoryWindow::SetUpColumns()
{
    while (SendMessageA(m_list, LVM_DELETECOLUMN, 0, 0)) {
    }
    std::vector<std::string> columns = ViewColumns(m_view);
    for (size_t i = 0; i < columns.size(); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = ColumnWidth(m_list, columns[i]);
        std::string header = ColumnWord(columns[i]);
        column.pszText = const_cast<char*>(header.c_str());
        column.iSubItem = static_cast<int>(i);
        SendMessageA(m_list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

void CHistoryWindow::ResetList()
{
    // Only the selected and the focused row are cleared: clearing "all rows"
    // visits every one of a million.
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    for (int which : {LVNI_SELECTED, LVNI_FOCUSED}) {
        auto index = SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), which);
        if (index >= 0) SendMessageA(m_list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&none));
    }
    SendMessageA(m_list, LVM_SETITEMCOUNT, static_cast<WPARAM>(m_rows.Count()), 0);
    InvalidateRect(m_list, nullptr, TRUE);
    SettleSelection();
}

void CHistoryWindow::SettleSelection()
{
    if (m_keepId != 0) {
        int64_t index = m_rows.IndexOf(m_reader, m_keepId);
        if (index >= 0) SelectRow(index);
        if (index >= 0 || !m_rows.Searching()) m_keepId = 0;
    } else if (m_pickFirst && m_rows.Count() > 0 &&
               SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) < 0) {
        SelectRow(0);  // the newest row, so its details show at once
    }
    OnSelectionChanged();
}

void CHistoryWindow::SelectRow(int64_t index)
{
    LVITEMA state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
    SendMessageA(m_list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

void CHistoryWindow::OnGetDispInfo(NMLVDISPINFOA& info)
{
    if (!(info.item.mask & LVIF_TEXT) || !info.item.pszText || info.item.cchTextMax <= 0) return;
    const HistoryEntry* entry = m_rows.Row(m_reader, info.item.iItem);
    std::string text = entry ? CellText(m_view, info.item.iSubItem, *entry, std::time(nullptr)) : "";
    lstrcpynA(info.item.pszText, text.c_str(), info.item.cchTextMax);
}

LRESULT CHistoryWindow::OnCustomDraw(NMLVCUSTOMDRAW& draw)
{
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const HistoryEntry* entry = m_rows.Row(m_reader, static_cast<int64_t>(draw.nmcd.dwItemSpec));
    RunColour colour;
    // A handled alert loses its colour, so the open ones stand out.
    if (entry && !(m_view == HistoryView::Alerts && entry->handled) && RowBackground(entry->kind, colour))
        draw.clrTextBk = RGB(colour.r, colour.g, colour.b);
    return CDRF_DODEFAULT;
}

std::optional<HistoryEntry> CHistoryWindow::Selected()
{
    auto index = static_cast<int>(SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    const HistoryEntry* entry = index >= 0 ? m_rows.Row(m_reader, index) : nullptr;
    if (!entry) return std::nullopt;
    return *entry;
}

void CHistoryWindow::OnSelectionChanged()
{
    std::optional<HistoryEntry> entry = Selected();
    std::optional<HistoryEntry> own = entry ? m_reader.OwnDecommissionBefore(*entry) : std::nullopt;
    SetDlgItemTextA(m_hWnd, IDC_HISTORY_DETAILS, entry ? DetailsText(*entry, own ? &*own : nullptr).c_str() : "");
    if (m_view != HistoryView::Alerts) return;
    SetDlgItemTextA(m_hWnd, IDC_HISTORY_NOTE, entry ? entry->handledNote.c_str() : "");
    TextId action = entry && entry->handled ? TextId::HistoryNotHandled : TextId::HistoryMarkHandled;
    SetWindowTextA(m_actionButton.Handle(), Text(action));
    InvalidateRect(m_actionButton.Handle(), nullptr, TRUE);
}
