// The Alert case window, opened from the History window's Alerts view: the
// alert's verdict and next step, its alert ID, state, note and photos, each
// change recorded with its time and the Windows user, the deadline to answer,
// Case sheet... and, for this pharmacy's own double decommission, Undo
// earlier decommission (carried out by the History window).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "history/alert_case.h"
#include "history/history_entry.h"
#include "history/history_reader.h"
#include "framework/win_handle.h"
#include "ui/controls/color_button.h"
#include "ui/controls/text_label.h"
#include "ui/settings/sheet_dialog.h"

inline void DestroyImageList(HIMAGELIST list) { ImageList_Destroy(list); }
using ImageListHandle = UniqueHandle<NullHandleTraits<HIMAGELIST, DestroyImageList>>;

class CAlertCaseDialog : public CSheetDialog {
public:
    // The modal result when the pharmacist chose Undo earlier decommission.
    static constexpr INT_PTR kUndoChosen = 100;

    // `historyPath`: AppFolder\History\history.db; its Photos folder beside it.
    CAlertCaseDialog(const HistoryReader& reader, std::string historyPath, HistoryEntry alert, long answerDays);

    const AlertCase& ShownCase() const;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowCase();
    void ShowPhotos();
    bool Record(const char* what, const std::string& value);
    void SaveId();
    void RecordState();
    void SaveNote();
    void AddPhoto();
    void OpenPhoto(int index);
    void WriteSheet();

    const HistoryReader& m_reader;
    std::string m_historyPath;
    HistoryEntry m_alert;
    long m_answerDays;
    std::optional<HistoryEntry> m_own;  // the earlier decommission an undo would reach
    AlertCase m_case;
    ImageListHandle m_thumbnails;
    CColorButton m_buttons[7];
    CTextLabel m_labels[8];
};
