// The worker's decisions for a scan: what goes first, what an exchange's
// result leads to, what a Verify sent first decides, and what a settled
// outcome says of its pack.
#include <gtest/gtest.h>

#include "verify/scan_route.h"
#include "verify/uncertain_packs.h"

namespace {

const char kItemReply[] =
    R"({"$type":"API.Verify.Response, TembrelQuorvixFMDCore","Item":{"$type":"GS1.ItemStatus, TembrelQuorvixFMDCore","Status":1},"Success":true})";

ScanSituation Scan(int32_t mode, bool keepScans = false, bool kept = false)
{
    ScanSituation scan;
    scan.mode = mode;
    scan.keepScans = keepScans;
    scan.kept = kept;
    return scan;
}

std::string Describe(const ScanSituation& s)
{
    return "mode " + std::to_string(s.mode) + (s.hasRequest ? "" : " no-request") + (s.holdFaults ? " faults" : "") +
           (s.approved ? " approved" : "") + (s.kept ? " kept" : "") + (s.keepScans ? " keep-on" : "") +
           (s.outage ? " outage" : "") + (s.doneBefore ? " done-before" : "") +
           (s.mayHaveArrived ? " may-have-arrived" : "") + (s.packUncertain ? " pack-uncertain" : "") +
           (s.accountRefused ? " account-refused" : "");
}

TEST(ScanRoute, FirstSteps)
{
    auto with = [](ScanSituation s, auto change) {
        change(s);
        return s;
    };
    const struct {
        ScanSituation scan;
        FirstStep expected;
    } cases[] = {
        {Scan(Decommission), FirstStep::Send},
        {Scan(Verify), FirstStep::Send},
        {with(Scan(Decommission), [](ScanSituation& s) { s.holdFaults = true; }), FirstStep::Hold},
        {with(Scan(Decommission), [](ScanSituation& s) { s.holdFaults = s.approved = true; }), FirstStep::Send},
        // A request an ended program left may have arrived: too late to hold.
        {with(Scan(Decommission), [](ScanSituation& s) { s.holdFaults = s.mayHaveArrived = true; }), FirstStep::VerifyFirst},
        {with(Scan(Decommission, true), [](ScanSituation& s) { s.outage = true; }), FirstStep::Queue},
        {with(Scan(Decommission, false), [](ScanSituation& s) { s.outage = true; }), FirstStep::Send},
        {with(Scan(Decommission, true, true), [](ScanSituation& s) { s.outage = true; }), FirstStep::Send},
        {with(Scan(3), [](ScanSituation& s) { s.hasRequest = false; }), FirstStep::RefuseMode},
        {with(Scan(Decommission), [](ScanSituation& s) { s.doneBefore = true; }), FirstStep::StopDoneBefore},
        // The left request decides whatever the switches.
        {with(Scan(Decommission), [](ScanSituation& s) { s.mayHaveArrived = true; }), FirstStep::VerifyFirst},
        {with(Scan(Recommission), [](ScanSituation& s) { s.mayHaveArrived = true; }), FirstStep::VerifyFirst},
        {with(Scan(Verify), [](ScanSituation& s) { s.mayHaveArrived = true; }), FirstStep::Send},
        {with(Scan(Decommission), [](ScanSituation& s) { s.packUncertain = true; }), FirstStep::VerifyFirst},
        {with(Scan(Verify), [](ScanSituation& s) { s.packUncertain = true; }), FirstStep::Send},
        {with(Scan(Decommission, true, true), [](ScanSituation& s) { s.mayHaveArrived = true; }), FirstStep::VerifyFirst},
        // A refused password is not sent again: every new scan waits, a Verify too.
        {with(Scan(Decommission, true), [](ScanSituation& s) { s.accountRefused = true; }), FirstStep::Queue},
        {with(Scan(Verify, true), [](ScanSituation& s) { s.accountRefused = true; }), FirstStep::Queue},
        {with(Scan(Decommission, true), [](ScanSituation& s) { s.accountRefused = s.holdFaults = true; }), FirstStep::Hold},
    };
    for (const auto& c : cases) EXPECT_EQ(FirstStepFor(c.scan), c.expected) << Describe(c.scan);
}

TEST(ScanRoute, ExchangeResultsFromExitCodesAndReplies)
{
    const struct {
        int code;
        std::string reply;
        ExchangeResult expected;
    } cases[] = {
        {0, kItemReply, ExchangeResult::Answered},
        {0, R"({"Success":false,"Message":"Unknown account or wrong password"})", ExchangeResult::NoItemStatus},
        {0, "<html><title>502 Bad Gateway</title></html>", ExchangeResult::ErrorPage},
        {0, "", ExchangeResult::ErrorPage},
        {0, "  \r\n<!DOCTYPE html>", ExchangeResult::ErrorPage},
        {5, "", ExchangeResult::NeverSent},       {6, "", ExchangeResult::NeverSent},
        {7, "", ExchangeResult::NeverSent},       {35, "", ExchangeResult::NeverSent},
        {18, "", ExchangeResult::MayHaveArrived}, {23, "", ExchangeResult::MayHaveArrived},
        {28, "", ExchangeResult::MayHaveArrived}, {52, "", ExchangeResult::MayHaveArrived},
        {55, "", ExchangeResult::MayHaveArrived}, {56, "", ExchangeResult::MayHaveArrived},
        {63, "", ExchangeResult::MayHaveArrived}, {-1, "", ExchangeResult::NotSent},
        {3, "", ExchangeResult::NotSent},         {60, "", ExchangeResult::NotSent},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadExchange(c.code, c.reply), c.expected) << c.code << " \"" << c.reply << '"';
}

TEST(ScanRoute, AfterAnExchangeAChangeThatMayHaveHappenedIsNeverSettledAsCertain)
{
    using R = ExchangeResult;
    using A = AfterExchange;
    const struct {
        ScanSituation scan;
        R result;
        bool uncertainBefore;
        A expected;
    } cases[] = {
        // Switch off: the row shows what came, the doubt is remembered.
        {Scan(Decommission), R::Answered, false, A::Settle},
        {Scan(Decommission), R::MayHaveArrived, false, A::SettleUncertain},
        {Scan(Decommission), R::NoItemStatus, false, A::SettleUncertain},
        {Scan(Decommission), R::ErrorPage, false, A::SettleUncertain},
        {Scan(Decommission), R::NeverSent, false, A::Settle},
        {Scan(Decommission), R::NeverSent, true, A::SettleUncertain},
        {Scan(Decommission), R::NotSent, false, A::Settle},
        {Scan(Recommission), R::MayHaveArrived, false, A::SettleUncertain},
        {Scan(Verify), R::MayHaveArrived, false, A::Settle},
        {Scan(Verify), R::NoItemStatus, false, A::Settle},
        // Switch on: outages wait; a change that may have happened waits marked.
        {Scan(Decommission, true), R::Answered, false, A::Settle},
        {Scan(Decommission, true), R::NeverSent, false, A::Wait},
        {Scan(Decommission, true), R::MayHaveArrived, false, A::WaitUncertain},
        {Scan(Decommission, true), R::NoItemStatus, false, A::WaitUncertain},
        {Scan(Decommission, true), R::ErrorPage, false, A::WaitUncertain},
        {Scan(Decommission, true), R::NotSent, false, A::Settle},
        {Scan(Verify, true), R::ErrorPage, false, A::Wait},
        {Scan(Verify, true), R::NoItemStatus, false, A::Settle},
        // A kept scan settles only on an answer, even with the switch since off.
        {Scan(Decommission, true, true), R::NoItemStatus, true, A::WaitUncertain},
        {Scan(Decommission, false, true), R::NotSent, false, A::Wait},
        {Scan(Verify, true, true), R::NoItemStatus, false, A::Wait},
        {Scan(Decommission, true, true), R::Answered, true, A::Settle},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AfterSending(c.scan, c.result, c.uncertainBefore), c.expected)
            << Describe(c.scan) << ", result " << static_cast<int>(c.result) << ", before " << c.uncertainBefore;
}

TEST(ScanRoute, TheVerifySentFirstDecidesByThePackState)
{
    using R = ExchangeResult;
    const struct {
        ScanSituation scan;
        R result;
        const char* status;
        const char* heading;
        AfterCheck expected;
    } cases[] = {
        {Scan(Decommission), R::Answered, "1", "Pack verified", AfterCheck::Send},
        {Scan(Decommission), R::Answered, "2", "NMVS_NC_PCK_22 Pack is inactive (Supplied)", AfterCheck::DoneBefore},
        {Scan(Decommission), R::Answered, "2", "NMVS_NC_PCK_22 Pack is inactive (Destroyed)", AfterCheck::ShowCheck},
        {Scan(Decommission), R::Answered, "2", "NMVS_NC_PCK_02 Pack expired", AfterCheck::ShowCheck},
        {Scan(Decommission), R::Answered, "0", "NMVS_NC_PC_02 Unknown serial number", AfterCheck::ShowCheck},
        // "Supplied" elsewhere in the text says nothing of the pack's state.
        {Scan(Decommission), R::Answered, "2", "NMVS_FE_LOT_03 Batch Supplied does not match", AfterCheck::ShowCheck},
        {Scan(Recommission), R::Answered, "2", "NMVS_NC_PCK_22 Pack is inactive (Supplied)", AfterCheck::Send},
        {Scan(Recommission), R::Answered, "1", "Pack verified", AfterCheck::DoneBefore},
        {Scan(Recommission), R::Answered, "2", "NMVS_NC_PCK_22 Pack is inactive (Stolen)", AfterCheck::ShowCheck},
        // No answer: a kept scan waits on, any other shows the failure.
        {Scan(Decommission), R::MayHaveArrived, "", "", AfterCheck::ShowFailure},
        {Scan(Decommission), R::NoItemStatus, "3", "", AfterCheck::ShowFailure},
        {Scan(Decommission), R::NeverSent, "", "", AfterCheck::ShowFailure},
        {Scan(Decommission, true), R::NeverSent, "", "", AfterCheck::Wait},
        {Scan(Decommission, false, true), R::NoItemStatus, "3", "", AfterCheck::Wait},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AfterVerifyFirst(c.scan, c.result, c.status, c.heading, ""), c.expected)
            << Describe(c.scan) << ": " << c.heading;
}

TEST(ScanRoute, WhatASettledOutcomeSaysOfItsPack)
{
    constexpr int32_t kSuccess = ScanResultKind::Success, kFailed = ScanResultKind::Failed,
                      kWarning = ScanResultKind::Warning, kHeld = ScanResultKind::Held;
    const struct {
        int32_t mode, kind;
        const char* statusText;
        const char* status;
        const char* heading;
        int curl;
        PackNews expected;
    } cases[] = {
        {Decommission, kSuccess, "Success", "1", "Pack decommissioned", 0, PackNews::Settled},
        {Decommission, kWarning, "Done before", "2", "NMVS_NC_PCK_22 Pack is inactive (Supplied)", 0, PackNews::Settled},
        {Decommission, kSuccess, "Done before", "", "", 0, PackNews::None},  // the guard's: nothing sent
        {Decommission, kFailed, "Failed", "", "Request failed due to RECV ERROR", 56, PackNews::Uncertain},
        {Decommission, kFailed, "Failed", "", "Request failed due to PARTIAL FILE", 18, PackNews::Uncertain},
        {Decommission, kFailed, "Invalid", "3", "", 0, PackNews::Uncertain},
        {Decommission, kFailed, "Failed", "", "Request failed due to COULDNT CONNECT", 7, PackNews::None},
        {Decommission, kFailed, "Failed", "", "Checked first: Request failed due to COULDNT CONNECT", 7,
         PackNews::Uncertain},
        {Recommission, kFailed, "Failed", "", "Request failed due to GOT NOTHING", 52, PackNews::Uncertain},
        {Decommission, kHeld, "Not sent", "", "", 0, PackNews::None},
        {Verify, kFailed, "Failed", "", "Request failed due to RECV ERROR", 56, PackNews::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NewsOfOutcome(c.mode, c.kind, c.statusText, c.status, c.heading, c.curl), c.expected)
            << c.mode << " " << c.statusText << " " << c.heading;
}

TEST(ScanRoute, APackStaysUncertainUntilAnswersOrTenDaysPass)
{
    const std::string pack = "\x1d" "0104150199999996" "21SERIAL1" "\x1d" "10B1" "\x1d" "17271231";
    const std::string samePackOtherOrder = "\x1d" "0104150199999996" "10B1" "\x1d" "17271231" "21SERIAL1";
    UncertainPacks packs;
    packs.Note(PackNews::Uncertain, pack, 1000);
    EXPECT_TRUE(packs.IsUncertain(samePackOtherOrder, 1000 + 9 * 86400));
    EXPECT_FALSE(packs.IsUncertain(pack, 1000 + 10 * 86400));
    packs.Note(PackNews::None, pack, 2000);
    EXPECT_TRUE(packs.IsUncertain(pack, 2000));
    packs.Note(PackNews::Settled, samePackOtherOrder, 3000);
    EXPECT_FALSE(packs.IsUncertain(pack, 3000));
}

}  // namespace
