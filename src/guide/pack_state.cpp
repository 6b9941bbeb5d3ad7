// Reading a pack's state from a Verify's answer.
#include "guide/pack_state.h"

#include <cctype>
#include <cstring>

namespace {

struct StateWord {
    PackState state;
    const char* word;
};

// Longer words first where one begins another ("Free sample" before "Sample").
const StateWord kStateWords[] = {
    {PackState::Active, "Active"},         {PackState::Supplied, "Supplied"},
    {PackState::Exported, "Exported"},     {PackState::CheckedOut, "Checked-out"},
    {PackState::FreeSample, "Free sample"}, {PackState::Sample, "Sample"},
    {PackState::Locked, "Locked"},         {PackState::Destroyed, "Destroyed"},
    {PackState::Stolen, "Stolen"},         {PackState::Recalled, "Recalled"},
    {PackState::Withdrawn, "Withdrawn"},   {PackState::Expired, "Expired"},
};

bool SameLetters(const std::string& text, size_t at, const char* word)
{
    size_t length = std::strlen(word);
    if (at + length > text.size()) return false;
    for (size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != std::tolower(static_cast<unsigned char>(word[i])))
            return false;
    // A whole word: "Suppliedx" is not "Supplied".
    return at + length == text.size() || !std::isalnum(static_cast<unsigned char>(text[at + length]));
}

// The state word that begins at `at`, after blanks and an opening bracket.
PackState StateWordAt(const std::string& text, size_t at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '(' || text[at] == ':')) ++at;
    for (const StateWord& entry : kStateWords)
        if (SameLetters(text, at, entry.word)) return entry.state;
    return PackState::Unknown;
}

// The state named right after "inactive", "inactive ... as" or
// "decommissioned as" in one text.
PackState InactiveStateIn(const std::string& text)
{
    for (size_t at = 0; at < text.size(); ++at) {
        if (!SameLetters(text, at, "inactive") || (at > 0 && std::isalnum(static_cast<unsigned char>(text[at - 1]))))
            continue;
        size_t after = at + std::strlen("inactive");
        PackState state = StateWordAt(text, after);
        if (state != PackState::Unknown && state != PackState::Active) return state;
        // "... inactive: decommissioned as Supplied" and the like: the first
        // " as " within the sentence.
        size_t end = text.find('.', after);
        size_t as = text.find(" as ", after);
        if (as != std::string::npos && (end == std::string::npos || as < end)) {
            state = StateWordAt(text, as + 4);
            if (state != PackState::Unknown && state != PackState::Active) return state;
        }
    }
    // "... has been decommissioned as Destroyed."
    const char phrase[] = "decommissioned as ";
    for (size_t at = 0; at + sizeof phrase - 1 <= text.size(); ++at) {
        if (!SameLetters(text, at, "decommissioned") || text.compare(at + 14, 4, " as ") != 0) continue;
        PackState state = StateWordAt(text, at + sizeof phrase - 1);
        if (state != PackState::Unknown && state != PackState::Active) return state;
    }
    return PackState::Unknown;
}

std::string CodeAtStart(const std::string& text)
{
    size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos || text.compare(start, 5, "NMVS_") != 0) return std::string();
    size_t end = start;
    while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) ++end;
    return text.substr(start, end - start);
}

}  // namespace

std::string NationalCodeIn(const std::string& heading, const std::string& body)
{
    std::string code = CodeAtStart(heading);
    return code.empty() ? CodeAtStart(body) : code;
}

PackState PackStateOfVerify(const std::string& status, const std::string& heading, const std::string& body)
{
    if (status == "1") return PackState::Active;
    PackState state = InactiveStateIn(heading);
    return state != PackState::Unknown ? state : InactiveStateIn(body);
}

const char* PackStateWord(PackState state)
{
    for (const StateWord& entry : kStateWords)
        if (entry.state == state) return entry.word;
    return "Unknown";
}
