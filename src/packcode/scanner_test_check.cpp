// The scanner test's comparison: the scan is aligned with the expected code
// (free text before and after it, each change priced by how telling it is),
// and the changes along the alignment are named by their cause.
#include "packcode/scanner_test_check.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

#include "packcode/pack_code.h"
#include "packcode/scanner_test_codes.h"

namespace {

constexpr char kGs1Name[] = "GS1 code";
constexpr char kPpnName[] = "PPN code";
constexpr char kLineEnding[] = "\r\n";
constexpr char kSendControls[] = "set the scanner to send control characters (GS, RS, EOT) as they are.";

// Prices of the alignment: a known cause is cheaper than an unexplained change.
constexpr int kSeparatorCost = 1;
constexpr int kSwapCost = 1;
constexpr int kChangeCost = 2;
constexpr int kGapCost = 3;

bool IsSeparator(char c) { return static_cast<unsigned char>(c) < 0x20; }
char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsLower(char c) { return std::islower(static_cast<unsigned char>(c)) != 0; }
bool CaseDiffers(char want, char got) { return IsLetter(want) && IsLetter(got) && IsLower(want) != IsLower(got); }
bool IsYZSwap(char want, char got)
{
    return (Lower(want) == 'y' && Lower(got) == 'z') || (Lower(want) == 'z' && Lower(got) == 'y');
}

int ChangeCost(char want, char got)
{
    if (want == got) return 0;
    if (IsSeparator(want)) return kSeparatorCost;
    if (Lower(want) == Lower(got) || IsYZSwap(want, got)) return kSwapCost;
    return kChangeCost;
}

int MissingCost(char want) { return IsSeparator(want) ? kSeparatorCost : kGapCost; }

enum class Step { Same, Changed, Missing, Added };

struct Alignment {
    int cost = 0;
    size_t start = 0, end = 0;  // the part of the scan aligned with the code
    struct Pair {
        Step step;
        char want, got;
    };
    std::vector<Pair> pairs;
};

// Semi-global alignment: the whole code against any stretch of the scan.
Alignment Align(std::string_view scan, std::string_view code)
{
    const size_t n = code.size(), m = scan.size();
    std::vector<std::vector<int>> cost(n + 1, std::vector<int>(m + 1, 0));
    for (size_t i = 1; i <= n; ++i) {
        cost[i][0] = cost[i - 1][0] + MissingCost(code[i - 1]);
        for (size_t j = 1; j <= m; ++j)
            cost[i][j] = std::min({cost[i - 1][j - 1] + ChangeCost(code[i - 1], scan[j - 1]),
                                   cost[i - 1][j] + MissingCost(code[i - 1]), cost[i][j - 1] + kGapCost});
    }
    Alignment best;
    best.end = 0;
    for (size_t j = 1; j <= m; ++j)
        if (cost[n][j] < cost[n][best.end]) best.end = j;
    best.cost = cost[n][best.end];
    size_t i = n, j = best.end;
    while (i > 0) {
        if (j > 0 && cost[i][j] == cost[i - 1][j - 1] + ChangeCost(code[i - 1], scan[j - 1])) {
            char want = code[i - 1], got = scan[j - 1];
            best.pairs.push_back({want == got ? Step::Same : Step::Changed, want, got});
            --i, --j;
        } else if (cost[i][j] == cost[i - 1][j] + MissingCost(code[i - 1])) {
            best.pairs.push_back({Step::Missing, code[i - 1], 0});
            --i;
        } else {
            best.pairs.push_back({Step::Added, 0, scan[j - 1]});
            --j;
        }
    }
    best.start = j;
    std::reverse(best.pairs.begin(), best.pairs.end());
    return best;
}

std::string Quoted(std::string_view text) { return "\"" + ShowControlCharacters(text) + "\""; }

bool IsSymbologyId(std::string_view text)
{
    return text.size() >= 3 && text[0] == ']' && IsLetter(text[1]) && std::isalnum(static_cast<unsigned char>(text[2]));
}

void NameAddedText(std::string_view prefix, std::string_view suffix, std::vector<std::string>& faults)
{
    if (IsSymbologyId(prefix)) {
        faults.push_back("Symbology identifier " + Quoted(prefix.substr(0, 3)) +
                         " sent: turn off the code identifier (AIM ID) in the scanner's settings.");
        prefix.remove_prefix(3);
    }
    if (!prefix.empty())
        faults.push_back("Prefix " + Quoted(prefix) + " added: remove the prefix in the scanner's settings.");
    if (!suffix.empty())
        faults.push_back("Suffix " + Quoted(suffix) + " added: remove the suffix in the scanner's settings.");
}

// Each kind of change once, in the order a pharmacist would fix them.
void NameChanges(const Alignment& alignment, std::vector<std::string>& faults)
{
    std::set<std::string> dropped, replacedBy;
    bool caseSwapped = false, yzSwapped = false;
    std::vector<std::string> others;
    for (const Alignment::Pair& pair : alignment.pairs) {
        if (pair.step == Step::Same) continue;
        if (pair.step == Step::Added) {
            others.push_back(Quoted(std::string(1, pair.got)) + " added");
        } else if (IsSeparator(pair.want)) {
            if (pair.step == Step::Missing) dropped.insert(ShowControlCharacters(std::string(1, pair.want)));
            else replacedBy.insert(Quoted(std::string(1, pair.got)));
        } else if (pair.step == Step::Missing) {
            others.push_back(Quoted(std::string(1, pair.want)) + " missing");
        } else if (IsYZSwap(pair.want, pair.got)) {
            yzSwapped = true;
            caseSwapped = caseSwapped || CaseDiffers(pair.want, pair.got);
        } else if (Lower(pair.want) == Lower(pair.got)) {
            caseSwapped = true;
        } else {
            others.push_back(Quoted(std::string(1, pair.want)) + " read as " + Quoted(std::string(1, pair.got)));
        }
    }
    for (const std::string& separator : dropped)
        faults.push_back("Separator " + separator + " dropped: " + kSendControls);
    for (const std::string& character : replacedBy)
        faults.push_back("Separator replaced by " + character + ": " + kSendControls);
    if (caseSwapped)
        faults.push_back(
            "Upper and lower case swapped: turn off Caps Lock and any case conversion in the scanner's settings.");
    if (yzSwapped)
        faults.push_back("Y and Z swapped (keyboard layout): set the scanner's keyboard language to this computer's.");
    if (!others.empty()) {
        std::string list;
        for (const std::string& other : others) list += (list.empty() ? "" : ", ") + other;
        faults.push_back("Other characters changed (" + list +
                         "): check the scanner's character settings, then scan again.");
    }
}

std::string_view LineEnding(std::string_view scan)
{
    size_t body = scan.find_last_not_of("\r\n");
    return scan.substr(body == std::string_view::npos ? 0 : body + 1);
}

// Where the test code's batch and serial number lie: the characters no real
// pack shares with it. The rest (header, identifiers, even the PPN) a real
// pack may share whole.
std::vector<bool> TellingCharacters(std::string_view code)
{
    std::vector<bool> telling(code.size(), false);
    PackCodeReading reading = ReadPackCode(code);
    size_t from = 0;
    for (const std::string* value : {&reading.batch, &reading.serial}) {
        size_t at = code.find(*value, from);
        if (value->empty() || at == std::string_view::npos) continue;
        std::fill(telling.begin() + at, telling.begin() + at + value->size(), true);
        from = at + value->size();
    }
    return telling;
}

// What the alignment's changes cost within the telling characters, text
// added among them included.
int TellingCost(const Alignment& alignment, const std::vector<bool>& telling)
{
    int cost = 0;
    size_t consumed = 0;  // characters of the code aligned so far
    for (const Alignment::Pair& pair : alignment.pairs) {
        if (pair.step == Step::Added) {
            bool inside = consumed > 0 && consumed < telling.size() && telling[consumed - 1] && telling[consumed];
            if (inside) cost += kGapCost;
            continue;
        }
        if (telling[consumed])
            cost += pair.step == Step::Missing ? MissingCost(pair.want) : ChangeCost(pair.want, pair.got);
        ++consumed;
    }
    return cost;
}

// Most of the code, or most of what tells it from a real pack, unexplained:
// something else was scanned, such as a real pack.
bool IsScanOfTestCode(const Alignment& alignment, std::string_view code)
{
    std::vector<bool> telling = TellingCharacters(code);
    int tellingCount = static_cast<int>(std::count(telling.begin(), telling.end(), true));
    return alignment.cost <= static_cast<int>(code.size()) * kChangeCost / 2 &&
           TellingCost(alignment, telling) <= tellingCount * kChangeCost / 2;
}

}  // namespace

