// The answer guide's rules: national codes, pack states, the service's status
// numbers and the program's own failures, each to a verdict and its texts.
#include "guide/answer_guide.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "core/scan_result.h"
#include "guide/guide_texts.h"
#include "guide/pack_state.h"

namespace {

struct CodeRule {
    const char* code;
    Verdict verdict;
    GuideText meaning, next;
};

const CodeRule kCodes[] = {
    {"NMVS_NC_PC_02", Verdict::AlertDoNotSupply, GuideText::SerialUnknown, GuideText::NextCompareCode},
    {"NMVS_FE_LOT_03", Verdict::AlertDoNotSupply, GuideText::BatchUnknown, GuideText::NextCompareCode},
    {"NMVS_FE_LOT_12", Verdict::AlertDoNotSupply, GuideText::ExpiryDiffers, GuideText::NextCompareExpiry},
    {"NMVS_FE_LOT_13", Verdict::AlertDoNotSupply, GuideText::SerialUnderOtherBatch, GuideText::NextCompareCode},
    {"NMVS_NC_PCK_22", Verdict::AlertDoNotSupply, GuideText::AlreadyInactive, GuideText::NextVerifyUndoOwn},
    {"NMVS_NC_PCK_19", Verdict::AlertDoNotSupply, GuideText::AlreadyInState, GuideText::NextVerifyUndoOwn},
    {"NMVS_NC_PCK_06", Verdict::AlertDoNotSupply, GuideText::UndoDoesNotFit, GuideText::NextUndoSameKind},
    {"NMVS_NC_PCK_20", Verdict::AlertDoNotSupply, GuideText::UndoTooLate, GuideText::NextUndoTooLate},
    {"NMVS_NC_PCK_21", Verdict::AlertDoNotSupply, GuideText::UndoOtherSite, GuideText::NextUndoOtherSite},
    {"NMVS_NC_PCK_27", Verdict::AlertDoNotSupply, GuideText::InactiveOtherState, GuideText::NextVerifyUndoOrSetAside},
    {"NMVS_NC_PC_01", Verdict::DoNotSupply, GuideText::ProductUnknown, GuideText::NextProductUnknown},
    {"NMVS_TE_XM_02", Verdict::CheckAgain, GuideText::Malformed, GuideText::NextMalformed},
    {"SP-901", Verdict::CheckAgain, GuideText::SystemUnavailable, GuideText::NextSystemUnavailable},
};

// Newer interfaces answer these when no alert ID was made: the same meaning
// as their twin, without an alert.
struct Twin {
    const char* code;
    const char* twinOf;
};
const Twin kNoAlertTwins[] = {
    {"NMVS_FE_LOT_15", "NMVS_FE_LOT_03"}, {"NMVS_FE_LOT_17", "NMVS_FE_LOT_12"}, {"NMVS_FE_LOT_18", "NMVS_FE_LOT_13"},
    {"NMVS_NC_PC_14", "NMVS_NC_PC_02"},   {"NMVS_NC_PCK_28", "NMVS_NC_PCK_19"}, {"NMVS_NC_PCK_29", "NMVS_NC_PCK_06"},
    {"NMVS_NC_PCK_30", "NMVS_NC_PCK_22"}, {"NMVS_NC_PCK_31", "NMVS_NC_PCK_27"},
};

// National systems that answer with numbers tie each to a hub code.
const Twin kNumberedCodes[] = {{"41020001", "NMVS_NC_PC_02"}};

struct StateRule {
    PackState state;
    GuideText meaning, next;
};

const StateRule kStates[] = {
    {PackState::Supplied, GuideText::StateInactiveAs, GuideText::NextInactiveAs},
    {PackState::Exported, GuideText::StateInactiveAs, GuideText::NextInactiveAs},
    {PackState::CheckedOut, GuideText::StateInactiveAs, GuideText::NextInactiveAs},
    {PackState::Sample, GuideText::StateInactiveAs, GuideText::NextInactiveAs},
    {PackState::FreeSample, GuideText::StateInactiveAs, GuideText::NextInactiveAs},
    {PackState::Locked, GuideText::StateLocked, GuideText::NextLocked},
    {PackState::Destroyed, GuideText::StateDestroyed, GuideText::NextDestroyedOrStolen},
    {PackState::Stolen, GuideText::StateStolen, GuideText::NextDestroyedOrStolen},
    {PackState::Recalled, GuideText::StateRecalled, GuideText::NextRecalledOrWithdrawn},
    {PackState::Withdrawn, GuideText::StateWithdrawn, GuideText::NextRecalledOrWithdrawn},
    {PackState::Expired, GuideText::StateExpired, GuideText::NextExpired},
};

enum class Failure { NotReached, AnswerLost, Identity, NotStarted, Other };

struct CurlRule {
    int code;
    const char* name;  // as the results list names it after "Request failed due to "
    Failure failure;
};

const CurlRule kCurlCodes[] = {
    {-1, "FAILED TO RUN", Failure::NotStarted},
    {5, "COULDNT RESOLVE PROXY", Failure::NotReached},
    {6, "COULDNT RESOLVE HOST", Failure::NotReached},
    {7, "COULDNT CONNECT", Failure::NotReached},
    {35, "SSL CONNECT ERROR", Failure::NotReached},
    {18, "PARTIAL FILE", Failure::AnswerLost},
    {23, "WRITE ERROR", Failure::AnswerLost},
    {28, "OPERATION TIMEDOUT", Failure::AnswerLost},
    {52, "GOT NOTHING", Failure::AnswerLost},
    {55, "SEND ERROR", Failure::AnswerLost},
    {56, "RECV ERROR", Failure::AnswerLost},
    {63, "FILESIZE EXCEEDED", Failure::AnswerLost},
    {58, "SSL CERTPROBLEM", Failure::Identity},
    {59, "SSL CIPHER", Failure::Identity},
    {60, "PEER FAILED VERIFICATION", Failure::Identity},
    {77, "SSL CACERT BADFILE", Failure::Identity},
    {83, "SSL ISSUER ERROR", Failure::Identity},
    {90, "SSL PINNEDPUBKEYNOTMATCH", Failure::Identity},
    {91, "SSL INVALIDCERTSTATUS", Failure::Identity},
};

const char kRequestFailed[] = "Request failed due to ";
const char kCheckedFirst[] = "Checked first";

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Contains(const std::string& text, const char* lowerWords) { return Lower(text).find(lowerWords) != std::string::npos; }

bool StartsWith(const std::string& text, const char* prefix) { return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0; }

std::string Format(GuideText id, const std::string& first = "", const std::string& second = "")
{
    std::string text = GuideString(id);
    for (const std::string* value : {&first, &second}) {
        size_t at = text.find("%s");
        if (at == std::string::npos) break;
        text.replace(at, 2, *value);
    }
    return text;
}

AnswerGuidance Guidance(Verdict verdict, const std::string& meaning, GuideText next)
{
    AnswerGuidance guidance;
    guidance.explained = true;
    guidance.verdict = verdict;
    guidance.alert = verdict == Verdict::AlertDoNotSupply;
    guidance.meaning = meaning;
    guidance.nextStep = GuideString(next);
    return guidance;
}

bool ChangesState(int mode) { return mode == Decommission || mode == Recommission; }

bool IsCodeCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// A code beginning at a word's start: "NMVS_..." or "SP-<digits>".
std::string CodeAt(const std::string& text, size_t at)
{
    if (at > 0 && IsCodeCharacter(text[at - 1])) return std::string();
    size_t end = at;
    if (text.compare(at, 5, "NMVS_") == 0) {
        while (end < text.size() && IsCodeCharacter(text[end])) ++end;
    } else if (text.compare(at, 3, "SP-") == 0) {
        end += 3;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end == at + 3) return std::string();
    } else {
        return std::string();
    }
    return text.substr(at, end - at);
}

