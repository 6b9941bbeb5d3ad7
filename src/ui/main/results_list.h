// The results list (list view 1015 of the main window): one row per scan,
// newest on top, updated as the scan moves from "Scanned" to its outcome,
// coloured by result, and the product pop-up when a result needs attention.
// It owns every record attached to a row, and the records its pop-ups show
// until those close.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "core/scan_result.h"
#include "framework/control.h"
#include "framework/win_handle.h"
#include "ui/main/results_book.h"

// What the list needs of its main window when a result calls for attention.
class ResultsListOwner {
public:
    virtual ~ResultsListOwner() = default;
    virtual HWND OwnerWindow() const = 0;
    virtual void BringToFront() = 0;
    virtual void PlayAlertSound() = 0;
    // Every scan's record once its row shows it (the delivery window counts them).
    virtual void OnScanShown(const ScanResult& /*record*/) {}
};

class CResultsList : public CControl {
public:
    explicit CResultsList(ResultsListOwner& owner) : m_owner(owner) {}

    // Columns, full-row selection and the list font; once, after Attach.
    void Initialise();
    // Takes ownership of `record` (posted as WM_SCANRESULT).
    void OnScanResult(ScanResult* record);

    // The enlarged font the owner-drawn controls write with; null until set.
    HFONT ListFont() const { return m_listFont.Get(); }
    int RowCount() const { return m_book.RowCount(); }

    bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int AddRow(const std::string& time, ScanResult* record, const std::string cells[3]);
    void SetCells(int index, const std::string cells[3]);
    CellWidths MeasureCells(const std::string& time, const std::string cells[3]) const;
    void ShowPopUp(ScanResult* record, const std::string& scanTime);
    std::string CellText(int row, int column) const;
    // Text width in the list's font, measured on a memory surface kept for
    // the purpose: asking the list view costs a window surface per call.
    int TextWidth(const std::string& text) const;
    void Trim();
    // Scrolls only when the row is not already in view: asking the list view
    // to do it costs a scroll even then.
    void ScrollTo(int index);
    // Each column fits its widest text and its header; narrowing waits for
    // the rows to be still unless `narrowToo`.
    void SizeColumns(bool narrowToo);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;
    void OnDoubleClick();
    void FreeAllRecords();

    ResultsListOwner& m_owner;
    int m_columnWidths[3] = {20, 20, 20};
    int m_appliedWidths[kResultColumns] = {-1, -1, -1, -1};
    FontHandle m_listFont;
    MemoryDC m_measure;
    int m_headerWidths[kResultColumns] = {0, 0, 0, 0};
    ResultsBook m_book;
    HeldRecords m_held;
    bool m_bDestroyed = false;
};
