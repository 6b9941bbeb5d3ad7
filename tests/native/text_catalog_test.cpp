// Every language's texts against the English ones: the same ids in the same
// order, the same printf conversions and access keys, characters code page
// 1252 can show; and the catalog's fallback to English.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_catalog.h"

namespace {

struct Line {
    int number;
    const char* name;
    const char* text;
};

#define TEXT_ENTRY(number, name, text) {number, #name, text},
const Line kGerman[] = {
#include "res/lang/de_texts.def"
};
const Line kFrench[] = {
#include "res/lang/fr_texts.def"
};
const Line kDutch[] = {
#include "res/lang/nl_texts.def"
};
const Line kItalian[] = {
#include "res/lang/it_texts.def"
};
const Line kSpanish[] = {
#include "res/lang/es_texts.def"
};
#undef TEXT_ENTRY

struct Language {
    const char* code;
    const Line* lines;
    size_t count;
};

const Language kLanguages[] = {
    {"de", kGerman, sizeof kGerman / sizeof kGerman[0]},
    {"fr", kFrench, sizeof kFrench / sizeof kFrench[0]},
    {"nl", kDutch, sizeof kDutch / sizeof kDutch[0]},
    {"it", kItalian, sizeof kItalian / sizeof kItalian[0]},
    {"es", kSpanish, sizeof kSpanish / sizeof kSpanish[0]},
};

// The printf conversions of a format, in order ("%%" is none).
std::vector<std::string> Conversions(const std::string& text)
{
    std::vector<std::string> found;
    for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at)) {
        size_t end = text.find_first_of("diouxXeEfgGcspn%", at + 1);
        if (end == std::string::npos) end = text.size() - 1;
        if (text[end] != '%') found.push_back(text.substr(at, end - at + 1));
        at = end + 1;
    }
    return found;
}

// Access keys: an '&' not doubled.
int AccessKeys(const std::string& text)
{
    int keys = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '&') continue;
        if (at + 1 < text.size() && text[at + 1] == '&') ++at;
        else ++keys;
    }
    return keys;
}

// The characters of code page 1252 above Latin-1's control range.
const char32_t kCp1252Extras[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
                                  0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                  0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};

// The first character that is not UTF-8 or that code page 1252 has no form
// for; 0 when all are shown.
char32_t FirstUnshown(const std::string& text)
{
    for (size_t at = 0; at < text.size();) {
        auto lead = static_cast<unsigned char>(text[at]);
        int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || at + length > text.size()) return 0xFFFD;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int i = 1; i < length; ++i) code = (code << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
        at += length;
        bool shown = (code >= 0x20 && code < 0x7F) || code == '\r' || code == '\n' || (code >= 0xA0 && code <= 0xFF);
        for (char32_t extra : kCp1252Extras) shown = shown || code == extra;
        if (!shown) return code;
    }
    return 0;
}

TEST(TextCatalog, EveryLanguageHasEveryTextUnderTheSameIdAndName)
{
    for (const Language& language : kLanguages) {
        ASSERT_EQ(language.count, EnglishTextCount()) << language.code;
        for (size_t i = 0; i < language.count; ++i) {
            const EnglishLine& english = EnglishTexts()[i];
            EXPECT_EQ(language.lines[i].number, english.number) << language.code << " line " << i;
            EXPECT_STREQ(language.lines[i].name, english.name) << language.code << " line " << i;
        }
    }
}

TEST(TextCatalog, TranslationsKeepConversionsAndAccessKeys)
{
    for (const Language& language : kLanguages) {
        for (size_t i = 0; i < language.count && i < EnglishTextCount(); ++i) {
            const std::string english = EnglishTexts()[i].text;
            const std::string text = language.lines[i].text;
            EXPECT_FALSE(text.empty()) << language.code << " " << language.lines[i].name;
            EXPECT_EQ(Conversions(text), Conversions(english)) << language.code << " " << language.lines[i].name;
            EXPECT_EQ(AccessKeys(text), AccessKeys(english)) << language.code << " " << language.lines[i].name;
        }
    }
}

