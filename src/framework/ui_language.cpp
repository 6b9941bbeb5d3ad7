// Finds a language's string table, dialogs and menus in the program's
// resources by LANGID (never by the thread's UI language: Wine picks that by
// locale), and converts its texts to the system's code page.
#include "framework/ui_language.h"

#include <vector>

#include "base/text_catalog.h"

namespace {

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

const UiLanguage kLanguages[] = {
    {"en", kEnglish, "English"},
    {"de", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), "Deutsch"},
    {"fr", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), "Fran\xC3\xA7" "ais"},
    {"nl", MAKELANGID(LANG_DUTCH, SUBLANG_DUTCH), "Nederlands"},
    {"it", MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN), "Italiano"},
    {"es", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), "Espa\xC3\xB1ol"},
};

const UiLanguage* g_current = &kLanguages[0];

HMODULE Program() { return GetModuleHandleA(nullptr); }

// A string table holds its texts in blocks of 16, each a counted UTF-16 text.
std::wstring StringOf(LANGID language, int number)
{
    HRSRC found = FindResourceExA(Program(), RT_STRING, MAKEINTRESOURCEA(number / 16 + 1), language);
    HGLOBAL loaded = found ? LoadResource(Program(), found) : nullptr;
    auto* cursor = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (!cursor) return {};
    for (int index = 0; index < number % 16; ++index) cursor += 1 + *cursor;
    return std::wstring(cursor + 1, *cursor);
}

// False when a character has no form in the code page.
bool ToCodePage(const std::wstring& wide, std::string& text)
{
    text.clear();
    if (wide.empty()) return true;
    BOOL lossy = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                   nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return false;
    text.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
    return true;
}

struct Translation {
    int number;
    std::string text;
};

// The language's texts in the code page; false when one cannot be shown.
bool ReadTranslations(const UiLanguage& language, std::vector<Translation>& texts)
{
    for (size_t index = 0; index < EnglishTextCount(); ++index) {
        int number = EnglishTexts()[index].number;
        std::wstring wide = StringOf(language.id, number);
        if (wide.empty()) continue;  // missing: the English text stays
        std::string text;
        if (!ToCodePage(wide, text)) return false;
        texts.push_back({number, text});
    }
    return true;
}

}  // namespace

const UiLanguage* UiLanguages() { return kLanguages; }

size_t UiLanguageCount() { return sizeof kLanguages / sizeof kLanguages[0]; }

const UiLanguage& UiLanguageOfCode(const std::string& code)
{
    for (const UiLanguage& language : kLanguages)
        if (code == language.code) return language;
    return kLanguages[0];
}

bool CodePageShows(const UiLanguage& language)
{
    std::vector<Translation> texts;
    return ReadTranslations(language, texts);
}

bool ApplyUiLanguage(const std::string& code)
{
    const UiLanguage& language = UiLanguageOfCode(code);
    std::vector<Translation> texts;
    ClearTranslations();
    g_current = &kLanguages[0];
    if (language.id == kEnglish) return true;
    if (!ReadTranslations(language, texts)) return false;
    for (const Translation& text : texts) SetTranslation(text.number, text.text);
    g_current = &language;
    return true;
}

const UiLanguage& CurrentUiLanguage() { return *g_current; }

HRSRC FindUiResource(LPCSTR type, LPCSTR name)
{
    HRSRC found = FindResourceExA(Program(), type, name, g_current->id);
    if (!found) found = FindResourceExA(Program(), type, name, kEnglish);
    // Resources of tests and tools may carry another language.
    if (!found) found = FindResourceA(Program(), name, type);
    return found;
}

const DLGTEMPLATE* UiDialogTemplate(int dialogId)
{
    HRSRC found = FindUiResource(RT_DIALOG, MAKEINTRESOURCEA(dialogId));
    HGLOBAL loaded = found ? LoadResource(Program(), found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

HMENU LoadUiMenu(int menuId)
{
    HRSRC found = FindUiResource(RT_MENU, MAKEINTRESOURCEA(menuId));
    HGLOBAL loaded = found ? LoadResource(Program(), found) : nullptr;
    const void* menu = loaded ? LockResource(loaded) : nullptr;
    return menu ? LoadMenuIndirectA(menu) : nullptr;
}

std::string Utf8ToCodePage(const std::string& utf8)
{
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    std::string text;
    ToCodePage(wide, text);
    return text;
}
