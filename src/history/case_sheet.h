// The case sheet: one self-contained, printable HTML page of an alert's case
// (the scan's fields, the answer with its verdict and next step, the case's
// history, the photos inside the page) for the maker, the national
// organisation or an inspector. Portable.
#pragma once
#include <string>
#include <vector>

#include "guide/answer_guide.h"
#include "history/alert_case.h"
#include "history/history_entry.h"

struct CasePhoto {
    std::string name;   // the file's name, shown under the picture
    std::string bytes;  // the file's contents
};

struct CaseSheetInput {
    HistoryEntry entry;
    AnswerGuidance guidance;
    AlertCase record;
    std::string deadline;  // as the window shows it
    std::vector<CasePhoto> photos;
};

// The page, in the system's 8-bit code page (declared windows-1252).
std::string CaseSheetHtml(const CaseSheetInput& input);
