// The answer guide: every national code, pack state and failure the counter
// meets, to its verdict, meaning and next step.
#include <gtest/gtest.h>

#include "core/scan_result.h"
#include "guide/answer_guide.h"
#include "guide/guide_texts.h"

namespace {

constexpr Verdict kSupply = Verdict::Supply, kAlert = Verdict::AlertDoNotSupply, kDoNot = Verdict::DoNotSupply,
                  kAgain = Verdict::CheckAgain, kAccount = Verdict::AccountRefused;

struct GuideCase {
    int mode, kind;
    const char *statusText, *status, *heading, *body;
    int curl;
    Verdict verdict;
    const char* code;
    const char* meaningHas;  // a piece of the meaning that only the right entry has
    const char* nextHas;     // likewise of the next step
};

AnswerFacts FactsOf(const GuideCase& c)
{
    AnswerFacts facts;
    facts.mode = c.mode;
    facts.kind = c.kind;
    facts.statusText = c.statusText;
    facts.status = c.status;
    facts.heading = c.heading;
    facts.body = c.body;
    facts.curlResult = c.curl;
    return facts;
}

void Check(const GuideCase& c)
{
    AnswerGuidance g = ExplainAnswer(FactsOf(c));
    std::string input = std::string("mode ") + std::to_string(c.mode) + ", \"" + c.statusText + "\", status \"" +
                        c.status + "\", \"" + c.heading + "\" / \"" + c.body + "\", curl " + std::to_string(c.curl);
    EXPECT_TRUE(g.explained) << input;
    EXPECT_STREQ(VerdictWord(g.verdict), VerdictWord(c.verdict)) << input;
    EXPECT_EQ(g.alert, c.verdict == kAlert) << input;
    EXPECT_EQ(g.code, c.code) << input;
    EXPECT_NE(g.meaning.find(c.meaningHas), std::string::npos) << input << "\nmeaning: " << g.meaning;
    EXPECT_NE(g.nextStep.find(c.nextHas), std::string::npos) << input << "\nnext: " << g.nextStep;
    EXPECT_EQ(g.meaning.find("%s"), std::string::npos) << input;
    EXPECT_EQ(g.nextStep.find("%s"), std::string::npos) << input;
}

const int E = ScanResultKind::Error, W = ScanResultKind::Warning, S = ScanResultKind::Success,
          F = ScanResultKind::Failed;

TEST(AnswerGuide, EveryNationalCodeOfTheReference)
{
    const GuideCase cases[] = {
        {Decommission, E, "Error", "0", "NMVS_NC_PC_02 Unknown serial number", "", 0, kAlert, "NMVS_NC_PC_02",
         "serial number", "Compare the scanned code"},
        {Verify, E, "Error", "0", "NMVS_FE_LOT_03 Batch does not match", "", 0, kAlert, "NMVS_FE_LOT_03",
         "this batch", "Compare the scanned code"},
        {Decommission, E, "Error", "0", "NMVS_FE_LOT_12 Expiry date does not match", "", 0, kAlert, "NMVS_FE_LOT_12",
         "expiry date differs", "YYMMDD"},
        {Decommission, E, "Error", "0", "NMVS_FE_LOT_13", "Serial under another batch", 0, kAlert, "NMVS_FE_LOT_13",
         "under another batch", "Compare the scanned code"},
        {Decommission, E, "Error", "0", "NMVS_NC_PCK_22 Pack already inactive",
         "The pack has already been decommissioned as Supplied.", 0, kAlert, "NMVS_NC_PCK_22", "already inactive",
         "undo that with Recommission"},
        {Decommission, E, "Error", "0", "NMVS_NC_PCK_19 Pack already in that state", "", 0, kAlert, "NMVS_NC_PCK_19",
         "repeated", "Verify the pack"},
        {Recommission, E, "Error", "0", "NMVS_NC_PCK_06 Undo does not fit", "", 0, kAlert, "NMVS_NC_PCK_06",
         "undo does not fit", "same kind of transaction"},
        {Recommission, E, "Error", "0", "NMVS_NC_PCK_20 Time limit exceeded", "", 0, kAlert, "NMVS_NC_PCK_20",
         "too late", "who decommissioned"},
        {Recommission, E, "Error", "0", "NMVS_NC_PCK_21 Decommissioned by another location", "", 0, kAlert,
         "NMVS_NC_PCK_21", "another user or site", "contact the supplier"},
        {Decommission, E, "Error", "0", "NMVS_NC_PCK_27 Inactive in another state", "", 0, kAlert, "NMVS_NC_PCK_27",
         "another state", "undo it"},
        {Verify, E, "Error", "0", "NMVS_NC_PC_01 Unknown product", "", 0, kDoNot, "NMVS_NC_PC_01",
         "product code", "bought in the EU"},
        {Decommission, E, "Error", "0", "NMVS_TE_XM_02 Malformed request", "", 0, kAgain, "NMVS_TE_XM_02",
         "malformed", "instead of typing"},
        {Decommission, E, "Error", "0", "SP-901 System not available", "", 0, kAgain, "SP-901", "not available",
         "Do not decommission it twice"},
        // The code may follow another word, or stand in the body only.
        {Decommission, E, "Error", "0", "Checked first: NMVS_NC_PC_02 Unknown serial", "", 0, kAlert,
         "NMVS_NC_PC_02", "serial number", "Compare"},
        {Decommission, E, "Error", "0", "Refused", "NMVS_FE_LOT_12: expiry differs", 0, kAlert, "NMVS_FE_LOT_12",
         "expiry date", "YYMMDD"},
        // Finland's numbers stand for hub codes.
        {Verify, E, "Error", "0", "41020001 Serial number unknown", "", 0, kAlert, "41020001", "serial number",
         "Compare"},
        {Decommission, W, "Warning", "2", "Pack previously supplied at this location", "", 0, kDoNot, "",
         "already supplied at this location", "third attempt"},
    };
    for (const GuideCase& c : cases) Check(c);
}

TEST(AnswerGuide, NoAlertTwinsMeanTheSameWithoutAnAlert)
{
    const GuideCase cases[] = {
        {Decommission, E, "Error", "0", "NMVS_FE_LOT_15", "", 0, kDoNot, "NMVS_FE_LOT_15", "this batch", "Compare"},
        {Decommission, E, "Error", "0", "NMVS_FE_LOT_17", "", 0, kDoNot, "NMVS_FE_LOT_17", "expiry date", "YYMMDD"},
        {Decommission, E, "Error", "0", "NMVS_FE_LOT_18", "", 0, kDoNot, "NMVS_FE_LOT_18", "another batch", "Compare"},
        {Decommission, E, "Error", "0", "NMVS_NC_PC_14", "", 0, kDoNot, "NMVS_NC_PC_14", "serial number", "Compare"},
        {Decommission, E, "Error", "0", "NMVS_NC_PCK_28", "", 0, kDoNot, "NMVS_NC_PCK_28", "repeated", "Verify"},
        {Recommission, E, "Error", "0", "NMVS_NC_PCK_29", "", 0, kDoNot, "NMVS_NC_PCK_29", "undo does not fit",
         "same kind"},
        {Decommission, E, "Error", "0", "NMVS_NC_PCK_30", "", 0, kDoNot, "NMVS_NC_PCK_30", "already inactive",
         "undo that"},
        {Decommission, E, "Error", "0", "NMVS_NC_PCK_31", "", 0, kDoNot, "NMVS_NC_PCK_31", "another state",
         "undo it"},
    };
    for (const GuideCase& c : cases) {
        Check(c);
        EXPECT_NE(ExplainAnswer(FactsOf(c)).meaning.find("No alert was raised"), std::string::npos) << c.heading;
    }
}

TEST(AnswerGuide, EveryPackStateAVerifyReports)
{
    const GuideCase cases[] = {
        {Verify, S, "Success", "1", "Pack verified", "The pack is active and may be supplied.", 0, kSupply, "",
         "active", "Supply it"},
        {Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Supplied)", "", 0, kDoNot, "NMVS_NC_PCK_22",
         "decommissioned as Supplied", "undo that with Recommission"},
        {Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Exported)", "", 0, kDoNot, "NMVS_NC_PCK_22",
         "as Exported", "undo that"},
        {Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Checked-out)", "", 0, kDoNot,
         "NMVS_NC_PCK_22", "as Checked-out", "undo that"},
        {Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Sample)", "", 0, kDoNot, "NMVS_NC_PCK_22",
         "as Sample", "undo that"},
        {Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Free sample)", "", 0, kDoNot,
         "NMVS_NC_PCK_22", "as Free sample", "undo that"},
        {Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Locked)", "", 0, kDoNot, "NMVS_NC_PCK_22",
         "locked", "supplier or the maker"},
        {Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Destroyed)", "", 0, kDoNot, "NMVS_NC_PCK_22",
         "destroyed", "falsification"},
        {Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Stolen)", "", 0, kDoNot, "NMVS_NC_PCK_22",
         "stolen", "falsification"},
        {Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Recalled)", "", 0, kDoNot, "NMVS_NC_PCK_22",
         "recalled", "recall notice"},
        {Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Withdrawn)", "", 0, kDoNot, "NMVS_NC_PCK_22",
         "withdrawn", "recall notice"},
        {Verify, W, "Warning", "2", "NMVS_NC_PCK_22 Pack is inactive (Expired)", "", 0, kDoNot, "NMVS_NC_PCK_22",
         "expired", "do not decommission"},
        // A state without a code, and the state of a verify-first row.
        {Verify, W, "Warning", "2", "Pack inactive: decommissioned as Stolen.", "", 0, kDoNot, "", "stolen",
         "falsification"},
        {Decommission, W, "Warning", "2", "Checked first: NMVS_NC_PCK_22 Pack is inactive (Locked)", "", 0, kDoNot,
         "NMVS_NC_PCK_22", "locked", "maker"},
        // A decommission of an expired, recalled or withdrawn pack raises no
        // alert; of a supplied one it does.
        {Decommission, E, "Error", "0", "NMVS_NC_PCK_22 Pack already inactive",
         "The pack has already been decommissioned as Expired.", 0, kDoNot, "NMVS_NC_PCK_22", "expired",
         "do not decommission"},
        {Decommission, E, "Error", "0", "NMVS_NC_PCK_22 Pack already inactive",
         "The pack has already been decommissioned as Recalled.", 0, kDoNot, "NMVS_NC_PCK_22", "recalled",
         "recall notice"},
        {Decommission, E, "Error", "0", "NMVS_NC_PCK_22 Pack already inactive",
         "The pack has already been decommissioned as Stolen.", 0, kAlert, "NMVS_NC_PCK_22", "already inactive",
         "Verify the pack"},
    };
    for (const GuideCase& c : cases) Check(c);
}

