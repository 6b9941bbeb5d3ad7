// The history row's fields as the answer guide reads them.
#include "history/entry_guidance.h"

AnswerFacts FactsOfEntry(const HistoryEntry& entry)
{
    AnswerFacts facts;
    facts.mode = entry.mode;
    facts.kind = entry.kind;
    facts.statusText = entry.statusText;
    facts.status = entry.status;
    facts.heading = entry.messageHeading;
    facts.body = entry.messageBody;
    facts.curlResult = entry.curlResult;
    return facts;
}

AnswerGuidance GuidanceOfEntry(const HistoryEntry& entry) { return ExplainAnswer(FactsOfEntry(entry)); }
