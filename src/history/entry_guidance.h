// What the answer guide says about a row of the history. Portable.
#pragma once
#include "guide/answer_guide.h"
#include "history/history_entry.h"

AnswerFacts FactsOfEntry(const HistoryEntry& entry);
AnswerGuidance GuidanceOfEntry(const HistoryEntry& entry);
