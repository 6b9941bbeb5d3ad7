// Measure: how the pack-code reader takes generated valid GS1 codes, and the
// same kind of codes with one separator lost. A valid code read as faulty
// would be held for nothing; a lost separator read as sound would be sent
// with a wrong batch or serial number. The seed is fixed, so the figures
// repeat. Usage: pack_code_drops [valid codes] [separator drops]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "packcode/pack_code.h"
#include "packcode/pack_code_checks.h"

namespace {

constexpr char kGroupSeparator = '\x1D';

const std::string& Gs1Characters()
{
    static const std::string characters = [] {
        std::string all;
        for (int c = 1; c < 128; ++c)
            if (IsGs1Character(static_cast<char>(c))) all += static_cast<char>(c);
        return all;
    }();
    return characters;
}

struct Element {
    std::string ai, value;
    bool variable;
};

struct GeneratedCode {
    std::string scan;
    std::vector<Element> elements;  // in the order printed
};

class CodeGenerator {
public:
    GeneratedCode Next()
    {
        std::vector<Element> elements = {{"01", CheckedDigits(13, "", HasValidGtinCheckDigit), false},
                                         {"17", Expiry(), false},
                                         {"10", Text(Uniform(1, 20)), true},
                                         {"21", Text(Uniform(1, 20)), true}};
        if (Uniform(0, 1)) elements.push_back(NationalNumber());
        std::shuffle(elements.begin(), elements.end(), m_random);
        GeneratedCode code{Uniform(0, 4) == 0 ? "]d2" : "", elements};
        if (Uniform(0, 9) == 0) code.scan += kGroupSeparator;  // a leading FNC1
        for (size_t i = 0; i < elements.size(); ++i) {
            code.scan += elements[i].ai + elements[i].value;
            if (elements[i].variable && i + 1 < elements.size()) code.scan += kGroupSeparator;
        }
        return code;
    }
    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

private:
    std::string Digits(int count)
    {
        std::string digits;
        for (int i = 0; i < count; ++i) digits += static_cast<char>('0' + Uniform(0, 9));
        return digits;
    }
    // `count` random digits and the one check digit that `valid` accepts
    // after `prefix`; drawn again when no digit fits (a PZN's remainder 10).
    template <typename Check>
    std::string CheckedDigits(int count, const std::string& prefix, Check valid)
    {
        for (;;) {
            std::string number = Digits(count);
            for (char digit = '0'; digit <= '9'; ++digit)
                if (valid(prefix + number + digit)) return number + digit;
        }
    }
    std::string Expiry()
    {
        char text[8];
        std::snprintf(text, sizeof text, "%02d%02d%02d", Uniform(26, 40), Uniform(1, 12), Uniform(0, 28));
        return text;
    }
    // Batches and serial numbers as packs print them: all digits, upper-case
    // letters and digits, or any of GS1's characters.
    std::string Text(int length)
    {
        static const std::string kUpperAndDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        int style = Uniform(0, 2);
        std::string text;
        for (int i = 0; i < length; ++i) {
            if (style == 0) text += static_cast<char>('0' + Uniform(0, 9));
            else if (style == 1) text += kUpperAndDigits[Uniform(0, 35)];
            else text += Gs1Characters()[Uniform(0, static_cast<int>(Gs1Characters().size()) - 1)];
        }
        return text;
    }
    Element NationalNumber()
    {
        auto ntin = [](const std::string& code) { return HasValidGtinCheckDigit("0847000" + code); };
        auto cip = [](const std::string& code) { return HasValidGtinCheckDigit("0" + code); };
        switch (Uniform(0, 5)) {
        case 0: return {"710", CheckedDigits(7, "", HasValidPznCheckDigit), true};
        case 1: return {"711", "34009" + CheckedDigits(7, "34009", cip), true};
        case 2: return {"712", CheckedDigits(6, "", ntin), true};
        case 3: return {"714", Digits(7), true};
        case 4: return {"713", Digits(13), true};
        default: return {"715", Digits(Uniform(10, 11)), true};
        }
    }
    std::mt19937 m_random{20261208};
};

std::string Shown(const std::string& scan)
{
    std::string shown;
    for (char c : scan) shown += c == kGroupSeparator ? std::string("<GS>") : std::string(1, c);
    return shown;
}

bool ReadsAsGenerated(const GeneratedCode& code, const PackCodeReading& reading)
{
    for (const Element& element : code.elements) {
        const std::string& read = element.ai == "01"   ? reading.gtin
                                  : element.ai == "17" ? reading.expiry
                                  : element.ai == "10" ? reading.batch
                                  : element.ai == "21" ? reading.serial
                                                       : reading.nationalNumber;
        if (read != element.value) return false;
    }
    return true;
}

void MeasureValidCodes(CodeGenerator& generator, int count)
{
    int held = 0, wrong = 0;
    for (int i = 0; i < count; ++i) {
        GeneratedCode code = generator.Next();
        PackCodeReading reading = ReadPackCode(code.scan);
        bool faulty = !reading.faults.empty(), misread = !faulty && !ReadsAsGenerated(code, reading);
        if ((faulty && held < 5) || (misread && wrong < 5))
            std::printf("  %s: %s\n", Shown(code.scan).c_str(), faulty ? reading.faults.front().c_str() : "read wrong");
        held += faulty;
        wrong += misread;
    }
    std::printf("valid codes: %d read, %d read as faulty (would be held), %d read wrong without a fault\n", count, held,
                wrong);
}

// Drops one separator between two elements (a leading FNC1 is none).
void MeasureDrops(CodeGenerator& generator, int count)
{
    std::map<std::string, std::pair<int, int>> byNext;  // identifier after the lost separator: drops, passed
    int passed = 0, shown = 0;
    for (int done = 0; done < count;) {
        GeneratedCode code = generator.Next();
        std::vector<size_t> separators;
        size_t first = code.scan.compare(0, 3, "]d2") == 0 ? 3 : 0;
        if (code.scan[first] == kGroupSeparator) ++first;
        for (size_t i = first; i < code.scan.size(); ++i)
            if (code.scan[i] == kGroupSeparator) separators.push_back(i);
        if (separators.empty()) continue;
        size_t at = separators[generator.Uniform(0, static_cast<int>(separators.size()) - 1)];
        std::string next = code.scan.substr(at + 1, code.scan.compare(at + 1, 2, "71") == 0 ? 3 : 2);
        std::string scan = code.scan;
        scan.erase(at, 1);
        bool sound = ReadPackCode(scan).faults.empty();
        if (sound && shown++ < 5) std::printf("  passed: %s from %s\n", Shown(scan).c_str(), Shown(code.scan).c_str());
        byNext[next].first++;
        byNext[next].second += sound;
        passed += sound;
        ++done;
    }
    std::printf("single separator drops: %d, %d passed as sound (%.2f%%)\n", count, passed, 100.0 * passed / count);
    for (const auto& [ai, figures] : byNext)
        std::printf("  lost before %-3s: %5d drops, %4d passed\n", ai.c_str(), figures.first, figures.second);
}

}  // namespace

int main(int argc, char** argv)
{
    int validCount = argc > 1 ? std::atoi(argv[1]) : 90000;
    int dropCount = argc > 2 ? std::atoi(argv[2]) : 3000;
    CodeGenerator generator;
    MeasureValidCodes(generator, validCount);
    MeasureDrops(generator, dropCount);
    return 0;
}