std::string CodeIn(const std::string& text)
{
    for (size_t at = 0; at < text.size(); ++at) {
        std::string code = CodeAt(text, at);
        if (!code.empty()) return code;
    }
    // A national number heads the text on its own: "41020001 Serial unknown".
    size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return std::string();
    size_t end = start;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    bool wholeWord = end == text.size() || !IsCodeCharacter(text[end]);
    return end - start == 8 && wholeWord ? text.substr(start, 8) : std::string();
}

const CodeRule* RuleOf(const std::string& code)
{
    for (const CodeRule& rule : kCodes)
        if (code == rule.code) return &rule;
    return nullptr;
}

const StateRule* RuleOf(PackState state)
{
    for (const StateRule& rule : kStates)
        if (rule.state == state) return &rule;
    return nullptr;
}

AnswerGuidance ExplainState(const StateRule& rule, PackState state)
{
    return Guidance(Verdict::DoNotSupply, Format(rule.meaning, PackStateWord(state)), rule.next);
}

AnswerGuidance ExplainFailure(Failure failure, int mode, const std::string& name)
{
    GuideText uncertainNext = ChangesState(mode) ? GuideText::NextVerifyFirst : GuideText::NextScanAgain;
    switch (failure) {
    case Failure::NotReached:
        return Guidance(Verdict::CheckAgain, GuideString(GuideText::NotReached), GuideText::NextScanAgainNothingChanged);
    case Failure::AnswerLost: return Guidance(Verdict::CheckAgain, GuideString(GuideText::AnswerLost), uncertainNext);
    case Failure::Identity:
        return Guidance(Verdict::CheckAgain, GuideString(GuideText::IdentityUnconfirmed), GuideText::NextCheckClock);
    case Failure::NotStarted:
        return Guidance(Verdict::CheckAgain, GuideString(GuideText::CurlNotStarted), GuideText::NextReinstall);
    case Failure::Other: break;
    }
    return Guidance(Verdict::CheckAgain, Format(GuideText::RequestFailed, name), uncertainNext);
}

