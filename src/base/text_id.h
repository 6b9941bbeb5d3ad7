// The ids of every text the program shows, named after res/lang/en_texts.def:
// the same numbers the string tables of every language use. Portable.
#pragma once

enum class TextId : int {
#define TEXT_ENTRY(number, name, text) name = number,
#include "res/lang/en_texts.def"
#undef TEXT_ENTRY
};
