// The operating modes: the switch, the mode banner, the buttons' highlight and
// the window's pinning (on top in Verify and Recommission).
#include <richedit.h>

#include "base/text_catalog.h"
#include "core/log.h"
#include "core/scan_result_post.h"
#include "res/resource.h"
#include "ui/main/main_dialog.h"

namespace {

TextId BannerText(int32_t mode)
{
    switch (mode) {
    case Verify: return TextId::BannerVerify;
    case Recommission: return TextId::BannerRecommission;
    default: return TextId::BannerDecommission;
    }
}

}  // namespace

void CMainDialog::SetVerifyMode() { SwitchMode(Verify, false); }

void CMainDialog::SetRecommissionMode() { SwitchMode(Recommission, false); }

void CMainDialog::SetDecommissionMode(bool force) { SwitchMode(Decommission, force); }

void CMainDialog::SwitchMode(int32_t mode, bool force)
{
    if (m_mode == mode && !force) return;
    m_mode = mode;
    for (CColorButton* button : {&m_decommissionButton, &m_verifyButton, &m_recommissionButton}) button->Unhighlight();
    const char* banner = Text(BannerText(mode));
    AddLogRow("%s", banner);
    Log("%s", EnglishText(BannerText(mode)));
    ShowModeBanner(banner);
    ModeButton(mode).Highlight(200, 230, 200);
    if (mode == Decommission)
        UnpinFromTop();
    else
        PinOnTop();
}

CColorButton& CMainDialog::ModeButton(int32_t mode)
{
    switch (mode) {
    case Verify: return m_verifyButton;
    case Recommission: return m_recommissionButton;
    default: return m_decommissionButton;
    }
}

void CMainDialog::ShowModeBanner(const std::string& text)
{
    HWND banner = GetDlgItem(m_hWnd, IDC_MODE_BANNER);
    std::string line = text + "\n";
    SendMessageA(banner, EM_SETSEL, 0, -1);
    SendMessageA(banner, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(banner, EM_SETSEL, 0, -1);
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_UNDERLINE | CFM_COLOR;
    lstrcpynA(format.szFaceName, "Lucida Sans Unicode", LF_FACESIZE);
    format.yHeight = 400;
    format.dwEffects = CFE_BOLD | CFE_UNDERLINE;
    format.crTextColor = RGB(0, 130, 0);
    SendMessageA(banner, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    InvalidateRect(banner, nullptr, TRUE);
    UpdateWindow(banner);
}