// A failed exchange, known by curl's exit code or by the row's heading.
bool ExplainCurl(const AnswerFacts& facts, AnswerGuidance& guidance)
{
    bool named = StartsWith(facts.heading, kRequestFailed);
    if (facts.curlResult == 0 && !named) return false;
    std::string name = named ? facts.heading.substr(sizeof kRequestFailed - 1) : std::string();
    for (const CurlRule& rule : kCurlCodes) {
        if (facts.curlResult != 0 ? facts.curlResult == rule.code : name == rule.name) {
            guidance = ExplainFailure(rule.failure, facts.mode, name);
            return true;
        }
    }
    if (name.empty()) name = "curl exit code " + std::to_string(facts.curlResult);
    guidance = ExplainFailure(Failure::Other, facts.mode, name);
    return true;
}

bool ExplainAccount(const AnswerFacts& facts, AnswerGuidance& guidance)
{
    const std::string text = facts.heading + "\n" + facts.body;
    if (Contains(text, "account is locked") || Contains(text, "account locked")) {
        guidance = Guidance(Verdict::AccountRefused, GuideString(GuideText::AccountLocked), GuideText::NextAccountLocked);
        return true;
    }
    if (Contains(text, "password") || Contains(text, "unknown account") || Contains(text, "credentials")) {
        guidance = Guidance(Verdict::AccountRefused, GuideString(GuideText::PasswordRefused),
                            GuideText::NextPasswordRefused);
        return true;
    }
    return false;
}

// The program's own rows: nothing from the service to read.
bool ExplainOwnRow(const AnswerFacts& facts, AnswerGuidance& guidance)
{
    if (facts.kind == ScanResultKind::Scanned) {
        guidance = Guidance(Verdict::CheckAgain, GuideString(GuideText::OnItsWay), GuideText::NextWaitForAnswer);
    } else if (facts.statusText == "Held") {
        guidance = Guidance(Verdict::CheckAgain, GuideString(GuideText::Held), GuideText::NextHeld);
    } else if (facts.statusText == "Not sent") {
        guidance = Guidance(Verdict::CheckAgain, GuideString(GuideText::NotSent), GuideText::NextNotSent);
    } else if (facts.kind == ScanResultKind::Waiting) {
        guidance = Guidance(Verdict::CheckAgain, GuideString(GuideText::Waiting), GuideText::NextWaiting);
    } else if (facts.statusText == "Done before") {
        GuideText meaning =
            facts.mode == Recommission ? GuideText::DoneBeforeRecommission : GuideText::DoneBeforeDecommission;
        guidance = Guidance(Verdict::Supply, GuideString(meaning), GuideText::NextDoneBefore);
    } else {
        return false;
    }
    return true;
}

AnswerGuidance ExplainCode(const AnswerFacts& facts, const std::string& code, const CodeRule& rule, bool twin)
{
    bool verifyAnswer = facts.mode == Verify || StartsWith(facts.heading, kCheckedFirst);
    if (rule.meaning == GuideText::AlreadyInactive) {
        // No state changed on a Verify, and an expired, recalled or withdrawn
        // pack raises no alert: the pack's state says it all.
        PackState state = PackStateOfVerify("", facts.heading, facts.body);
        const StateRule* stateRule = RuleOf(state);
        bool noAlertState = state == PackState::Expired || state == PackState::Recalled || state == PackState::Withdrawn;
        if (stateRule && (verifyAnswer || noAlertState)) {
            AnswerGuidance guidance = ExplainState(*stateRule, state);
            guidance.code = code;
            return guidance;
        }
    }
    Verdict verdict = twin && rule.verdict == Verdict::AlertDoNotSupply ? Verdict::DoNotSupply : rule.verdict;
    std::string meaning = GuideString(rule.meaning);
    if (twin) meaning += std::string(" ") + GuideString(GuideText::NoAlertRaised);
    AnswerGuidance guidance = Guidance(verdict, meaning, rule.next);
    guidance.code = code;
    bool ownDecommission = facts.mode == Decommission && !verifyAnswer && !facts.ownDecommissionDate.empty() &&
                           (rule.meaning == GuideText::AlreadyInactive || rule.meaning == GuideText::AlreadyInState);
    if (ownDecommission) {
        guidance.nextStep = Format(GuideText::NextUndoOwnDecommission, facts.ownDecommissionDate,
                                   facts.ownDecommissionTime);
        guidance.undoOffered = true;
    }
    return guidance;
}

