// Runs a dialog's modal loop on a thread of its own, so that the test thread
// can drive it; the dialog is cancelled, if still open, at the end.
#pragma once
#include <thread>

#include "support/test_support.h"

template <typename Dialog>
class ModalRun {
public:
    explicit ModalRun(Dialog& dialog) : m_dialog(dialog), m_thread([this] { m_result = m_dialog.DoModal(); })
    {
        // Visible only once its initialisation is over.
        WaitFor([&] { return m_dialog.GetSafeHwnd() && IsWindowVisible(m_dialog.GetSafeHwnd()); }, 10000);
    }
    ~ModalRun()
    {
        if (HWND window = m_dialog.GetSafeHwnd()) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        if (m_thread.joinable()) m_thread.join();
    }
    INT_PTR Wait()
    {
        if (m_thread.joinable()) m_thread.join();
        return m_result;
    }

private:
    Dialog& m_dialog;
    INT_PTR m_result = -2;
    std::thread m_thread;
};

