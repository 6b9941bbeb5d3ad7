// The English texts compiled in, and the translations laid over them.
#include "base/text_catalog.h"

#include <map>
#include <optional>
#include <vector>

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

// The pieces of a text between its "%s" marks.
std::vector<std::string> Pieces(const std::string& text)
{
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t at; (at = text.find("%s", from)) != std::string::npos; from = at + 2)
        pieces.push_back(text.substr(from, at - from));
    pieces.push_back(text.substr(from));
    return pieces;
}

// A filled part is a word, a date, a name or one sentence: never two
// sentences or lines, which are joined texts of their own.
bool OnePart(const std::string& part)
{
    return !part.empty() && part.find('\n') == std::string::npos && part.find(". ") == std::string::npos;
}

// Matches `text` from `at` on: a part, then pieces[i], and so on to the last
// piece, which ends the text; each part the shortest that lets the rest match.
bool MatchFrom(const std::vector<std::string>& pieces, size_t i, const std::string& text, size_t at,
               std::vector<std::string>& parts)
{
    const std::string& piece = pieces[i];
    if (i + 1 == pieces.size()) {
        if (text.size() < at + 1 + piece.size() || text.compare(text.size() - piece.size(), piece.size(), piece) != 0)
            return false;
        std::string part = text.substr(at, text.size() - piece.size() - at);
        if (!OnePart(part)) return false;
        parts.push_back(part);
        return true;
    }
    for (size_t end = text.find(piece, at + 1); end != std::string::npos; end = text.find(piece, end + 1)) {
        if (!OnePart(text.substr(at, end - at))) break;  // longer parts only hold more
        parts.push_back(text.substr(at, end - at));
        if (MatchFrom(pieces, i + 1, text, end + piece.size(), parts)) return true;
        parts.pop_back();
    }
    return false;
}

// The parts `text` fills into the marks of `format`; none when it does not match.
std::optional<std::vector<std::string>> PartsOf(const std::string& text, const std::string& format)
{
    std::vector<std::string> pieces = Pieces(format), parts;
    if (text.compare(0, pieces[0].size(), pieces[0]) != 0) return std::nullopt;
    if (pieces.size() == 1) return text.size() == pieces[0].size() ? std::optional(parts) : std::nullopt;
    if (MatchFrom(pieces, 1, text, pieces[0].size(), parts)) return parts;
    return std::nullopt;
}

std::string Filled(const std::string& format, const std::vector<std::string>& parts)
{
    std::vector<std::string> pieces = Pieces(format);
    std::string text = pieces[0];
    for (size_t i = 1; i < pieces.size(); ++i) text += (i - 1 < parts.size() ? parts[i - 1] : "") + pieces[i];
    return text;
}

// One text of the range, exact or with its parts filled; of several that
// match, the one with the most words of its own ("Scan check: this pack
// expired on %s" before "Scan check: %s").
std::optional<std::string> OneText(const std::string& english, int first, int last)
{
    const EnglishLine* best = nullptr;
    std::vector<std::string> bestParts;
    size_t bestLength = 0;
    for (const EnglishLine& line : kEnglish) {
        if (line.number < first || line.number > last) continue;
        std::optional<std::vector<std::string>> parts = PartsOf(english, line.text);
        size_t length = std::char_traits<char>::length(line.text) - 2 * (parts ? parts->size() : 0);
        if (!parts || (best && length <= bestLength)) continue;
        best = &line;
        bestParts = std::move(*parts);
        bestLength = length;
    }
    if (!best) return std::nullopt;
    for (std::string& part : bestParts) part = ShownTextIn(part, first, last);
    return Filled(Text(static_cast<TextId>(best->number)), bestParts);
}

std::optional<std::string> Shown(const std::string& english, int first, int last)
{
    if (std::optional<std::string> one = OneText(english, first, last)) return one;
    // Joined texts: the first must be one text, the rest may be joined again.
    for (const char* joint : {"\n", ". ", ", "}) {
        size_t keep = joint[0] == '.' ? 1 : 0, skip = std::char_traits<char>::length(joint);
        for (size_t at = english.find(joint); at != std::string::npos; at = english.find(joint, at + 1)) {
            std::optional<std::string> head = OneText(english.substr(0, at + keep), first, last);
            if (!head) continue;
            if (std::optional<std::string> tail = Shown(english.substr(at + skip), first, last))
                return *head + english.substr(at + keep, skip - keep) + *tail;
        }
    }
    return std::nullopt;
}

}  // namespace

std::string ShownTextIn(const std::string& english, int first, int last)
{
    if (Translations().empty() || english.empty()) return english;
    return Shown(english, first, last).value_or(english);
}

std::string Labelled(const std::string& label, const std::string& value)
{
    return Filled(Text(TextId::LabelAndValue), {label, value});
}

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
