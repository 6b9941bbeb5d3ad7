// Mode names and the test-account rule.
#include "core/scan_result.h"

#include "base/text_catalog.h"

std::atomic<long> LiveRecordCounter::s_live{0};

const char* ModeWord(int32_t mode)
{
    switch (mode) {
    case Verify: return Text(TextId::ModeVerify);
    case Decommission: return Text(TextId::ModeDecommission);
    case Recommission: return Text(TextId::ModeRecommission);
    default: return ModeNames(mode);
    }
}

std::string StatusWord(const std::string& statusText)
{
    static const struct {
        const char* english;
        TextId word;
    } kWords[] = {{"Scanned", TextId::StatusScanned}, {"Failed", TextId::KindFailed},
                  {"Success", TextId::KindSuccess},   {"Warning", TextId::KindWarning},
                  {"Error", TextId::KindError},       {"Invalid", TextId::StatusInvalid},
                  {"Held", TextId::StatusHeld},       {"Not sent", TextId::StatusNotSent},
                  {"Waiting", TextId::StatusWaiting}, {"Done before", TextId::StatusDoneBefore}};
    for (const auto& word : kWords)
        if (statusText == word.english) return Text(word.word);
    return statusText;
}

const char* ModeNames(int32_t mode)
{
    switch (mode) {
    case Verify: return "Verify";
    case Decommission: return "Decommission";
    case Recommission: return "Recommission";
    case Login: return "";
    default: return "BadWolf";
    }
}

bool IsTestAccount(const std::string& username) { return username.compare(0, 6, TestAccountPrefix) == 0; }