AnswerGuidance ExplainSuccess(int mode)
{
    if (mode == Decommission)
        return Guidance(Verdict::Supply, GuideString(GuideText::Decommissioned), GuideText::NextHandOut);
    if (mode == Recommission)
        return Guidance(Verdict::Supply, GuideString(GuideText::Recommissioned), GuideText::NextSupplyAfterRecommission);
    return Guidance(Verdict::Supply, GuideString(GuideText::VerifiedActive), GuideText::NextSupply);
}

// An answer whose code this program does not know, or that names none.
AnswerGuidance ExplainByStatus(const AnswerFacts& facts, const std::string& code)
{
    long status = std::strtol(facts.status.c_str(), nullptr, 10);
    AnswerGuidance guidance;
    if (facts.status.empty() && code.empty())
        guidance = Guidance(Verdict::CheckAgain, GuideString(GuideText::NoAnswer),
                            ChangesState(facts.mode) ? GuideText::NextVerifyFirst : GuideText::NextScanAgain);
    else if (status == 0 && !facts.status.empty())
        guidance = Guidance(Verdict::DoNotSupply,
                            code.empty() ? GuideString(GuideText::NoCodeError) : Format(GuideText::UnknownCodeError, code),
                            GuideText::NextUnknownError);
    else if (status == 2)
        guidance = Guidance(Verdict::CheckAgain,
                            code.empty() ? GuideString(GuideText::NoCodeWarning)
                                         : Format(GuideText::UnknownCodeWarning, code),
                            GuideText::NextUnknownWarning);
    else if (status == 1 && !code.empty())
        guidance = Guidance(Verdict::CheckAgain, Format(GuideText::UnknownCodeSuccess, code),
                            GuideText::NextUnknownWarning);
    else
        guidance = Guidance(Verdict::CheckAgain, Format(GuideText::UnknownStatus, facts.status),
                            GuideText::NextUnknownWarning);
    guidance.code = code;
    return guidance;
}

}  // namespace

const char* VerdictWord(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Supply: return GuideString(GuideText::VerdictSupply);
    case Verdict::AlertDoNotSupply: return GuideString(GuideText::VerdictAlert);
    case Verdict::DoNotSupply: return GuideString(GuideText::VerdictDoNotSupply);
    case Verdict::CheckAgain: return GuideString(GuideText::VerdictCheckAgain);
    case Verdict::AccountRefused: return GuideString(GuideText::VerdictAccountRefused);
    }
    return "";
}

AnswerFacts FactsOfResult(const ScanResult& result)
{
    AnswerFacts facts;
    facts.mode = result.mode;
    facts.kind = result.kind;
    facts.statusText = result.statusText;
    facts.status = result.status;
    facts.heading = result.messageHeading;
    facts.body = result.messageBody;
    return facts;
}

std::string AnswerCodeIn(const std::string& heading, const std::string& body)
{
    std::string code = CodeIn(heading);
    return code.empty() ? CodeIn(body) : code;
}

AnswerGuidance ExplainAnswer(const AnswerFacts& facts)
{
    AnswerGuidance guidance;
    if (facts.kind == ScanResultKind::Log) return guidance;
    if (ExplainOwnRow(facts, guidance) || ExplainAccount(facts, guidance) || ExplainCurl(facts, guidance))
        return guidance;
    if (facts.status == "3" || facts.statusText == "Invalid")
        return Guidance(Verdict::CheckAgain, GuideString(GuideText::NotUnderstood),
                        ChangesState(facts.mode) ? GuideText::NextVerifyFirst : GuideText::NextScanAgain);
    if (Contains(facts.heading + "\n" + facts.body, "previously supplied at this location"))
        return Guidance(Verdict::DoNotSupply, GuideString(GuideText::SuppliedHereBefore),
                        GuideText::NextSuppliedHereBefore);

    std::string code = AnswerCodeIn(facts.heading, facts.body);
    for (const Twin& numbered : kNumberedCodes)
        if (code == numbered.code) return ExplainCode(facts, code, *RuleOf(numbered.twinOf), false);
    if (const CodeRule* rule = RuleOf(code)) return ExplainCode(facts, code, *rule, false);
    for (const Twin& twin : kNoAlertTwins)
        if (code == twin.code) return ExplainCode(facts, code, *RuleOf(twin.twinOf), true);

    bool success = std::strtol(facts.status.c_str(), nullptr, 10) == 1 && !facts.status.empty();
    if (success && code.empty()) return ExplainSuccess(facts.mode);
    PackState state = PackStateOfVerify(facts.status, facts.heading, facts.body);
    if (const StateRule* rule = RuleOf(state)) return ExplainState(*rule, state);
    return ExplainByStatus(facts, code);
}
