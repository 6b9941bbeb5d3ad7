// The pop-up's and the message box's runs.
#include "ui/controls/text_runs.h"

#include <cctype>

#include "base/text_catalog.h"
#include "base/string_format.h"
#include "guide/answer_guide.h"
#include "guide/guide_texts.h"

namespace {

TextRun Plain(const std::string& text, RunColour colour = {})
{
    TextRun run;
    run.text = text;
    run.colour = colour;
    return run;
}

TextRun Heading(const std::string& text, int size)
{
    TextRun run = Plain(text);
    run.bold = run.underline = true;
    run.face = kDialogFace;
    run.size = size;
    return run;
}

// ASCII letters only: the status words are English.
bool SameWord(const std::string& word, const std::string& expected)
{
    if (word.size() != expected.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(word[i])) != std::tolower(static_cast<unsigned char>(expected[i])))
            return false;
    return true;
}

void AppendPackTable(std::vector<TextRun>& runs, const ScanResult& result)
{
    const std::pair<const char*, const std::string*> rows[] = {{Text(TextId::PackGtin), &result.gtin},
                                                               {Text(TextId::PackLot), &result.lot},
                                                               {Text(TextId::PackExpiry), &result.exp},
                                                               {Text(TextId::PackSerial), &result.sn}};
    for (const auto& [label, value] : rows) {
        TextRun name = Plain(label);
        name.bold = name.underline = true;
        TextRun separator = Plain("\t: ");
        separator.bold = true;
        runs.push_back(name);
        runs.push_back(separator);
        runs.push_back(Plain(*value));
        runs.push_back(Plain("\n"));
    }
}

}  // namespace

RunColour StatusColour(const std::string& statusText)
{
    if (SameWord(statusText, "Success")) return {0, 100, 0};
    if (SameWord(statusText, "Warning")) return {100, 100, 0};
    if (SameWord(statusText, "Error") || SameWord(statusText, "Failed")) return {100, 0, 0};
    return {0, 0, 0};
}

std::string ProductTitle(const ScanResult& result) { return StringPrintf(Text(TextId::PopupTitle), ModeWord(result.mode)); }

std::vector<TextRun> ProductRuns(const ScanResult& result, const std::string& scanTime)
{
    const RunColour status = StatusColour(result.statusText);
    std::vector<TextRun> runs;
    runs.push_back(Heading(ProductTitle(result) + "\n", 20));
    runs.push_back(Plain(Text(TextId::PopupScanned) + scanTime.substr(0, 19) + "\n"));
    runs.push_back(Plain("\n"));
    if (!result.gtin.empty()) {
        runs.push_back(Plain(StatusWord(result.statusText), status));
        runs.push_back(Plain(", "));
        runs.push_back(Plain(result.status, status));
        runs.push_back(Plain(", "));
        runs.push_back(Plain(ShownText(result.messageHeading), status));
        runs.push_back(Plain("\n"));
        runs.push_back(Plain(ShownText(result.messageBody), status));
        runs.push_back(Plain("\n\n"));
        AppendPackTable(runs, result);
        return runs;
    }
    runs.push_back(Plain(StatusWord(result.statusText), status));
    runs.push_back(Plain("\n\n"));
    if (!result.messageHeading.empty()) {
        runs.push_back(Plain(ShownText(result.messageHeading)));
        runs.push_back(Plain("\n"));
    }
    if (!result.messageBody.empty()) {
        runs.push_back(Plain(ShownText(result.messageBody)));
        runs.push_back(Plain("\n\n"));
    }
    runs.push_back(Plain(result.barcode));
    return runs;
}

void AppendWhatToDo(std::vector<TextRun>& runs, const ScanResult& result)
{
    AnswerGuidance guidance = ExplainAnswer(FactsOfResult(result));
    if (!guidance.explained) return;
    bool lineEnded = !runs.empty() && !runs.back().text.empty() && runs.back().text.back() == '\n';
    TextRun heading = Plain(std::string(GuideString(GuideText::WhatToDo)) + "\n");
    heading.bold = heading.underline = true;
    TextRun verdict = Plain(std::string(VerdictWord(guidance.verdict)) + "\n");
    verdict.bold = true;
    runs.insert(runs.end(), {Plain(lineEnded ? "\n" : "\n\n"), heading, verdict, Plain(guidance.meaning + "\n"),
                             Plain(guidance.nextStep)});
}

std::vector<TextRun> MessageRuns(const std::string& text, const std::string& caption)
{
    std::vector<TextRun> runs;
    if (!caption.empty()) runs.push_back(Heading(caption + "\n\n", 15));
    runs.push_back(Plain(text));
    return runs;
}
