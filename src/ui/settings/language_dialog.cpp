// The language chooser: a list of the languages, the choice saved as is.
#include "ui/settings/language_dialog.h"

#include "base/string_format.h"
#include "base/text_catalog.h"
#include "core/log.h"
#include "core/settings_store.h"
#include "framework/ui_language.h"
#include "res/resource.h"
#include "ui/controls/message_box.h"

CLanguageDialog::CLanguageDialog() : CSheetDialog(IDD_LANGUAGE) {}

BOOL CLanguageDialog::OnInitDialog()
{
    HWND list = GetDlgItem(m_hWnd, IDC_LANGUAGE_LIST);
    const UiLanguage& saved = UiLanguageOfCode(ReadSetting("Language", "en"));
    for (size_t i = 0; i < UiLanguageCount(); ++i) {
        const UiLanguage& language = UiLanguages()[i];
        std::string name = Utf8ToCodePage(language.nativeName);
        if (name.empty()) name = language.code;  // a name this code page cannot show
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        if (&language == &saved) SendMessageA(list, LB_SETCURSEL, i, 0);
    }
    SetFocus(list);
    return FALSE;
}

bool CLanguageDialog::OnCommand(int id, int notifyCode, HWND control)
{
    if (id == IDOK || (id == IDC_LANGUAGE_LIST && notifyCode == LBN_DBLCLK)) {
        Choose();
        return true;
    }
    return CSheetDialog::OnCommand(id, notifyCode, control);
}

void CLanguageDialog::Choose()
{
    LRESULT chosen = SendDlgItemMessageA(m_hWnd, IDC_LANGUAGE_LIST, LB_GETCURSEL, 0, 0);
    if (chosen < 0 || static_cast<size_t>(chosen) >= UiLanguageCount()) return;
    const UiLanguage& language = UiLanguages()[chosen];
    if (!CodePageShows(language)) {
        Log("Language %s refused: code page %u cannot show it", language.code, GetACP());
        SetDlgItemTextA(m_hWnd, IDC_LANGUAGE_NOTE, StringPrintf(Text(TextId::LanguageCodePage), GetACP()).c_str());
        return;
    }
    SaveSetting("Language", language.code);
    Log("Language %s chosen: it applies at the next start", language.code);
    ShowOwnedMessageBox(m_hWnd, Text(TextId::LanguageSaved), "", MessageBoxButtons::Ok);
    EndDialog(IDOK);
}
