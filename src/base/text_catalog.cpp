// The English texts compiled in, and the translations laid over them.
#include "base/text_catalog.h"

#include <map>

namespace {

const EnglishLine kEnglish[] = {
#define TEXT_ENTRY(number, name, text) {number, #name, text},
#include "res/lang/en_texts.def"
#undef TEXT_ENTRY
};

// Set at start, before any other thread reads them.
std::map<int, std::string>& Translations()
{
    static std::map<int, std::string> translations;
    return translations;
}

const char* English(int number)
{
    static const std::map<int, const char*> byNumber = [] {
        std::map<int, const char*> texts;
        for (const EnglishLine& entry : kEnglish) texts.emplace(entry.number, entry.text);
        return texts;
    }();
    auto found = byNumber.find(number);
    return found == byNumber.end() ? nullptr : found->second;
}

}  // namespace

const char* Text(TextId id)
{
    int number = static_cast<int>(id);
    auto translated = Translations().find(number);
    if (translated != Translations().end()) return translated->second.c_str();
    const char* english = English(number);
    return english ? english : "";
}

const char* EnglishText(TextId id)
{
    const char* english = English(static_cast<int>(id));
    return english ? english : "";
}

const EnglishLine* EnglishTexts() { return kEnglish; }

size_t EnglishTextCount() { return sizeof kEnglish / sizeof kEnglish[0]; }

void SetTranslation(int number, const std::string& text)
{
    if (English(number)) Translations()[number] = text;
}

void ClearTranslations() { Translations().clear(); }
