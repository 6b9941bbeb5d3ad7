// What the answer guide says about a row of the history. Portable.
#pragma once
#include "guide/answer_guide.h"
#include "history/history_entry.h"

AnswerFacts FactsOfEntry(const HistoryEntry& entry);
AnswerGuidance GuidanceOfEntry(const HistoryEntry& entry);
// The same, for an "already inactive" alert that this pharmacy's own
// earlier Decommission `own` explains.
AnswerGuidance GuidanceOfEntry(const HistoryEntry& entry, const HistoryEntry* own);
