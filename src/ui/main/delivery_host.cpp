// The main window's side of the Check a delivery window and the Activity
// report: one delivery window at a time, owned by the main window, told of
// every scan's row; the report written from AppFolder\History\history.db.
#include <ctime>

#include "base/string_format.h"
#include "base/text_catalog.h"
#include "core/log.h"
#include "core/program_context.h"
#include "framework/computer_name.h"
#include "res/version.h"
#include "ui/controls/message_box.h"
#include "ui/delivery/activity_dialog.h"
#include "ui/main/main_dialog.h"

namespace {

std::string AppFolder()
{
    ProgramContext* program = ProgramContext::Current();
    return program ? program->AppFolder : std::string();
}

}  // namespace

void CMainDialog::ShowDelivery()
{
    if (m_deliveryWindow && m_deliveryWindow->Handle()) {
        HWND open = m_deliveryWindow->Handle();
        if (IsIconic(open)) ShowWindow(open, SW_RESTORE);
        SetForegroundWindow(open);
        return;
    }
    m_deliveryWindow = std::make_unique<CDeliveryWindow>(AppFolder() + "\\History\\history.db",
                                                         AppFolder() + "\\Reports", *this);
    std::string reason;
    if (!m_deliveryWindow->Open(m_hWnd, reason)) {
        Warning("Unable to open the delivery window: %s", reason.c_str());
        m_deliveryWindow.reset();
        ShowMessageBox(StringPrintf(Text(TextId::DeliveryCannotStart), reason.c_str()), "", MessageBoxButtons::Ok);
        return;
    }
    ShowWindow(m_deliveryWindow->Handle(), SW_SHOW);
    SetForegroundWindow(m_deliveryWindow->Handle());
}

void CMainDialog::SetCurrentDelivery(int64_t delivery)
{
    m_delivery = delivery;
    Log("Delivery %lld %s", static_cast<long long>(delivery),
        delivery ? "checked: every scan is a Verify" : "no longer checked");
}

void CMainDialog::OnScanShown(const ScanResult& record)
{
    if (record.delivery != 0 && m_deliveryWindow && m_deliveryWindow->Handle()) m_deliveryWindow->OnScan(record);
}

void CMainDialog::ShowActivityReport()
{
    AppSettings settings = m_settings.Snapshot();
    ActivityRequest request;
    request.historyPath = AppFolder() + "\\History\\history.db";
    request.header.programVersion = PELLWICK_VERSION;
    request.header.computer = ComputerName();
    request.header.account = settings.Username;
    request.header.madeLocal = LocalDateDaysAgo(0);
    request.header.now = std::time(nullptr);
    request.shortDatedMonths = settings.ShortDatedMonths;
    CActivityDialog dialog(request, AppFolder() + "\\Reports");
    dialog.RunModal(m_hWnd);
}
