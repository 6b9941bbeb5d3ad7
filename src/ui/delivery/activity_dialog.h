// The Activity report's small modal dialog: the period's first and last day
// (the last 30 days unless changed), then the report written to
// AppFolder\Reports and opened with the system's viewer.
#pragma once
#include <string>

#include "reports/activity_file.h"
#include "ui/controls/color_button.h"
#include "ui/controls/text_label.h"
#include "ui/settings/sheet_dialog.h"

class CActivityDialog : public CSheetDialog {
public:
    // `request`: the history and the page's facts; the period and the file
    // are filled in here.
    CActivityDialog(ActivityRequest request, std::string reportFolder);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;

private:
    void MakeReport();

    ActivityRequest m_request;
    std::string m_reportFolder;
    CColorButton m_makeButton, m_cancelButton;
    CTextLabel m_hint, m_fromLabel, m_toLabel;
};

// The local date `days` before today, YYYY-MM-DD.
std::string LocalDateDaysAgo(int days);
