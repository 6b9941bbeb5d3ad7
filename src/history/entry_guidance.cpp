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

AnswerGuidance GuidanceOfEntry(const HistoryEntry& entry, const HistoryEntry* own)
{
    AnswerFacts facts = FactsOfEntry(entry);
    if (own && own->localTime.size() >= 16) {
        facts.ownDecommissionDate = own->localTime.substr(0, 10);
        facts.ownDecommissionTime = own->localTime.substr(11, 5);
    }
    return ExplainAnswer(facts);
}