std::string ShowControlCharacters(std::string_view text)
{
    static const char* const kNames[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "TAB", "LF",
                                         "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
                                         "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    std::string shown;
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20) {
            shown += std::string("<") + kNames[byte] + ">";
        } else if (byte >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<0x%02X>", byte);
            shown += hex;
        } else {
            shown += c;
        }
    }
    return shown;
}

std::vector<std::string> CompareWithTestCode(std::string_view scan, std::string_view expected)
{
    std::string_view ending = LineEnding(scan);
    std::string_view body = scan.substr(0, scan.size() - ending.size());
    Alignment alignment = Align(body, expected);
    std::vector<std::string> faults;
    NameAddedText(body.substr(0, alignment.start), body.substr(alignment.end), faults);
    NameChanges(alignment, faults);
    if (ending != kLineEnding)
        faults.push_back("Line ending " + Quoted(ending) +
                         " instead of <CR><LF>: set the scanner to end each code with CR LF.");
    return faults;
}

ScannerTestVerdict CheckScannerTestScan(std::string_view scan)
{
    static constexpr std::string_view kGs1 = SCANNER_TEST_GS1_CODE, kPpn = SCANNER_TEST_PPN_CODE;
    std::string_view body = scan.substr(0, scan.size() - LineEnding(scan).size());
    const bool ppn = Align(body, kPpn).cost < Align(body, kGs1).cost;
    const std::string_view code = ppn ? kPpn : kGs1;
    if (!IsScanOfTestCode(Align(body, code), code))
        return {"", {"This is not one of the test codes, and it was not sent: scan one of the two codes shown, or "
                    "close this window to scan packs."}};
    return {ppn ? kPpnName : kGs1Name, CompareWithTestCode(scan, code)};
}
