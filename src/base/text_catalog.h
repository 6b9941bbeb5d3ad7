// The texts the program shows, by id: English compiled in, and a translation
// laid over it at start by the Windows side (from the chosen language's string
// table). A text without a translation stays English. Portable.
#pragma once
#include <cstddef>
#include <string>

#include "base/text_id.h"

// The text of `id` in the chosen language, else in English. Stays valid until
// the translations change (they are set once, at start, before any thread).
const char* Text(TextId id);
// The English text of `id`, for the trace log (which stays English).
const char* EnglishText(TextId id);

struct EnglishLine {
    int number;
    const char* name;
    const char* text;
};
// Every English text, in the order of en_texts.def.
const EnglishLine* EnglishTexts();
size_t EnglishTextCount();

// A text the program writes in English into rows, files and the history
// (a row's heading, a pack code's finding, a case's event), in the chosen
// language: a text numbered from `first` to `last` that equals it, or whose
// "%s" parts it fills (each filled part shown so in turn), or such texts
// joined by a line break, ". " or ", ". Anything else, the service's own
// words among it, comes back unchanged; so does everything in English.
std::string ShownTextIn(const std::string& english, int first, int last);
// The texts the worker and the history keep in English.
constexpr int kStoredTextFirst = 6300, kStoredTextLast = 6349;
// The scanner test's findings, which only its window shows.
constexpr int kScannerTestFirst = 6350, kScannerTestLast = 6399;
inline std::string ShownText(const std::string& english)
{
    return ShownTextIn(english, kStoredTextFirst, kStoredTextLast);
}

// "label: value" as the language writes it (French puts a no-break space
// before the colon).
std::string Labelled(const std::string& label, const std::string& value);

// The translation of the text `number` (ignored when no such text exists).
void SetTranslation(int number, const std::string& text);
// Back to English.
void ClearTranslations();
