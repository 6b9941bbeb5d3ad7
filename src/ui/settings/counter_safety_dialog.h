// The "Counter safety" sheet: one switch per safety setting of the counter,
// each explained in one sentence. A change goes to the registry at once and
// into the settings the worker takes with its next pass.
#pragma once
#include "core/app_settings.h"
#include "ui/controls/color_button.h"
#include "ui/controls/frame_panel.h"
#include "ui/controls/text_label.h"
#include "ui/settings/settings_dialog.h"
#include "ui/settings/sheet_dialog.h"

class CCounterSafetyDialog : public CSheetDialog {
public:
    static constexpr int kSwitchCount = 5;
    explicit CCounterSafetyDialog(CSettingsDialog& settings);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;

private:
    void ShowSwitch(int index, bool on);
    void Toggle(int index);
    void OnMinutesChanged();

    CSettingsDialog& m_settings;
    bool m_bReady = false;  // set once the controls show the stored values
    CColorButton m_toggles[kSwitchCount], m_closeButton;
    CFramePanel m_frames[kSwitchCount];
    CTextLabel m_texts[kSwitchCount], m_minutesLabel;
};
