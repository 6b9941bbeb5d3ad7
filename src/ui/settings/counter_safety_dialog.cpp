// CCounterSafetyDialog: the switches' table, their look and their writing.
#include "ui/settings/counter_safety_dialog.h"

#include <string>

#include "base/text_catalog.h"
#include "base/decimal.h"
#include "core/log.h"
#include "core/settings_store.h"
#include "res/resource.h"
#include "ui/controls/message_box.h"

namespace {

struct SafetySwitch {
    int button, frame, text;
    const char* value;  // the registry value, "1" on and "0" off
    bool AppSettings::*field;
};

const SafetySwitch kSwitches[CCounterSafetyDialog::kSwitchCount] = {
    {IDC_SAFETY_HOLD, IDC_SAFETY_HOLD_FRAME, IDC_SAFETY_HOLD_TEXT, "HoldImplausibleScans",
     &AppSettings::HoldImplausibleScans},
    {IDC_SAFETY_GUARD, IDC_SAFETY_GUARD_FRAME, IDC_SAFETY_GUARD_TEXT, "GuardDoubleScans",
     &AppSettings::GuardDoubleScans},
    {IDC_SAFETY_OUTAGE, IDC_SAFETY_OUTAGE_FRAME, IDC_SAFETY_OUTAGE_TEXT, "KeepScansDuringOutage",
     &AppSettings::KeepScansDuringOutage},
    {IDC_SAFETY_EXPLAIN, IDC_SAFETY_EXPLAIN_FRAME, IDC_SAFETY_EXPLAIN_TEXT, "ExplainAnswers",
     &AppSettings::ExplainAnswers},
    {IDC_SAFETY_PLAIN, IDC_SAFETY_PLAIN_FRAME, IDC_SAFETY_PLAIN_TEXT, "AllowPlainHttp", &AppSettings::AllowPlainHttp},
};

}  // namespace

CCounterSafetyDialog::CCounterSafetyDialog(CSettingsDialog& settings)
    : CSheetDialog(IDD_COUNTER_SAFETY), m_settings(settings)
{
}

BOOL CCounterSafetyDialog::OnInitDialog()
{
    AppSettings values = m_settings.Snapshot();
    for (int index = 0; index < kSwitchCount; ++index) {
        m_toggles[index].Attach(m_hWnd, kSwitches[index].button);
        m_frames[index].Attach(m_hWnd, kSwitches[index].frame);
        m_texts[index].Attach(m_hWnd, kSwitches[index].text);
        ShowSwitch(index, values.*kSwitches[index].field);
    }
    m_closeButton.Attach(m_hWnd, IDOK);
    m_minutesLabel.Attach(m_hWnd, IDC_SAFETY_MINUTES_LABEL);
    SetDlgItemTextA(m_hWnd, IDC_SAFETY_MINUTES, std::to_string(values.DoubleScanMinutes).c_str());
    m_bReady = true;
    return TRUE;
}

bool CCounterSafetyDialog::OnCommand(int id, int notifyCode, HWND control)
{
    if (id == IDC_SAFETY_MINUTES) {
        if (notifyCode == EN_CHANGE && m_bReady) OnMinutesChanged();
        return true;
    }
    for (int index = 0; index < kSwitchCount; ++index) {
        if (id != kSwitches[index].button) continue;
        Toggle(index);
        return true;
    }
    return CSheetDialog::OnCommand(id, notifyCode, control);
}

void CCounterSafetyDialog::ShowSwitch(int index, bool on)
{
    CColorButton& button = m_toggles[index];
    SetWindowTextA(button.Handle(), Text(on ? TextId::SwitchOn : TextId::SwitchOff));
    if (on)
        button.Highlight(200, 230, 200);
    else
        button.Unhighlight();
    InvalidateRect(button.Handle(), nullptr, TRUE);
}

void CCounterSafetyDialog::Toggle(int index)
{
    const SafetySwitch& safety = kSwitches[index];
    bool on = !(m_settings.Snapshot().*safety.field);
    if (on && safety.field == &AppSettings::AllowPlainHttp &&
        !ShowMessageBox(Text(TextId::PlainHttpQuestion), Text(TextId::PlainHttpCaption), MessageBoxButtons::YesNo))
        return;
    SaveSetting(safety.value, on ? "1" : "0");
    m_settings.ReloadSwitches();
    Log("Counter safety: %s set to %s", safety.value, on ? "1" : "0");
    ShowSwitch(index, m_settings.Snapshot().*safety.field);
}

void CCounterSafetyDialog::OnMinutesChanged()
{
    char text[16] = "";
    GetDlgItemTextA(m_hWnd, IDC_SAFETY_MINUTES, text, sizeof text);
    long minutes = ParseLeadingDecimal(text);
    if (minutes < 1 || minutes > kMostDoubleScanMinutes) return;  // kept as stored until it makes sense
    SaveSetting("DoubleScanMinutes", std::to_string(minutes));
    m_settings.ReloadSwitches();
    Log("Counter safety: DoubleScanMinutes set to %ld", minutes);
}
