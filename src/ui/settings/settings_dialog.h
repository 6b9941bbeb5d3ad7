// The "Settings" sheet and the settings it owns: the pharmacy's account, its
// password and the proxy. The object lives as long as the main window object
// and holds the values the worker sends with, whether or not the sheet is on
// screen; the sheet saves them only once the service has accepted them.
#pragma once
#include <string>

#include "core/app_settings.h"
#include "ui/controls/color_button.h"
#include "ui/controls/frame_panel.h"
#include "ui/controls/text_label.h"
#include "ui/settings/reset_scanner_dialog.h"
#include "ui/settings/sheet_dialog.h"
#include "ui/update/update_rules.h"

// What the sheet needs of the window that runs it.
class SettingsSheetOwner {
public:
    virtual ~SettingsSheetOwner() = default;
    // Where the credentials check keeps its request and reply files.
    virtual std::string ScanFolder() const = 0;
    // Hides the owner into the notification area after `milliseconds`.
    virtual void HideToTrayAfter(unsigned milliseconds) = 0;
    // Fetches and starts a scanner driver's installer; returns when done.
    virtual void DownloadAndRun(const std::string& fileName) = 0;
};

class CSettingsDialog : public CSheetDialog {
public:
    // Loads the stored settings at once.
    explicit CSettingsDialog(SettingsSheetOwner& owner);

    AppSettings Snapshot() const { return m_values.Snapshot(); }
    // Reads the registry switches again (the Counter safety sheet wrote
    // one); the account and proxy stay as they are, saved or not.
    void ReloadSwitches();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;

    // The service's answer to the credentials; tests may stand in for it.
    virtual bool CheckLogin(const AppSettings& settings);

private:
    // Asks the owner for the installer that suits this machine.
    void InstallDriver(ScannerDriver driver);
    void AttachControls();
    // A sentence above the fields: the sheet grows and its controls move down.
    void ShowNotice(const std::string& text);
    void OnSave();
    void OnCancel();
    // `typedIn`: the pharmacist's Save, which may try a refused password again.
    bool CredentialsAccepted(const AppSettings& settings, bool typedIn);
    std::string EditText(int id) const;

    SettingsSheetOwner& m_owner;
    SharedSettings m_values;
    CResetScannerDialog m_resetScanner;
    CColorButton m_saveButton, m_cancelButton, m_cipherLabDriverButton, m_symbolDriverButton, m_resetButton;
    CFramePanel m_accountFrame, m_cipherLabFrame, m_symbolFrame;
    CTextLabel m_notice;
    CTextLabel m_usernameLabel, m_passwordLabel, m_proxyLabel, m_cipherLabText, m_symbolText, m_webVersionText;
};