TEST(TextCatalog, TranslationsUseOnlyCharactersOfCodePage1252)
{
    for (const Language& language : kLanguages)
        for (size_t i = 0; i < language.count; ++i)
            EXPECT_EQ(FirstUnshown(language.lines[i].text), 0u) << language.code << " " << language.lines[i].name;
}

TEST(TextCatalog, ConversionsAreFoundInOrder)
{
    EXPECT_EQ(Conversions("on %s at %s, 100%% of %lu"), (std::vector<std::string>{"%s", "%s", "%lu"}));
    EXPECT_EQ(AccessKeys("&Save && close"), 1);
    EXPECT_EQ(FirstUnshown("caf\xC3\xA9 \xE2\x80\x9E" "x\xE2\x80\x9C"), 0u);
    EXPECT_EQ(FirstUnshown("\xC5\x82"), 0x142u);  // Polish l with stroke
}

TEST(TextCatalog, TranslationReplacesOnlyItsTextAndClearsBackToEnglish)
{
    SetTranslation(static_cast<int>(TextId::GuideVerdictSupply), "Abgeben");
    SetTranslation(1, "no such text");
    EXPECT_STREQ(Text(TextId::GuideVerdictSupply), "Abgeben");
    EXPECT_STREQ(Text(TextId::GuideVerdictDoNotSupply), "Do not supply");
    ClearTranslations();
    EXPECT_STREQ(Text(TextId::GuideVerdictSupply), "Supply");
    EXPECT_STREQ(Text(static_cast<TextId>(1)), "");
}

// Texts the program keeps in English come back translated, piece by piece;
// the service's words and anything unknown stay as they are.
TEST(TextCatalog, StoredEnglishTextsAreShownInTheChosenLanguage)
{
    const std::pair<TextId, const char*> translations[] = {
        {TextId::PackElementBatch, "Charge"},
        {TextId::PackAppearsTwice, "Feld %s doppelt."},
        {TextId::PackProductCheck, "Pruefziffer falsch."},
        {TextId::PackRunsInto, "%s laeuft in %s."},
        {TextId::ScanCheckRow, "Pruefung: %s"},
        {TextId::ScanCheckExpired, "Pruefung: verfallen am %s"},
        {TextId::StoredExpiredOn, "Verfallen am %s."},
        {TextId::StoredRequestFailed, "Anfrage gescheitert: %s"},
        {TextId::ScannerTestAdded, "%s hinzugefuegt"},
    };
    for (const auto& [id, text] : translations) SetTranslation(static_cast<int>(id), text);
    const struct {
        const char* english;
        const char* shown;
    } cases[] = {
        {"The batch appears twice.", "Feld Charge doppelt."},
        {"Scan check: The batch appears twice.", "Pruefung: Feld Charge doppelt."},
        {"Scan check: this pack expired on 2019-02-28", "Pruefung: verfallen am 2019-02-28"},
        {"The batch runs into the serial number: the scanner seems to drop the separator.",
         "Charge laeuft in serial number."},
        {"The pack expired on 2019-06-30. The product code's check digit is wrong.",
         "Verfallen am 2019-06-30. Pruefziffer falsch."},
        {"The batch appears twice.\nThe product code's check digit is wrong.",
         "Feld Charge doppelt.\nPruefziffer falsch."},
        {"Request failed due to CURLE_COULDNT_CONNECT", "Anfrage gescheitert: CURLE_COULDNT_CONNECT"},
        {"NMVS_NC_PCK_22 Pack already inactive", "NMVS_NC_PCK_22 Pack already inactive"},
        {"The batch appears twice. The service said so.", "The batch appears twice. The service said so."},
        {"The batch appears", "The batch appears"},
        {"\"x\" added", "\"x\" added"},  // the scanner test's own words are not the worker's
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ShownText(c.english), c.shown) << c.english;
    EXPECT_EQ(ShownTextIn("\"x\" added", kScannerTestFirst, kScannerTestLast), "\"x\" hinzugefuegt");
    ClearTranslations();
    EXPECT_EQ(ShownText("The batch appears twice."), "The batch appears twice.") << "English stays as stored";
}

}  // namespace
