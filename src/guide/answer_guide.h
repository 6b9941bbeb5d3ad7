// The answer guide: what an outcome at the counter means and what to do next,
// read from the service's status, the national code or pack state in its
// heading and body, and the program's own failures. Portable.
#pragma once
#include <string>

// What the pharmacist does with the pack, in five words.
enum class Verdict {
    Supply,            // the pack may be handed out
    AlertDoNotSupply,  // a level-5 alert: set aside, marked, investigate
    DoNotSupply,       // no alert, but the pack must not leave
    CheckAgain,        // nothing certain came back
    AccountRefused,    // the service refused the pharmacy's credentials
};

// "Supply", "Alert: do not supply", "Do not supply", "Check again",
// "Account refused".
const char* VerdictWord(Verdict verdict);

// What a row knows of its outcome: a settled scan's record or its history.
struct AnswerFacts {
    int mode = 0;  // ScanMode
    int kind = 0;  // ScanResultKind
    std::string statusText, status, heading, body;
    int curlResult = 0;  // curl's exit code when the history kept it; 0 otherwise
    // When this account on this computer decommissioned the same pack
    // successfully within the undo time: its local date and time.
    std::string ownDecommissionDate, ownDecommissionTime;
};

struct AnswerGuidance {
    bool explained = false;  // false for log rows: there is nothing to say
    Verdict verdict = Verdict::CheckAgain;
    std::string code;         // the national code the answer carries, if any
    bool alert = false;       // a level-5 alert: its case is followed in the Alerts view
    bool undoOffered = false;  // the earlier decommission here can be undone
    std::string meaning;      // one sentence in plain words
    std::string nextStep;     // what to do at the counter
};

AnswerGuidance ExplainAnswer(const AnswerFacts& facts);

struct ScanResult;
// The facts a result record carries (no curl code: its heading names it).
AnswerFacts FactsOfResult(const ScanResult& result);

// The first national code in a heading (or else the body): "NMVS_..." at the
// start of a word, "SP-901" and the like, or a national number such as
// "41020001"; empty when there is none.
std::string AnswerCodeIn(const std::string& heading, const std::string& body);