TEST(AnswerGuide, SuccessesByMode)
{
    const GuideCase cases[] = {
        {Decommission, S, "Success", "1", "Pack decommissioned", "The pack is now Supplied.", 0, kSupply, "",
         "decommissioned", "Hand it out"},
        {Recommission, S, "Success", "1", "Pack recommissioned", "", 0, kSupply, "", "active again",
         "decommission it again"},
        {Verify, S, "Success", "1", "", "", 0, kSupply, "", "active", "Supply it"},
    };
    for (const GuideCase& c : cases) Check(c);
}

TEST(AnswerGuide, EveryFailureOfTheProgramsOwn)
{
    const GuideCase cases[] = {
        // curl's exit codes, from the history or from the row's heading.
        {Decommission, F, "Failed", "", "Request failed due to COULDNT CONNECT", "", 0, kAgain, "", "not reached",
         "Nothing changed"},
        {Decommission, F, "Failed", "", "", "", 6, kAgain, "", "not reached", "Nothing changed"},
        {Verify, F, "Failed", "", "Request failed due to SSL CONNECT ERROR", "", 35, kAgain, "", "not reached",
         "network"},
        {Decommission, F, "Failed", "", "Request failed due to RECV ERROR", "", 56, kAgain, "", "answer was lost",
         "switch to Verify"},
        {Recommission, F, "Failed", "", "Request failed due to OPERATION TIMEDOUT", "", 0, kAgain, "",
         "answer was lost", "switch to Verify"},
        {Verify, F, "Failed", "", "", "", 52, kAgain, "", "answer was lost", "Scan the pack again"},
        {Decommission, F, "Failed", "", "", "", 18, kAgain, "", "answer was lost", "switch to Verify"},
        {Decommission, F, "Failed", "", "", "", 63, kAgain, "", "answer was lost", "switch to Verify"},
        {Decommission, F, "Failed", "", "Request failed due to PEER FAILED VERIFICATION", "", 0, kAgain, "",
         "identity", "date and time"},
        {Decommission, F, "Failed", "", "Request failed due to FAILED TO RUN", "", -1, kAgain, "", "curl.exe",
         "Reinstall"},
        {Decommission, F, "Failed", "", "Request failed due to TOO MANY REDIRECTS", "", 0, kAgain, "",
         "(TOO MANY REDIRECTS)", "switch to Verify"},
        {Decommission, F, "Failed", "", "", "", 47, kAgain, "", "(curl exit code 47)", "switch to Verify"},
        // Answers without an item status.
        {Decommission, F, "Invalid", "3", "", "", 0, kAgain, "", "could not be understood", "switch to Verify"},
        {Verify, F, "Invalid", "3", "", "", 0, kAgain, "", "could not be understood", "Scan the pack again"},
        {Decommission, F, "Invalid", "3", "Unknown account or wrong password", "", 0, kAccount, "",
         "account name or password", "Settings"},
        {Decommission, E, "Error", "0", "Login refused", "The account is locked.", 0, kAccount, "", "locked",
         "service desk"},
        // Held, not sent, waiting, done before, on its way.
        {Decommission, ScanResultKind::Held, "Held", "", "", "", 0, kAgain, "", "misread", "Send anyway"},
        {Decommission, ScanResultKind::Failed, "Not sent", "", "Not sent: deleted at the counter", "", 0, kAgain, "",
         "not sent", "still has to be checked"},
        {Decommission, ScanResultKind::Waiting, "Waiting", "outage", "Request failed due to COULDNT CONNECT", "", 7,
         kAgain, "", "kept", "Do not scan it again"},
        {Decommission, S, "Done before", "", "", "", 0, kSupply, "", "decommissioned the pack a short time ago",
         "same pack"},
        {Recommission, S, "Done before", "", "", "", 0, kSupply, "", "recommissioned the pack", "same pack"},
        {Decommission, W, "Done before", "", "", "", 0, kSupply, "", "decommissioned the pack", "same pack"},
        {Decommission, ScanResultKind::Scanned, "Scanned", "", "", "", 0, kAgain, "", "on its way", "Wait"},
    };
    for (const GuideCase& c : cases) Check(c);
}

