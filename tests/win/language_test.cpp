// The chosen language on the real resources: its texts, dialogs and menus
// are used, what it lacks falls back to English, and English is untouched.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/text_catalog.h"
#include "core/settings_store.h"
#include "framework/ui_language.h"
#include "res/resource.h"
#include "support/modal_run.h"
#include "ui/settings/language_dialog.h"

namespace {

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::string CaptionOf(int dialogId)
{
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), UiDialogTemplate(dialogId), nullptr,
                                             &QuietDialog, 0);
    char caption[128] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    DestroyWindow(dialog);
    return caption;
}

std::string FirstMenuEntry(int menuId, int position)
{
    HMENU menu = LoadUiMenu(menuId);
    char entry[128] = "";
    GetMenuStringA(GetSubMenu(menu, 0), position, entry, sizeof entry, MF_BYPOSITION);
    DestroyMenu(menu);
    return entry;
}

class LanguageTest : public ::testing::Test {
protected:
    void TearDown() override { ApplyUiLanguage("en"); }
};

struct Expected {
    const char* code;
    const char* verdict;  // in code page 1252
    const char* safetyCaption;
    const char* showEntry;
};

const Expected kExpected[] = {
    {"en", "Alert: do not supply", "Counter safety", "&Show"},
    {"de", "Alarm: nicht abgeben", "Sicherheit am HV-Tisch", "&Anzeigen"},
    {"fr", "Alerte\xA0: ne pas d\xE9livrer", "S\xE9" "curit\xE9 au comptoir", "&Afficher"},
    {"", "Alert: do not supply", "Counter safety", "&Show"},
    {"xx", "Alert: do not supply", "Counter safety", "&Show"},
};

TEST_F(LanguageTest, TextsDialogsAndMenusComeInTheChosenLanguage)
{
    ASSERT_EQ(GetACP(), 1252u) << "the test prefix runs in code page 1252";
    for (const Expected& expected : kExpected) {
        EXPECT_TRUE(ApplyUiLanguage(expected.code)) << expected.code;
        EXPECT_STREQ(Text(TextId::GuideVerdictAlert), expected.verdict) << expected.code;
        EXPECT_EQ(CaptionOf(IDD_COUNTER_SAFETY), expected.safetyCaption) << expected.code;
        EXPECT_EQ(FirstMenuEntry(IDR_TRAY_MENU, 2), expected.showEntry) << expected.code;
    }
}

TEST_F(LanguageTest, WhatALanguageLacksComesInEnglish)
{
    ASSERT_TRUE(ApplyUiLanguage("de"));
    EXPECT_STREQ(CurrentUiLanguage().code, "de");
    // The scanner test's printable sheet exists in English only.
    EXPECT_NE(FindUiResource(RT_RCDATA, MAKEINTRESOURCEA(IDR_SCANNER_TEST_SHEET)), nullptr);
}

TEST_F(LanguageTest, EveryLanguageFitsCodePage1252)
{
    for (size_t i = 0; i < UiLanguageCount(); ++i)
        EXPECT_TRUE(CodePageShows(UiLanguages()[i])) << UiLanguages()[i].code;
}

TEST_F(LanguageTest, LanguageNamesComeInTheCodePage)
{
    EXPECT_EQ(Utf8ToCodePage(UiLanguageOfCode("fr").nativeName), "Fran\xE7" "ais");
    EXPECT_EQ(Utf8ToCodePage(UiLanguageOfCode("es").nativeName), "Espa\xF1ol");
    EXPECT_STREQ(UiLanguageOfCode("nope").code, "en");
}

void ForgetChosenLanguage()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, "Language");
    RegCloseKey(key);
}

TEST_F(LanguageTest, ChooserSavesTheChoiceForTheNextStartAndChangesNothingNow)
{
    ForgetChosenLanguage();
    CLanguageDialog chooser;
    ModalRun<CLanguageDialog> run(chooser);
    HWND list = GetDlgItem(chooser.GetSafeHwnd(), IDC_LANGUAGE_LIST);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(UiLanguageCount()));
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0) << "English, with no value saved";
    char name[64] = "";
    SendMessageA(list, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ(name, "Fran\xE7" "ais");
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    PostMessageA(chooser.GetSafeHwnd(), WM_COMMAND, IDOK, 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(GetCurrentProcessId(), "next time")) != nullptr; }, 10000));
    PostMessageA(box, WM_COMMAND, IDC_BOX_FIRST, 0);
    EXPECT_EQ(run.Wait(), IDOK);
    EXPECT_EQ(ReadSetting("Language", ""), "fr");
    EXPECT_STREQ(CurrentUiLanguage().code, "en");
    EXPECT_STREQ(Text(TextId::GuideVerdictSupply), "Supply");
    ForgetChosenLanguage();
}

}  // namespace
