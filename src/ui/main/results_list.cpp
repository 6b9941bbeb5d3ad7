// The results list: rows from posted records, colours, alerts, trimming,
// column sizing, double-click and the records' end.
#include "ui/main/results_list.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "base/text_catalog.h"
#include "base/text_escape.h"
#include "core/log.h"
#include "core/scan_result_post.h"
#include "core/trace_log.h"
#include "ui/controls/product_scan_dialog.h"
#include "ui/main/result_rules.h"

namespace {

const TextId kHeaders[kResultColumns] = {TextId::ColumnDateTime, TextId::ColumnStatus, TextId::ColumnMode,
                                         TextId::ColumnBarcode};
// Room around a cell's text, as the list view leaves it.
constexpr int kCellPadding = 14;
// A column widens at once but narrows only once the list has been still for
// this long. A scan's "Scanned" is wider than most answers: narrowing at each
// answer made the columns jump twice a scan, and repainted the header and
// every row (under Wine some 20 ms) just as the answer was to show.
constexpr UINT_PTR kSettleColumnsTimer = 0x5C01;
constexpr UINT kSettleColumnsMs = 1500;

}  // namespace

void CResultsList::Initialise()
{
    m_columnWidths[0] = m_columnWidths[1] = m_columnWidths[2] = 20;
    const int widths[kResultColumns] = {m_columnWidths[0], m_columnWidths[1], m_columnWidths[1], m_columnWidths[2]};
    for (int column = 0; column < kResultColumns; ++column) {
        LVCOLUMNA header{};
        header.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        header.fmt = LVCFMT_LEFT;
        header.cx = widths[column];
        header.pszText = const_cast<char*>(Text(kHeaders[column]));
        header.iSubItem = column;
        SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&header));
    }
    SendMessageA(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);

    auto font = reinterpret_cast<HFONT>(SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    LOGFONTA description{};
    if (font && GetObjectA(font, sizeof description, &description)) {
        description.lfHeight += description.lfHeight / 10;
        m_listFont.Reset(CreateFontIndirectA(&description));
        SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_listFont.Get()), TRUE);
    }
    m_measure.Reset(CreateCompatibleDC(nullptr));
    SelectObject(m_measure.Get(), reinterpret_cast<HFONT>(SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
    for (int column = 0; column < kResultColumns; ++column) m_headerWidths[column] = TextWidth(Text(kHeaders[column]));
}

int CResultsList::TextWidth(const std::string& text) const
{
    SIZE size{};
    GetTextExtentPoint32A(m_measure.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void CResultsList::OnScanResult(ScanResult* posted)
{
    std::unique_ptr<ScanResult> record(posted);
    if (!record) return;
    if (m_bDestroyed || !m_hWnd) return;  // the record simply goes
    const std::string rowTime = RowTime(TimestampNow());

    if (record->kind == ScanResultKind::Log) {
        const std::string cells[3] = {"", "", record->barcode};
        AddRow(rowTime, nullptr, cells);
    } else {
        const std::string cells[3] = {StatusWord(record->statusText), ModeWord(record->mode),
                                      EscapeBarcode(record->barcode)};
        int index = m_book.FindKey(record->key);
        ScanResult* shown = record.get();
        if (index >= 0) {
            CellWidths widths = MeasureCells(CellText(index, 0), cells);
            m_held.Destroy(m_book.Update(index, record.release(), widths));
            SetCells(index, cells);
            LVITEMA item{};
            item.mask = LVIF_PARAM;
            item.iItem = index;
            item.lParam = reinterpret_cast<LPARAM>(shown);
            SendMessageA(m_hWnd, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        } else {
            index = AddRow(rowTime, record.release(), cells);
            if (index < 0) return;  // refused: the record, `shown`, is gone with the row
        }
        // Where a scan's time goes: the moment its row says what happened.
        Log("Results - row \"%s\" shows %s", shown->key.c_str(), shown->statusText.c_str());
        m_owner.OnScanShown(*shown);
        if (NeedsAlert(*shown)) {
            m_owner.BringToFront();
            m_owner.PlayAlertSound();
            ShowPopUp(shown, CellText(index, 0));
        }
        ScrollTo(index);
    }
    Trim();
    SizeColumns(false);
}

int CResultsList::AddRow(const std::string& time, ScanResult* record, const std::string cells[3])
{
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = 0;
    item.pszText = const_cast<char*>(time.c_str());
    item.lParam = reinterpret_cast<LPARAM>(record);
    int index = static_cast<int>(SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) {
        Log("Results list refused a row: %s %s", cells[0].c_str(), cells[2].c_str());
        m_held.Destroy(record);
        return -1;
    }
    m_book.AddTop(record, MeasureCells(time, cells));
    SetCells(0, cells);
    return 0;
}

void CResultsList::ScrollTo(int index)
{
    int top = static_cast<int>(SendMessageA(m_hWnd, LVM_GETTOPINDEX, 0, 0));
    int perPage = static_cast<int>(SendMessageA(m_hWnd, LVM_GETCOUNTPERPAGE, 0, 0));
    if (index >= top && index < top + perPage) return;
    SendMessageA(m_hWnd, LVM_ENSUREVISIBLE, index, FALSE);
}

void CResultsList::SetCells(int index, const std::string cells[3])
{
    for (int column = 1; column < kResultColumns; ++column) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = const_cast<char*>(cells[column - 1].c_str());
        SendMessageA(m_hWnd, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    }
}

CellWidths CResultsList::MeasureCells(const std::string& time, const std::string cells[3]) const
{
    CellWidths widths{};
    for (int column = 0; column < kResultColumns; ++column) {
        const std::string& text = column == 0 ? time : cells[column - 1];
        widths[column] = TextWidth(text);
    }
    return widths;
}

std::string CResultsList::CellText(int row, int column) const
{
    char text[1024] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(m_hWnd, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

void CResultsList::ShowPopUp(ScanResult* record, const std::string& scanTime)
{
    // The pop-up runs a message loop: later results may replace or trim this
    // record meanwhile, so it is held until the pop-up has closed.
    m_held.Hold(record);
    {
        CProductScanDialog popUp(m_owner.OwnerWindow());
        popUp.m_pResult = record;
        popUp.m_strScanTime = scanTime;
        popUp.DoModal();
    }
    m_held.Release(record);
}

void CResultsList::Trim()
{
    while (m_book.RowCount() > kMaxResultRows) {
        m_held.Destroy(m_book.RemoveBottom());
        SendMessageA(m_hWnd, LVM_DELETEITEM, m_book.RowCount(), 0);
    }
}

void CResultsList::SizeColumns(bool narrowToo)
{
    bool narrowLater = false;
    for (int column = 0; column < kResultColumns; ++column) {
        int width = std::max(m_book.WidestCell(column), m_headerWidths[column]) + kCellPadding;
        if (width == m_appliedWidths[column]) continue;
        if (width < m_appliedWidths[column] && !narrowToo) {
            narrowLater = true;
            continue;
        }
        m_appliedWidths[column] = width;
        SendMessageA(m_hWnd, LVM_SETCOLUMNWIDTH, column, width);
    }
    // Set again at each change, so it fires once the rows have been still.
    if (narrowLater) SetTimer(m_hWnd, kSettleColumnsTimer, kSettleColumnsMs, nullptr);
}

LRESULT CResultsList::OnCustomDraw(NMLVCUSTOMDRAW& draw) const
{
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const ScanResult* record = m_book.RecordAt(static_cast<int>(draw.nmcd.dwItemSpec));
    RunColour colour;
    if (record && RowBackground(record->kind, colour)) {
        draw.clrTextBk = RGB(colour.r, colour.g, colour.b);
        return CDRF_NEWFONT;
    }
    return CDRF_DODEFAULT;
}

void CResultsList::OnDoubleClick()
{
    int row = static_cast<int>(SendMessageA(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    ScanResult* record = m_book.RecordAt(row);
    if (record) ShowPopUp(record, CellText(row, 0));
}

bool CResultsList::OnReflected(UINT message, WPARAM, LPARAM lParam, LRESULT& result)
{
    if (message != WM_NOTIFY) return false;
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code == NM_CUSTOMDRAW) {
        result = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        return true;
    }
    if (header->code == NM_DBLCLK) {
        OnDoubleClick();
        result = 0;
        return true;
    }
    return false;
}

void CResultsList::FreeAllRecords()
{
    for (int row = 0; row < m_book.RowCount(); ++row) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = 0;
        SendMessageA(m_hWnd, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    while (m_book.RowCount() > 0) m_held.Destroy(m_book.RemoveBottom());
}

LRESULT CResultsList::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SCANRESULT) {
        OnScanResult(reinterpret_cast<ScanResult*>(lParam));
        return 0;
    }
    if (message == WM_TIMER && wParam == kSettleColumnsTimer) {
        KillTimer(m_hWnd, kSettleColumnsTimer);
        SizeColumns(true);
        return 0;
    }
    if (message == WM_DESTROY) {
        FreeAllRecords();
        m_bDestroyed = true;
    }
    return Default(message, wParam, lParam);
}