TEST(AnswerGuide, UnknownCodesGoByTheirStatusAndSaySo)
{
    const GuideCase cases[] = {
        {Decommission, E, "Error", "0", "NMVS_NC_PCK_23 Something new", "", 0, kDoNot, "NMVS_NC_PCK_23",
         "code NMVS_NC_PCK_23, which this program does not know", "Do not supply until"},
        {Verify, W, "Warning", "2", "NMVS_XX_99", "", 0, kAgain, "NMVS_XX_99",
         "code NMVS_XX_99, which this program does not know", "before you supply"},
        {Decommission, F, "Failed", "4", "NMVS_NC_PCK_02 Pack expired", "", 0, kAgain, "NMVS_NC_PCK_02",
         "status 4", "before you supply"},
        {Decommission, E, "Error", "0", "Refused", "for a reason", 0, kDoNot, "", "names no code",
         "Do not supply until"},
        {Verify, W, "Warning", "2", "Attention", "", 0, kAgain, "", "names no code", "before you supply"},
        {Decommission, F, "Failed", "", "", "", 0, kAgain, "", "No answer", "switch to Verify"},
        // A code with status 1 is still a code this program must read.
        {Verify, S, "Success", "1", "NMVS_NEW_01 Verified with a note", "", 0, kAgain, "NMVS_NEW_01",
         "added the code NMVS_NEW_01", "verify the pack"},
    };
    for (const GuideCase& c : cases) Check(c);
}

