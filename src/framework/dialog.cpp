// Modal dialog plumbing: binding the object to its HWND, dispatch, one-shot
// timers and reflection of owner-draw and notify messages to the controls.
#include "framework/dialog.h"

#include <algorithm>

#include "framework/control.h"
#include "framework/ui_language.h"

namespace {

// Marks a modeless dialog whose keys the running dialog loop hands over.
constexpr char kModelessProperty[] = "PellwickModelessDialog";

// The running modal loop passes every message through IsDialogMessage,
// which first offers it to this thread's message filter: a message for a
// marked modeless dialog gets that dialog's keys. The mark is lifted while
// the dialog handles it, as that call offers it to the filter again.
LRESULT CALLBACK RouteToModeless(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* msg = reinterpret_cast<MSG*>(lParam);
    HWND root = code == MSGF_DIALOGBOX && msg && msg->hwnd ? GetAncestor(msg->hwnd, GA_ROOT) : nullptr;
    if (root && RemovePropA(root, kModelessProperty)) {
        BOOL handled = IsDialogMessageA(root, msg);
        SetPropA(root, kModelessProperty, reinterpret_cast<HANDLE>(1));
        if (handled) return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool RouteDialogMessage(MSG& msg)
{
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    // Only dialogs: for any other window IsDialogMessage would swallow its keys.
    if (!root || GetClassLongPtrA(root, GCW_ATOM) != reinterpret_cast<ULONG_PTR>(WC_DIALOG)) return false;
    return IsDialogMessageA(root, &msg);
}

CDialog::CDialog(int templateId, HWND parent) : m_hParent(parent), m_templateId(templateId) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal()
{
    const DLGTEMPLATE* dialog = UiDialogTemplate(m_templateId);
    if (!dialog) return -1;
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialog, m_hParent, &CDialog::StaticDialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

bool CDialog::CreateModeless(HWND owner)
{
    m_hParent = owner;
    const DLGTEMPLATE* dialog = UiDialogTemplate(m_templateId);
    HWND window = dialog ? CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialog, owner,
                                                      &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this))
                         : nullptr;
    if (!window) return false;
    SetPropA(window, kModelessProperty, reinterpret_cast<HANDLE>(1));
    m_keyRoute.Reset(SetWindowsHookExA(WH_MSGFILTER, &RouteToModeless, nullptr, GetCurrentThreadId()));
    return true;
}

void CDialog::EndDialog(INT_PTR result)
{
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

void CDialog::SetOneShotTimer(UINT_PTR id, UINT milliseconds)
{
    if (std::find(m_oneShotTimers.begin(), m_oneShotTimers.end(), id) == m_oneShotTimers.end())
        m_oneShotTimers.push_back(id);
    SetTimer(m_hWnd, id, milliseconds, nullptr);
}

bool CDialog::OnCommand(int id, int, HWND)
{
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(id);
        return true;
    }
    return false;
}

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_TIMER: {
        UINT_PTR id = wParam;
        auto oneShot = std::find(m_oneShotTimers.begin(), m_oneShotTimers.end(), id);
        if (oneShot != m_oneShotTimers.end()) {
            KillTimer(m_hWnd, id);
            m_oneShotTimers.erase(oneShot);
        }
        OnTimer(id);
        return TRUE;
    }
    case WM_DRAWITEM:
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (!ReflectToControl(message, wParam, lParam, result)) return FALSE;
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

bool CDialog::ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    HWND source = message == WM_DRAWITEM ? reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem
                                         : reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
    CControl* control = CControl::FromHandle(source);
    return control && control->OnReflected(message, wParam, lParam, result);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    // The object arrives with WM_INITDIALOG; messages before it (WM_SETFONT)
    // get the default handling.
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = window;
        SetWindowLongPtrA(window, DWLP_USER, lParam);
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog) return FALSE;
    INT_PTR handled = dialog->DialogProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        RemovePropA(window, kModelessProperty);
        dialog->m_keyRoute.Reset();
        dialog->m_hWnd = nullptr;
    }
    return handled;
}

std::string DialogItemText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    std::string text(GetWindowTextLengthA(control) + 1, '\0');
    text.resize(GetWindowTextA(control, &text[0], static_cast<int>(text.size())));
    return text;
}
