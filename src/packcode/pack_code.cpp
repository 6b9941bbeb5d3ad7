// ReadPackCode: GS1 element strings and ISO/IEC 15434 format 06 messages,
// with the signs of a scanner that dropped or replaced a separator.
#include "packcode/pack_code.h"

#include <algorithm>
#include <cctype>

#include "packcode/pack_code_checks.h"

namespace {

constexpr char kGroupSeparator = '\x1D';
constexpr std::string_view kIso15434Header = "[)>\x1E" "06\x1D";
constexpr std::string_view kIso15434Trailer = "\x1E\x04";
constexpr size_t kMaxVariableLength = 20;
constexpr size_t kMaxReplacedSeparator = 3;  // "[@]" and the like

// The elements a pack code is read for; the first four must all be there.
enum Element { ProductCode, Expiry, Batch, Serial, NationalNumber, ElementCount, NoElement = -1 };
constexpr int kRequiredElements = 4;
const char* const kElementNames[ElementCount] = {"product code", "expiry date", "batch", "serial number",
                                                  "national number"};

std::string& FieldOf(PackCodeReading& reading, Element element)
{
    switch (element) {
    case ProductCode: return reading.gtin;
    case Expiry: return reading.expiry;
    case Batch: return reading.batch;
    case Serial: return reading.serial;
    default: return reading.nationalNumber;
    }
}

void AddFault(PackCodeReading& reading, std::string fault)
{
    if (std::find(reading.faults.begin(), reading.faults.end(), fault) == reading.faults.end())
        reading.faults.push_back(std::move(fault));
}

std::string Sentence(const char* before, Element element, const char* after)
{
    return std::string(before) + kElementNames[element] + after;
}

// What has been read so far, and which elements an earlier pass found.
struct ReadState {
    PackCodeReading& reading;
    bool present[ElementCount] = {};
    bool foundBefore[ElementCount] = {};
    bool productIsPpn = false;
    bool Missing(Element element) const { return !present[element] && !foundBefore[element]; }
};

// Keeps the first of an element that appears twice.
bool Store(ReadState& state, Element element, std::string_view value)
{
    if (element == NoElement) return false;
    if (state.present[element]) {
        AddFault(state.reading, Sentence("The ", element, " appears twice."));
        return false;
    }
    state.present[element] = true;
    FieldOf(state.reading, element).assign(value);
    return true;
}

// ---- GS1 element strings

// An application identifier's length and, for the predefined ones, its
// data's fixed length (0: the data ends at a separator or the end).
struct AiLayout {
    size_t aiLength = 0;
    size_t fixedLength = 0;
};

bool AiLayoutAt(std::string_view data, AiLayout& layout)
{
    if (data.size() < 2 || !IsAllDigits(data.substr(0, 2))) return false;
    int prefix = (data[0] - '0') * 10 + (data[1] - '0');
    if (prefix <= 4) layout = {2, prefix == 0 ? 18u : prefix == 4 ? 16u : 14u};
    else if (prefix >= 11 && prefix <= 19) layout = {2, 6};
    else if (prefix == 20) layout = {2, 2};
    else if (prefix >= 31 && prefix <= 36) layout = {4, 6};
    else if (prefix == 41) layout = {3, 13};
    else if (prefix <= 22 || prefix == 30 || prefix == 37 || prefix >= 90) layout = {2, 0};
    else if (prefix <= 29 || prefix == 40 || prefix == 42 || prefix == 71) layout = {3, 0};
    else layout = {4, 0};
    return data.size() >= layout.aiLength && IsAllDigits(data.substr(0, layout.aiLength));
}

Element Gs1Element(std::string_view ai)
{
    if (ai == "01") return ProductCode;
    if (ai == "17") return Expiry;
    if (ai == "10") return Batch;
    if (ai == "21") return Serial;
    if (ai.size() == 3 && ai[0] == '7' && ai[1] == '1' && ai[2] <= '5') return NationalNumber;
    return NoElement;
}

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// The missing required element whose identifier and data begin `rest`.
Element SwallowedRequiredElementAt(std::string_view rest, const ReadState& state)
{
    if (state.Missing(Expiry) && StartsWith(rest, "17") && rest.size() >= 8 && IsValidExpiry(rest.substr(2, 6))) {
        std::string_view after = rest.substr(8);
        if (after.empty() || (StartsWith(after, "10") && state.Missing(Batch)) ||
            (StartsWith(after, "21") && state.Missing(Serial)))
            return Expiry;
    }
    if (state.Missing(Serial) && StartsWith(rest, "21") && rest.size() > 2) return Serial;
    if (state.Missing(Batch) && StartsWith(rest, "10") && rest.size() > 2) return Batch;
    if (state.Missing(ProductCode) && StartsWith(rest, "01") && rest.size() >= 16 &&
        HasValidGtinCheckDigit(rest.substr(2, 14)))
        return ProductCode;
    return NoElement;
}

// A national number is optional, so its absence proves nothing: only one
// its country would print, running to the end of the value, tells. Where
// that number has no check digit, a value of digits alone may well hold
// such digits itself.
bool IsSwallowedNationalNumber(std::string_view before, std::string_view rest)
{
    if (rest.size() <= 3 || !StartsWith(rest, "71") || !IsKnownNationalNumber(rest[2], rest.substr(3))) return false;
    return NationalNumberHasCheckDigit(rest[2]) || !IsAllDigits(before);
}

// The missing element whose identifier and data begin `rest`, the part of
// the value of `host` after `before` (and any replaced separator), if any:
// the signs that a batch or serial number swallowed the element after it. A
// value never swallows its own element.
Element SwallowedElementAt(std::string_view before, std::string_view rest, Element host, const ReadState& state)
{
    Element found = SwallowedRequiredElementAt(rest, state);
    if (found == NoElement && state.Missing(NationalNumber) && IsSwallowedNationalNumber(before, rest))
        found = NationalNumber;
    return found == host ? NoElement : found;
}

// Where a variable-length value of `host` ends early because it swallowed
// another element: the value is cut at `cut` and reading goes on at `resume`.
struct SwallowedSplit {
    size_t cut = std::string_view::npos;
    size_t resume = 0;
};

SwallowedSplit FindSwallowedElement(std::string_view value, Element host, ReadState& state)
{
    for (size_t i = 1; i < value.size(); ++i) {
        if (IsGs1Character(value[i])) {
            Element swallowed = SwallowedElementAt(value.substr(0, i), value.substr(i), host, state);
            if (swallowed == NoElement) continue;
            AddFault(state.reading, Sentence("The ", host, " runs into the ") + kElementNames[swallowed] +
                                        ": the scanner seems to drop the separator.");
            return {i, i};
        }
        size_t end = i;
        while (end < value.size() && end - i < kMaxReplacedSeparator && !IsGs1Character(value[end])) ++end;
        if (end < value.size() && SwallowedElementAt(value.substr(0, i), value.substr(end), host, state) != NoElement) {
            AddFault(state.reading, "The scanner seems to send \"" + std::string(value.substr(i, end - i)) +
                                        "\" in place of the separator.");
            return {i, end};
        }
    }
    return {};
}

// One pass over the elements; `recover` splits values that swallowed a
// missing element (known only after a first pass).
void ReadGs1Elements(std::string_view data, ReadState& state, bool recover)
{
    size_t pos = 0;
    while (pos < data.size()) {
        if (data[pos] == kGroupSeparator) {
            ++pos;
            continue;
        }
        AiLayout layout;
        if (!AiLayoutAt(data.substr(pos), layout)) {
            if (recover) AddFault(state.reading, "Part of the code is not a GS1 element.");
            return;
        }
        Element element = Gs1Element(data.substr(pos, layout.aiLength));
        pos += layout.aiLength;
        size_t end = layout.fixedLength ? std::min(data.size(), pos + layout.fixedLength)
                                      : std::min(data.find(kGroupSeparator, pos), data.size());
        std::string_view value = data.substr(pos, end - pos);
        size_t next = end;
        if (recover && !layout.fixedLength && element >= Batch) {
            SwallowedSplit split = FindSwallowedElement(value, element, state);
            if (split.cut != std::string_view::npos) {
                value = value.substr(0, split.cut);
                next = pos + split.resume;
            }
        }
        Store(state, element, value);
        pos = next;
    }
}

// ---- ISO/IEC 15434 format 06

void ReadIso15434Fields(std::string_view body, ReadState& state)
{
    size_t trailer = body.find('\x1E');
    if (trailer == std::string_view::npos || body.substr(trailer) != kIso15434Trailer)
        AddFault(state.reading, "The code's end mark is missing or damaged.");
    std::string_view content = body.substr(0, trailer);
    while (!content.empty()) {
        size_t end = std::min(content.find(kGroupSeparator), content.size());
        std::string_view field = content.substr(0, end);
        content.remove_prefix(std::min(end + 1, content.size()));
        if (StartsWith(field, "9N") || StartsWith(field, "8P")) {
            if (Store(state, ProductCode, field.substr(2)) && field[0] == '9') {
                state.reading.ppn.swap(state.reading.gtin);
                state.productIsPpn = true;
            }
        } else if (StartsWith(field, "1T")) {
            Store(state, Batch, field.substr(2));
        } else if (StartsWith(field, "D")) {
            Store(state, Expiry, field.substr(1));
        } else if (StartsWith(field, "S")) {
            Store(state, Serial, field.substr(1));
        }
    }
}

// ---- the checks of the fields read

void CheckPpn(PackCodeReading& reading)
{
    const std::string& ppn = reading.ppn;
    if (ppn.size() != 12 || !StartsWith(ppn, "11") || !IsAllDigits(ppn))
        AddFault(reading, "The PPN is not 11, a PZN and two check digits.");
    else if (!HasValidPpnCheckDigits(ppn))
        AddFault(reading, "The PPN's check digits are wrong.");
    else if (!HasValidPznCheckDigit(std::string_view(ppn).substr(2, 8)))
        AddFault(reading, "The PZN's check digit is wrong.");
}

void CheckGtin(PackCodeReading& reading)
{
    if (reading.gtin.size() != 14 || !IsAllDigits(reading.gtin))
        AddFault(reading, "The product code is not 14 digits.");
    else if (!HasValidGtinCheckDigit(reading.gtin))
        AddFault(reading, "The product code's check digit is wrong.");
}

void CheckText(PackCodeReading& reading, Element element)
{
    const std::string& text = FieldOf(reading, element);
    if (text.empty())
        AddFault(reading, Sentence("The ", element, " is empty."));
    else if (text.size() > kMaxVariableLength)
        AddFault(reading, Sentence("The ", element, " is longer than 20 characters."));
    else if (!std::all_of(text.begin(), text.end(), IsGs1Character))
        AddFault(reading, Sentence("The ", element, " holds a character that a pack code cannot hold."));
}

void CheckFields(ReadState& state)
{
    PackCodeReading& reading = state.reading;
    if (state.present[ProductCode]) state.productIsPpn ? CheckPpn(reading) : CheckGtin(reading);
    if (state.present[Expiry] && !IsValidExpiry(reading.expiry))
        AddFault(reading, "The expiry date is not a valid date.");
    for (Element element : {Batch, Serial, NationalNumber})
        if (state.present[element]) CheckText(reading, element);
    for (int element = 0; element < kRequiredElements; ++element)
        if (!state.present[element]) AddFault(reading, Sentence("The ", Element(element), " is missing."));
}

bool FoundAnyRequired(const ReadState& state)
{
    return std::any_of(state.present, state.present + kRequiredElements, [](bool found) { return found; });
}

// A fresh reading that keeps the identifier already read.
void Restart(PackCodeReading& reading, PackCodeFormat format)
{
    std::string symbologyId = std::move(reading.symbologyId);
    reading = PackCodeReading();
    reading.format = format;
    reading.symbologyId = std::move(symbologyId);
}

void ReadGs1(std::string_view data, PackCodeReading& reading)
{
    if (!data.empty() && data[0] == kGroupSeparator) data.remove_prefix(1);  // a leading FNC1
    ReadState first{reading};
    ReadGs1Elements(data, first, false);
    if (!FoundAnyRequired(first)) {
        Restart(reading, PackCodeFormat::None);
        return;
    }
    Restart(reading, PackCodeFormat::Gs1);
    ReadState second{reading};
    std::copy(first.present, first.present + ElementCount, second.foundBefore);
    ReadGs1Elements(data, second, true);
    CheckFields(second);
}

}  // namespace

PackCodeReading ReadPackCode(std::string_view scan)
{
    PackCodeReading reading;
    while (!scan.empty() && (scan.back() == '\r' || scan.back() == '\n')) scan.remove_suffix(1);
    if (scan.size() >= 3 && scan[0] == ']' && std::isalpha(static_cast<unsigned char>(scan[1])) &&
        std::isdigit(static_cast<unsigned char>(scan[2]))) {
        reading.symbologyId.assign(scan.substr(0, 3));
        scan.remove_prefix(3);
    }
    if (StartsWith(scan, kIso15434Header)) {
        reading.format = PackCodeFormat::Iso15434;
        ReadState state{reading};
        ReadIso15434Fields(scan.substr(kIso15434Header.size()), state);
        CheckFields(state);
        return reading;
    }
    if (scan.size() == 13 && IsAllDigits(scan)) {
        AddFault(reading, "This is the pack's linear barcode: scan the square 2D code.");
        return reading;
    }
    ReadGs1(scan, reading);
    if (reading.format == PackCodeFormat::None) AddFault(reading, "This is not a medicine pack's code.");
    return reading;
}