TEST(AnswerGuide, OwnDecommissionWithinTheUndoTimeIsOfferedBack)
{
    AnswerFacts facts;
    facts.mode = Decommission;
    facts.kind = ScanResultKind::Error;
    facts.statusText = "Error";
    facts.status = "0";
    facts.heading = "NMVS_NC_PCK_22 Pack already inactive";
    facts.body = "The pack has already been decommissioned as Supplied.";
    EXPECT_FALSE(ExplainAnswer(facts).undoOffered);
    facts.ownDecommissionDate = "2026-12-07";
    facts.ownDecommissionTime = "14:05";
    AnswerGuidance g = ExplainAnswer(facts);
    EXPECT_TRUE(g.undoOffered);
    EXPECT_TRUE(g.alert);
    EXPECT_EQ(g.nextStep, "Decommissioned here on 2026-12-07 at 14:05: undo it with Recommission, then supply it.");
    // Only a Decommission's refusal: a Verify changed nothing to undo.
    facts.mode = Verify;
    EXPECT_FALSE(ExplainAnswer(facts).undoOffered);
}

TEST(AnswerGuide, LogRowsAreNotExplained)
{
    AnswerFacts log;
    log.kind = ScanResultKind::Log;
    log.heading = "NMVS_NC_PC_02";
    EXPECT_FALSE(ExplainAnswer(log).explained);
}

TEST(AnswerGuide, TextsAreOneCompleteTable)
{
    for (int id = 0; id < static_cast<int>(GuideText::Count); ++id)
        EXPECT_STRNE(GuideString(static_cast<GuideText>(id)), "") << "text " << id;
    EXPECT_STREQ(VerdictWord(Verdict::AlertDoNotSupply), "Alert: do not supply");
    EXPECT_STREQ(VerdictWord(Verdict::AccountRefused), "Account refused");
}

}  // namespace
