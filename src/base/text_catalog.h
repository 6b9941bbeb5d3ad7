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

// The translation of the text `number` (ignored when no such text exists).
void SetTranslation(int number, const std::string& text);
// Back to English.
void ClearTranslations();
