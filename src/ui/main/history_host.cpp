// The main window's side of the History window: one at a time, owned by the
// main window, reading AppFolder\History\history.db.
#include "core/log.h"
#include "core/program_context.h"
#include "ui/main/main_dialog.h"

void CMainDialog::ShowHistory()
{
    if (m_historyWindow && m_historyWindow->Handle()) {
        HWND open = m_historyWindow->Handle();
        if (IsIconic(open)) ShowWindow(open, SW_RESTORE);
        SetForegroundWindow(open);
        return;
    }
    ProgramContext* program = ProgramContext::Current();
    m_historyWindow = std::make_unique<CHistoryWindow>((program ? program->AppFolder : std::string()) +
                                                       "\\History\\history.db");
    if (!m_historyWindow->Open(m_hWnd)) {
        Warning("Unable to open the History window");
        m_historyWindow.reset();
        return;
    }
    ShowWindow(m_historyWindow->Handle(), SW_SHOW);
    SetForegroundWindow(m_historyWindow->Handle());
}
