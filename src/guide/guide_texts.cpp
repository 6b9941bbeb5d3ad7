// The answer guide's English texts. "%s" marks where a code, a word, a date or
// a time goes; a translation keeps them in the same order.
#include "guide/guide_texts.h"

#include <cstddef>

namespace {

struct Entry {
    GuideText id;
    const char* text;
};

const char kCompare[] =
    "Do not supply. Compare the scanned code with the batch and serial number printed on the pack (Caps Lock, "
    "keyboard layout, a lost separator) and scan it again, with another scanner if you can. If it then passes, "
    "supply it; if the print matches, set the pack aside, marked, and contact the maker.";

// In GuideText's order: GuideString() relies on it and a test checks it.
const Entry kTexts[] = {
    {GuideText::VerdictSupply, "Supply"},
    {GuideText::VerdictAlert, "Alert: do not supply"},
    {GuideText::VerdictDoNotSupply, "Do not supply"},
    {GuideText::VerdictCheckAgain, "Check again"},
    {GuideText::VerdictAccountRefused, "Account refused"},
    {GuideText::LabelVerdict, "Verdict"},
    {GuideText::LabelMeaning, "Meaning"},
    {GuideText::LabelNextStep, "Next step"},
    {GuideText::WhatToDo, "What to do"},

    {GuideText::SerialUnknown, "The national system does not know this serial number, though it knows the product "
                               "and batch."},
    {GuideText::BatchUnknown, "The national system does not know this batch, and so not the serial number."},
    {GuideText::ExpiryDiffers, "The expiry date differs from the one the maker uploaded."},
    {GuideText::SerialUnderOtherBatch, "The serial number is known, but under another batch."},
    {GuideText::AlreadyInactive, "The pack is already inactive: it was decommissioned before (supplied, exported, "
                                 "a sample, destroyed ...)."},
    {GuideText::AlreadyInState, "The pack is already in the state asked for: the same transaction was repeated."},
    {GuideText::UndoDoesNotFit, "The undo does not fit the pack's state (for example an undo of a supply on a pack "
                                "marked as a sample)."},
    {GuideText::UndoTooLate, "The undo came too late: the pack was decommissioned more than 10 days ago and cannot "
                             "go back to stock."},
    {GuideText::UndoOtherSite, "The undo was refused: another user or site decommissioned the pack."},
    {GuideText::InactiveOtherState, "The pack is inactive in another state than the one asked for (for example a "
                                    "sample, then a supply)."},
    {GuideText::ProductUnknown, "No national system knows this product code."},
    {GuideText::SuppliedHereBefore, "This pack was already supplied at this location."},
    {GuideText::Malformed, "The request was refused as malformed (for example an expiry date not written YYMMDD)."},
    {GuideText::SystemUnavailable, "The national system is not available (maintenance or an outage)."},
    {GuideText::PasswordRefused, "The service refused the pharmacy's account name or password."},
    {GuideText::AccountLocked, "The pharmacy's account is locked after too many refused attempts."},
    {GuideText::NoAlertRaised, "No alert was raised for it."},

    {GuideText::NextCompareCode, kCompare},
    {GuideText::NextCompareExpiry, "Do not supply. Compare the expiry date with the print; a typed date is YYMMDD "
                                   "(the last day of the month when only the month is printed). If the pack "
                                   "matches, set it aside, marked, and contact the maker."},
    {GuideText::NextVerifyUndoOwn, "Do not supply yet. Verify the pack to see its state. If this pharmacy "
                                   "decommissioned it within the last 10 days, undo that with Recommission, then "
                                   "supply it. Otherwise set it aside, marked \"do not supply\", and investigate."},
    {GuideText::NextUndoSameKind, "Do not supply yet. Verify the pack to see its state: an undo must be the same "
                                  "kind of transaction as the original."},
    {GuideText::NextUndoTooLate, "Do not supply. Find out who decommissioned the pack and when, and contact the "
                                 "national organisation."},
    {GuideText::NextUndoOtherSite, "Do not supply. Set the pack aside, marked, and contact the supplier, the maker "
                                   "or the national organisation."},
    {GuideText::NextVerifyUndoOrSetAside, "Do not supply yet. Verify the pack. If this pharmacy made the earlier "
                                          "change within 10 days, undo it; otherwise set the pack aside, marked, "
                                          "and investigate."},
    {GuideText::NextProductUnknown, "Check that the pack falls under the verification rules and was bought in the "
                                    "EU; ask the supplier before you supply it."},
    {GuideText::NextSuppliedHereBefore, "Do not supply it again. If this pharmacy's earlier supply was a mistake "
                                        "within 10 days, undo it with Recommission; a third attempt raises an "
                                        "alert."},
    {GuideText::NextMalformed, "Do not send it again as it is: scan the pack with the scanner instead of typing, "
                               "and check its expiry date. Call support if it happens again."},
    {GuideText::NextSystemUnavailable, "If nothing else about the pack is suspicious, supply it after a careful "
                                       "look and note it; send it again when the system is back. Do not "
                                       "decommission it twice."},
    {GuideText::NextPasswordRefused, "Stop scanning. Correct the password in Settings before the account locks; "
                                     "it may have been changed on another computer."},
    {GuideText::NextAccountLocked, "Call the national organisation's service desk: only they can unlock the "
                                   "account."},
    {GuideText::NextUndoOwnDecommission, "Decommissioned here on %s at %s: undo it with Recommission, then supply "
                                         "it."},

    {GuideText::StateInactiveAs, "The pack is inactive: it was decommissioned as %s."},
    {GuideText::StateLocked, "The pack is locked in the national system."},
    {GuideText::StateDestroyed, "The pack was reported destroyed."},
    {GuideText::StateStolen, "The pack was reported stolen."},
    {GuideText::StateRecalled, "The pack's batch has been recalled."},
    {GuideText::StateWithdrawn, "The product has been withdrawn."},
    {GuideText::StateExpired, "The pack has expired."},
    {GuideText::NextInactiveAs, "Do not supply. If this pharmacy decommissioned it by mistake within the last 10 "
                                "days, undo that with Recommission, then supply it; otherwise set it aside, "
                                "marked, and investigate."},
    {GuideText::NextLocked, "Do not supply. Set the pack aside, marked, and contact the supplier or the maker."},
    {GuideText::NextDestroyedOrStolen, "Do not supply. Set the pack aside, marked, and contact the national "
                                       "organisation: it may be a falsification."},
    {GuideText::NextRecalledOrWithdrawn, "Do not supply. Put the pack aside and return it as the recall notice "
                                         "says; it can never be put back into stock."},
    {GuideText::NextExpired, "Do not supply and do not decommission it: take it out of stock as expired."},

    {GuideText::VerifiedActive, "The pack is active: the national system knows it and it has not been supplied."},
    {GuideText::Decommissioned, "The pack is decommissioned: the national system now shows it as supplied."},
    {GuideText::Recommissioned, "The pack is active again."},
    {GuideText::NextSupply, "Supply it; decommission it when it is handed out."},
    {GuideText::NextHandOut, "Hand it out."},
    {GuideText::NextSupplyAfterRecommission, "It may be supplied; decommission it again when it is handed out."},

    {GuideText::UnknownCodeError, "The service refused the request with the code %s, which this program does not "
                                  "know."},
    {GuideText::UnknownCodeWarning, "The service warned with the code %s, which this program does not know."},
    {GuideText::UnknownCodeSuccess, "The service accepted the request but added the code %s, which this program "
                                    "does not know."},
    {GuideText::UnknownStatus, "The service answered with the status %s, which this program does not know."},
    {GuideText::NoCodeError, "The service refused the request; its answer names no code this program knows."},
    {GuideText::NoCodeWarning, "The service warned about the pack; its answer names no code this program knows."},
    {GuideText::NextUnknownError, "Do not supply until the message is understood: read the service's message and "
                                  "verify the pack; call support if it stays unclear."},
    {GuideText::NextUnknownWarning, "Read the service's message and verify the pack before you supply it."},

    {GuideText::NotReached, "The service was not reached: the request did not leave this computer."},
    {GuideText::AnswerLost, "The request may have reached the service, but its answer was lost."},
    {GuideText::IdentityUnconfirmed, "The service's identity could not be confirmed, so nothing was sent."},
    {GuideText::CurlNotStarted, "The program could not start curl.exe, so nothing was sent."},
    {GuideText::RequestFailed, "The request failed (%s) before an answer came."},
    {GuideText::NotUnderstood, "The service's answer could not be understood: it held no pack status."},
    {GuideText::NoAnswer, "No answer from the service was recorded for this scan."},
    {GuideText::Held, "The code looked damaged or misread, so the scan was not sent."},
    {GuideText::NotSent, "The scan was held and, as chosen at the counter, not sent."},
    {GuideText::Waiting, "The service could not be reached: the scan is kept and goes out when the service "
                         "answers."},
    {GuideText::DoneBeforeDecommission, "This counter decommissioned the pack a short time ago, so it was not sent "
                                        "again."},
    {GuideText::DoneBeforeRecommission, "This counter recommissioned the pack a short time ago, so it was not sent "
                                        "again."},
    {GuideText::OnItsWay, "The scan is on its way to the service."},
    {GuideText::NextScanAgainNothingChanged, "Nothing changed at the national system. Check the network "
                                             "connection, then scan the pack again."},
    {GuideText::NextVerifyFirst, "Do not scan it again in this mode: switch to Verify and scan the pack to see its "
                                 "state first."},
    {GuideText::NextScanAgain, "Scan the pack again; if it happens again, call support."},
    {GuideText::NextCheckClock, "Check the computer's date and time, then call support."},
    {GuideText::NextReinstall, "Reinstall the program or call support, then scan the pack again."},
    {GuideText::NextHeld, "Scan the pack again. Choose Send anyway only when the pack's code really reads like "
                          "this."},
    {GuideText::NextNotSent, "Scan the pack again if it still has to be checked."},
    {GuideText::NextWaiting, "Do not scan it again. If nothing about the pack is suspicious, it may be supplied "
                             "after a careful look; this row shows the answer when it comes."},
    {GuideText::NextDoneBefore, "Nothing more to send: check that it is the same pack as before."},
    {GuideText::NextWaitForAnswer, "Wait for the answer in this row."},

    {GuideText::CaseOpen, "Open"},
    {GuideText::CaseSetAside, "Set aside"},
    {GuideText::CaseResolvedOwnError, "Resolved: own scan error"},
    {GuideText::CaseResolvedCleared, "Resolved: cleared and supplied"},
    {GuideText::CaseReported, "Reported to the authority"},
    {GuideText::CaseReturned, "Returned"},
    {GuideText::CaseClosed, "Closed"},
    {GuideText::CaseTimeLeft, "%s left"},
    {GuideText::CaseOverdue, "Overdue by %s"},

    {GuideText::SheetTitle, "Alert case"},
    {GuideText::SheetAnswer, "What the answer means"},
    {GuideText::SheetScan, "The scan"},
    {GuideText::SheetCase, "The case"},
    {GuideText::SheetHistory, "Case history"},
    {GuideText::SheetPhotos, "Photos of the pack"},
    {GuideText::SheetAlertId, "Alert ID"},
    {GuideText::SheetState, "State"},
    {GuideText::SheetDeadline, "Deadline"},
    {GuideText::SheetNote, "Note"},
    {GuideText::SheetTime, "Time"},
    {GuideText::SheetUser, "User"},
    {GuideText::SheetChange, "Change"},
    {GuideText::SheetNoAlertId, "none given"},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<size_t>(GuideText::Count),
              "every guide text has its entry");

}  // namespace

const char* GuideString(GuideText id)
{
    auto index = static_cast<size_t>(id);
    if (index >= sizeof kTexts / sizeof kTexts[0] || kTexts[index].id != id) return "";
    return kTexts[index].text;
}
