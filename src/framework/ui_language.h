// The language the windows speak: chosen once at start from the registry
// value "Language", its string table laid over the English texts, and its
// dialogs and menus looked up before the English ones.
#pragma once
#include <windows.h>

#include <string>

struct UiLanguage {
    const char* code;        // the registry value: "en", "de", ...
    LANGID id;               // its LANGUAGE blocks in the resources
    const char* nativeName;  // its own name, in UTF-8
};

// The six languages, English first.
const UiLanguage* UiLanguages();
size_t UiLanguageCount();
// The language of a registry value; English for anything unknown.
const UiLanguage& UiLanguageOfCode(const std::string& code);

// Makes `code` the language of this process: its texts replace the English
// ones and its dialogs and menus are used. False, and English stays, when the
// system's code page cannot show all its characters.
bool ApplyUiLanguage(const std::string& code);
// The language applied (English until ApplyUiLanguage succeeds).
const UiLanguage& CurrentUiLanguage();
// True when every text of `language` can be shown in the system's code page.
bool CodePageShows(const UiLanguage& language);

// The resource `name` of `type` in the current language, else in English.
HRSRC FindUiResource(LPCSTR type, LPCSTR name);
// The dialog template and menu of the current language.
const DLGTEMPLATE* UiDialogTemplate(int dialogId);
HMENU LoadUiMenu(int menuId);
// `utf8` in the system's code page (names of the languages).
std::string Utf8ToCodePage(const std::string& utf8);
