// The Check a delivery window: modeless, opened from the tray menu and the
// system menu. While it is open every scan is a Verify tagged with the
// delivery's number (the main window's mode and rows stay as they are); it
// shows the running tally, the packs to put aside with their verdict and next
// step (the alert sound for each), the supplier and delivery note, and writes
// the delivery report. Closed, the delivery stays open in the history and is
// continued next time, after a restart too; Finish delivery ends it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "core/scan_result.h"
#include "history/delivery_record.h"
#include "reports/delivery_tally.h"
#include "ui/controls/color_button.h"
#include "ui/controls/text_label.h"
#include "ui/settings/sheet_dialog.h"

// What the window needs of the main window.
class DeliveryWindowOwner {
public:
    virtual ~DeliveryWindowOwner() = default;
    // The delivery whose scans are tagged from now on; 0: none any more.
    virtual void SetCurrentDelivery(int64_t delivery) = 0;
    virtual void PlayAlertSound() = 0;
    virtual long ShortDatedMonths() const = 0;
    virtual std::string AccountName() const = 0;
};

class CDeliveryWindow : public CSheetDialog {
public:
    // `historyPath`: AppFolder\History\history.db; `reportFolder`: where the
    // delivery reports go.
    CDeliveryWindow(std::string historyPath, std::string reportFolder, DeliveryWindowOwner& owner);
    // Continues this computer's open delivery or starts one, then creates the
    // window; false with the reason when the history cannot be used.
    bool Open(HWND owner, std::string& reason);
    HWND Handle() const { return m_hWnd; }
    // A scan's row as the main window shows it (window thread).
    void OnScan(const ScanResult& record);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;

private:
    bool StartOrContinue(std::string& reason);
    void Layout(int cx, int cy);
    void SetUpColumns();
    void Recount(bool sound);
    void FillTally();
    void FillAside();
    void ShowSelected();
    void SaveDetails();
    void WriteReport();
    void Finish();
    void Close();

    std::string m_historyPath, m_reportFolder;
    DeliveryWindowOwner& m_owner;
    DeliveryRecord m_delivery;
    std::vector<DeliveryScan> m_scans;
    DeliveryTally m_tally;
    std::set<std::string> m_sounded;  // put-aside packs already announced, by spool key
    HWND m_tallyList = nullptr, m_asideList = nullptr;
    CColorButton m_reportButton, m_finishButton, m_closeButton;
    CTextLabel m_heading, m_supplierLabel, m_noteLabel, m_asideLabel, m_status;
};
