// The History window: modeless and resizable, opened from the tray menu and
// the system menu. Three views of the scan history (All scans with search
// and filters, Can be undone with the Recommission button, Alerts with their
// Handled mark), a details pane with every stored field of the selected row,
// and Export... of the view as CSV. It reads the history through a read-only
// connection of its own on the window thread while the worker writes; the
// export, which takes seconds on a long history, runs on a thread of its own.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "history/history_reader.h"
#include "history/history_view_rows.h"
#include "ui/history/history_export_thread.h"
#include "ui/controls/color_button.h"
#include "ui/controls/text_label.h"
#include "ui/settings/sheet_dialog.h"

class CHistoryWindow : public CSheetDialog {
public:
    // `historyPath`: AppFolder\History\history.db.
    explicit CHistoryWindow(std::string historyPath);
    // Creates the window, owned by `owner`; false when it could not be.
    bool Open(HWND owner) { return CreateModeless(owner); }
    HWND Handle() const { return m_hWnd; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;

private:
    // history_window.cpp: the controls, the layout and the views.
    void AttachControls();
    void FillFilterChoices();
    void Layout(int cx, int cy);
    void ShowView(HistoryView view);
    // Reads the view again for a change of view or filter (the newest row
    // selected), or, Refresh, for rows added meanwhile (the selected row kept).
    void Requery();
    void Refresh();
    void Read();
    HistoryViewQuery QueryFromControls() const;
    void SearchOn();
    void ShowCount();
    bool EnsureReader();

    // history_window_list.cpp: the virtual list and the details pane.
    void SetUpColumns();
    void ResetList();
    void SettleSelection();
    void SelectRow(int64_t index);
    void OnGetDispInfo(NMLVDISPINFOA& info);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    void OnSelectionChanged();
    // A copy: a page read meanwhile (a box's loop paints the list) may drop it.
    std::optional<HistoryEntry> Selected();

    // history_window_actions.cpp: the buttons that act on a row or the view.
    void OnAction();
    void Recommission(const HistoryEntry& entry);
    void ToggleHandled(const HistoryEntry& entry);
    // The selected alert's case window; its Undo earlier decommission goes
    // the Recommission button's way, with its refusals.
    void OpenCase();
    void Export();
    void OnExported();
    void Close();

    static constexpr UINT WM_HISTORYEXPORTED = WM_APP + 23;

    std::string m_historyPath;
    HistoryReader m_reader;
    HistoryViewRows m_rows;
    HistoryView m_view = HistoryView::AllScans;
    int64_t m_seenMaxId = -1;  // the newest row when the view was read
    int64_t m_keepId = 0;      // the row to select again once the view lists it
    bool m_pickFirst = true;   // select the newest row when none is
    HWND m_list = nullptr;
    std::shared_ptr<HistoryExportOutcome> m_export;  // while an export runs
    CColorButton m_allButton, m_undoButton, m_alertsButton, m_exportButton, m_closeButton, m_actionButton,
        m_caseButton;
    CTextLabel m_searchLabel, m_fromLabel, m_toLabel, m_noteLabel, m_status, m_hint;
};
