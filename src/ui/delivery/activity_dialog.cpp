// CActivityDialog: the period, the report written, and what went wrong.
#include "ui/delivery/activity_dialog.h"

#include <shellapi.h>

#include "base/string_format.h"
#include "base/text_catalog.h"
#include "core/log.h"
#include "framework/file_ops.h"
#include "history/history_csv.h"
#include "res/resource.h"
#include "ui/controls/message_box.h"
#include "ui/history/windows_csv_files.h"

namespace {

constexpr int kDefaultDays = 30;

std::string Filled(const char* format, const std::string& value) { return StringPrintf(format, value.c_str()); }

}  // namespace

std::string LocalDateDaysAgo(int days)
{
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME file;
    SystemTimeToFileTime(&local, &file);
    ULARGE_INTEGER value{};
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    value.QuadPart -= static_cast<ULONGLONG>(days) * 24 * 60 * 60 * 10000000ULL;
    file.dwLowDateTime = value.LowPart;
    file.dwHighDateTime = value.HighPart;
    SYSTEMTIME earlier;
    FileTimeToSystemTime(&file, &earlier);
    char text[16];
    wsprintfA(text, "%04u-%02u-%02u", earlier.wYear, earlier.wMonth, earlier.wDay);
    return text;
}

CActivityDialog::CActivityDialog(ActivityRequest request, std::string reportFolder)
    : CSheetDialog(IDD_ACTIVITY), m_request(std::move(request)), m_reportFolder(std::move(reportFolder))
{
}

BOOL CActivityDialog::OnInitDialog()
{
    m_makeButton.Attach(m_hWnd, IDOK);
    m_cancelButton.Attach(m_hWnd, IDCANCEL);
    m_hint.Attach(m_hWnd, IDC_ACTIVITY_HINT);
    m_fromLabel.Attach(m_hWnd, IDC_ACTIVITY_FROM_LABEL);
    m_toLabel.Attach(m_hWnd, IDC_ACTIVITY_TO_LABEL);
    m_hint.SetText(Text(TextId::ActivityHint));
    SetDlgItemTextA(m_hWnd, IDC_ACTIVITY_FROM, LocalDateDaysAgo(kDefaultDays - 1).c_str());
    SetDlgItemTextA(m_hWnd, IDC_ACTIVITY_TO, LocalDateDaysAgo(0).c_str());
    return TRUE;
}

void CActivityDialog::MakeReport()
{
    std::string from = DialogItemText(m_hWnd, IDC_ACTIVITY_FROM), to = DialogItemText(m_hWnd, IDC_ACTIVITY_TO);
    std::string problem;
    for (const std::string& date : {from, to})
        if (problem.empty() && !IsIsoDate(date)) problem = Filled(Text(TextId::ActivityNotADate), date);
    if (problem.empty() && to < from) problem = Text(TextId::ActivityBackwards);
    std::string reason;
    long long scans = 0;
    if (problem.empty()) {
        m_request.header.from = from;
        m_request.header.to = to;
        m_request.htmlPath = m_reportFolder + "\\activity-" + from + "-to-" + to + ".html";
        if (!EnsureDirectory(m_reportFolder))
            problem = Filled(Text(TextId::ActivityFailed), "the folder \"" + m_reportFolder + "\" cannot be created");
        else if (WriteActivityReport(m_request, WindowsCsvFiles(), reason, scans) != ActivityResult::Written)
            problem = Filled(Text(TextId::ActivityFailed), reason);
    }
    if (!problem.empty()) {
        ShowOwnedMessageBox(m_hWnd, problem, "", MessageBoxButtons::Ok);
        return;
    }
    Log("Activity report of %s to %s (%lld scans) written to %s", from.c_str(), to.c_str(), scans,
        m_request.htmlPath.c_str());
    ShellExecuteA(m_hWnd, "open", m_request.htmlPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    EndDialog(IDOK);
}

bool CActivityDialog::OnCommand(int id, int notifyCode, HWND control)
{
    if (id == IDOK) {
        MakeReport();
        return true;
    }
    return CSheetDialog::OnCommand(id, notifyCode, control);
}
