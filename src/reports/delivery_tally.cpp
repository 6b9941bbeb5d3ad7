// The tally's rules.
#include "reports/delivery_tally.h"

#include <map>

#include "core/scan_result.h"
#include "history/entry_guidance.h"
#include "packcode/pack_code.h"
#include "reports/report_page.h"

namespace {

const char kUnknownProductCode[] = "NMVS_NC_PC_01";

enum class Group { MaySupply, Alert, NotToSupply, UnknownProduct, NotCheckedYet };

struct Pack {
    const DeliveryScan* latest = nullptr;
    bool answeredBefore = false;  // an earlier scan got a certain answer
    bool twice = false;
};

bool IsCertain(const AnswerGuidance& guidance)
{
    const Verdict v = guidance.verdict;
    return guidance.explained && (v == Verdict::Supply || v == Verdict::AlertDoNotSupply || v == Verdict::DoNotSupply);
}

// The same pack: its product code and serial as read, or else its bytes.
std::string PackKey(const HistoryEntry& entry)
{
    PackFields fields = PackFieldsOf(entry);
    if (fields.serial.empty()) return "#" + entry.barcode;
    return fields.productCode + '\x1f' + fields.serial;
}

Group GroupOf(const DeliveryScan& scan, const AnswerGuidance& guidance)
{
    if (!scan.settled || !guidance.explained) return Group::NotCheckedYet;
    switch (guidance.verdict) {
    case Verdict::Supply: return Group::MaySupply;
    case Verdict::AlertDoNotSupply: return Group::Alert;
    case Verdict::DoNotSupply: return guidance.code == kUnknownProductCode ? Group::UnknownProduct : Group::NotToSupply;
    case Verdict::CheckAgain:
    case Verdict::AccountRefused: break;
    }
    return Group::NotCheckedYet;
}

void Count(DeliveryTally& tally, Group group)
{
    int* counters[] = {&tally.maySupply, &tally.alerts, &tally.notToSupply, &tally.unknownProduct,
                       &tally.notCheckedYet};
    ++*counters[static_cast<int>(group)];
}

// What the list says of a pack, or nothing when it may simply be supplied.
std::optional<PutAsidePack> AsideOf(const Pack& pack, Group group, const AnswerGuidance& guidance, bool shortDated)
{
    PutAsidePack aside;
    aside.entry = pack.latest->entry;
    if (group == Group::NotCheckedYet && !pack.latest->settled) {
        aside.verdict = ReportString(ReportText::NotCheckedYet);
        aside.reason = pack.latest->entry.statusText.empty() ? ReportString(ReportText::ReasonWaiting)
                                                             : StatusWord(pack.latest->entry.statusText);
        aside.nextStep = ReportString(ReportText::NotCheckedYet);
        if (guidance.explained) aside.nextStep = guidance.nextStep;
        return aside;
    }
    aside.verdict = VerdictWord(guidance.verdict);
    aside.reason = guidance.meaning;
    aside.nextStep = guidance.nextStep;
    if (group != Group::MaySupply) return aside;
    if (pack.twice) {
        aside.reason = ReportString(ReportText::ReasonTwice);
        aside.nextStep = ReportString(ReportText::NextTwice);
        return aside;
    }
    if (!shortDated) return std::nullopt;
    std::optional<CalendarDate> last = LastDayOfUse(PackFieldsOf(aside.entry).expiry);
    aside.reason = Filled(ReportText::ReasonShortDated, last ? IsoDate(*last) : PackFieldsOf(aside.entry).expiry);
    aside.nextStep = ReportString(ReportText::NextShortDated);
    return aside;
}

}  // namespace

PackFields PackFieldsOf(const HistoryEntry& entry)
{
    if (!entry.readFormat.empty()) return {entry.readProductCode, entry.readBatch, entry.readExpiry, entry.readSerial};
    PackCodeReading reading = ReadPackCode(entry.barcode);
    return {reading.ProductCode(), reading.batch, reading.expiry, reading.serial};
}

bool IsShortDated(std::string_view yymmdd, const std::optional<CalendarDate>& today, long months)
{
    std::optional<CalendarDate> last = LastDayOfUse(yymmdd);
    if (!today || !last || *last < *today || months <= 0) return false;
    long monthIndex = today->year * 12L + (today->month - 1) + months;
    CalendarDate limit{static_cast<int>(monthIndex / 12), static_cast<int>(monthIndex % 12) + 1, today->day};
    // 31 January and one month: the limit is the last day of February.
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int lastDay = kDays[limit.month - 1];
    if (limit.month == 2 && (limit.year % 4 == 0 && (limit.year % 100 != 0 || limit.year % 400 == 0))) lastDay = 29;
    if (limit.day > lastDay) limit.day = lastDay;
    return !(limit < *last);
}

DeliveryTally TallyDelivery(const std::vector<DeliveryScan>& scans, const std::optional<CalendarDate>& today,
                            long shortDatedMonths)
{
    std::map<std::string, Pack> packs;
    std::vector<std::string> order;
    for (const DeliveryScan& scan : scans) {
        std::string key = PackKey(scan.entry);
        auto [found, isNew] = packs.try_emplace(key);
        Pack& pack = found->second;
        if (isNew) order.push_back(key);
        if (pack.latest) {
            const bool certain = pack.latest->settled && IsCertain(GuidanceOfEntry(pack.latest->entry));
            pack.answeredBefore = pack.answeredBefore || certain;
            pack.twice = pack.twice || pack.answeredBefore;
        }
        pack.latest = &scan;
    }
    DeliveryTally tally;
    for (const std::string& key : order) {
        const Pack& pack = packs[key];
        AnswerGuidance guidance = GuidanceOfEntry(pack.latest->entry);
        Group group = GroupOf(*pack.latest, guidance);
        bool shortDated = IsShortDated(PackFieldsOf(pack.latest->entry).expiry, today, shortDatedMonths);
        ++tally.checked;
        Count(tally, group);
        tally.shortDated += shortDated ? 1 : 0;
        tally.twice += pack.twice ? 1 : 0;
        if (std::optional<PutAsidePack> aside = AsideOf(pack, group, guidance, shortDated))
            tally.putAside.push_back(*aside);
    }
    return tally;
}
