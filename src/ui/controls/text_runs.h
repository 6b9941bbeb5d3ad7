// The formatted text of the product pop-up and the message box, as runs: what
// each piece says and how it looks, decided here without any window. Portable.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/scan_result.h"

struct RunColour {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const RunColour& other) const { return r == other.r && g == other.g && b == other.b; }
};

// One piece of rich text. Switches that are false leave the attribute as the
// text control gives it; an empty face or a size of 0 leaves those unchanged.
struct TextRun {
    std::string text;
    RunColour colour;
    bool bold = false, italic = false, underline = false;
    std::string face;  // at most its first 30 characters are used
    int size = 0;      // points; applied as size x 21 twips
};

constexpr const char kDialogFace[] = "Lucida Sans Unicode";

// The colour of a status word, compared without regard to letter case.
RunColour StatusColour(const std::string& statusText);

// "Product <mode name> result".
std::string ProductTitle(const ScanResult& result);

// The pop-up's text for a result scanned at `scanTime` (its first 19
// characters are shown).
std::vector<TextRun> ProductRuns(const ScanResult& result, const std::string& scanTime);

// Appends the pop-up's "What to do" section to its text, when answers are
// explained: after a blank line, the verdict in bold, the meaning and the
// next step.
void AppendWhatToDo(std::vector<TextRun>& runs, const ScanResult& result);

// The message box's text: an optional caption line, then the message.
std::vector<TextRun> MessageRuns(const std::string& text, const std::string& caption);
