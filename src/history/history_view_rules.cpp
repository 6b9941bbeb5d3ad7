// The History window's rules: durations, the undo check, columns and details.
#include "history/history_view_rules.h"

#include <optional>

#include "base/replace_all.h"
#include "base/string_format.h"
#include "base/text_catalog.h"
#include "base/text_escape.h"
#include "core/scan_result.h"
#include "guide/guide_texts.h"
#include "history/entry_guidance.h"
#include "history/past_successes.h"

namespace {

constexpr long long kDay = 24 * 60 * 60, kHour = 60 * 60;

std::time_t TimeOf(const HistoryEntry& entry) { return ParseUtcTime(entry.utcTime).value_or(0); }

std::string RowTimeText(const HistoryEntry& entry)
{
    std::string text = entry.localTime;
    if (text.size() > 10 && text[10] == 'T') text[10] = ' ';
    return text;
}

std::string Serial(const HistoryEntry& entry) { return entry.sn.empty() ? entry.readSerial : entry.sn; }

std::string HandledText(const HistoryEntry& entry)
{
    if (!entry.handled) return "";
    if (entry.handledNote.empty()) return Text(TextId::HistoryHandled);
    return Text(TextId::HistoryHandledNote) + entry.handledNote;
}

const char* KindName(int kind)
{
    static const char* const names[] = {"Log", "Scanned", "Failed", "Success", "Warning", "Error", "Waiting", "Held"};
    return kind >= 0 && kind < 8 ? names[kind] : "Unknown";
}

// Line breaks of a multi-line field as CR LF, so an edit control shows them.
std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

}  // namespace

std::string SearchBytes(const std::string& search)
{
    std::string bytes = search;
    ReplaceAll(bytes, "\\u001D", "\x1D");
    ReplaceAll(bytes, "\\u001d", "\x1D");
    return bytes;
}

std::string DurationText(long long seconds)
{
    if (seconds < 0) seconds = 0;
    long long days = seconds / kDay, hours = seconds % kDay / kHour, minutes = seconds % kHour / 60;
    if (days > 0) return StringPrintf(Text(days == 1 ? TextId::DurationDay : TextId::DurationDays), days, hours);
    if (hours > 0) return StringPrintf(Text(TextId::DurationHours), hours, minutes);
    return StringPrintf(Text(TextId::DurationMinutes), minutes);
}

std::string TimeLeftText(std::time_t decommissioned, std::time_t now)
{
    long long left = static_cast<long long>(decommissioned) + kUndoDays * kDay - static_cast<long long>(now);
    if (left <= 0) return Text(TextId::TimePassed);
    // A few seconds left still read "1 min left", not "0 min left".
    return StringPrintf(Text(TextId::TimeLeft), DurationText(left < kHour ? left + 59 : left).c_str());
}

UndoCheck CheckUndo(const HistoryEntry& entry, const std::string& account, std::time_t now, bool recommissionedSince)
{
    if (entry.kind != ScanResultKind::Success || entry.mode != Decommission || entry.statusText == "Done before")
        return {false, "Only a pack decommissioned here can be put back into stock."};
    if (recommissionedSince) return {false, "This pack has already been recommissioned."};
    std::time_t decommissioned = TimeOf(entry);
    if (decommissioned == 0 || now >= decommissioned + kUndoDays * kDay)
        return {false, "This pack was decommissioned more than 10 days ago. It can no longer be put back into stock."};
    if (entry.userName != account)
        return {false, "This pack was decommissioned by the account \"" + entry.userName +
                           "\". Only that account can put it back into stock: sign in with it in Settings first."};
    return {true, ""};
}

std::string ColumnWord(const std::string& column)
{
    static const struct {
        const char* name;
        TextId word;
    } kWords[] = {{"Date/Time", TextId::ColumnDateTime}, {"Status", TextId::ColumnStatus},
                  {"Mode", TextId::ColumnMode},          {"Serial", TextId::ColumnSerial},
                  {"Barcode", TextId::ColumnBarcode},    {"Time left", TextId::ColumnTimeLeft},
                  {"Age", TextId::ColumnAge},            {"Handled", TextId::ColumnHandled}};
    for (const auto& word : kWords)
        if (column == word.name) return Text(word.word);
    return column;
}

std::vector<std::string> ViewColumns(HistoryView view)
{
    switch (view) {
    case HistoryView::CanBeUndone: return {"Date/Time", "Time left", "Serial", "Barcode"};
    case HistoryView::Alerts: return {"Date/Time", "Age", "Status", "Mode", "Handled", "Barcode"};
    case HistoryView::AllScans: break;
    }
    return {"Date/Time", "Status", "Mode", "Serial", "Barcode"};
}

std::string CellText(HistoryView view, int column, const HistoryEntry& entry, std::time_t now)
{
    std::vector<std::string> header = ViewColumns(view);
    if (column < 0 || column >= static_cast<int>(header.size())) return "";
    const std::string& name = header[column];
    if (name == "Date/Time") return RowTimeText(entry);
    if (name == "Status") return StatusWord(entry.statusText);
    if (name == "Mode") return ModeWord(entry.mode);
    if (name == "Serial") return Serial(entry);
    if (name == "Time left") return TimeLeftText(TimeOf(entry), now);
    if (name == "Age") return DurationText(static_cast<long long>(now) - TimeOf(entry));
    if (name == "Handled") return HandledText(entry);
    return EscapeBarcode(entry.barcode);
}

std::string GuidanceText(const AnswerGuidance& guidance)
{
    if (!guidance.explained) return std::string();
    return Labelled(GuideString(GuideText::LabelVerdict), VerdictWord(guidance.verdict)) + "\r\n" +
           Labelled(GuideString(GuideText::LabelMeaning), guidance.meaning) + "\r\n" +
           Labelled(GuideString(GuideText::LabelNextStep), guidance.nextStep) + "\r\n\r\n";
}

std::vector<std::pair<const char*, std::string>> EntryFields(const HistoryEntry& e)
{
    return {{Text(TextId::FieldLocalTime), e.localTime},
            {Text(TextId::FieldUtcTime), e.utcTime},
            {Text(TextId::FieldSpoolKey), e.spoolKey},
            {Text(TextId::ColumnMode), ModeWord(e.mode)},
            {Text(TextId::ColumnBarcode), EscapeBarcode(e.barcode)},
            {Text(TextId::FieldStatusText), StatusWord(e.statusText)},
            {Text(TextId::FieldKind), StatusWord(KindName(e.kind))},
            {Text(TextId::ColumnStatus), e.status},
            {Text(TextId::FieldMessageHeading), ShownText(e.messageHeading)},
            {Text(TextId::FieldMessageBody), ShownText(e.messageBody)},
            {"PostTransactionID", e.postTransactionId},
            {"ReplyTransactionID", e.replyTransactionId},
            {Text(TextId::PackGtin), e.gtin},
            {Text(TextId::FieldLot), e.lot},
            {Text(TextId::FieldExp), e.exp},
            {Text(TextId::FieldSn), e.sn},
            {Text(TextId::FieldCurlExitCode), std::to_string(e.curlResult)},
            {Text(TextId::FieldUserName), e.userName},
            {Text(TextId::FieldComputer), e.computerName},
            {Text(TextId::FieldProgramVersion), e.programVersion},
            {Text(TextId::FieldReadFormat), e.readFormat},
            {Text(TextId::FieldReadProductCode), e.readProductCode},
            {Text(TextId::FieldReadBatch), e.readBatch},
            {Text(TextId::FieldReadExpiry), e.readExpiry},
            {Text(TextId::FieldReadSerial), e.readSerial},
            {Text(TextId::FieldReadFaults), ShownText(e.readFaults)},
            {Text(TextId::ColumnHandled), Text(e.handled ? TextId::FieldYes : TextId::FieldNo)},
            {Text(TextId::FieldHandledNote), e.handledNote}};
}

std::string DetailsText(const HistoryEntry& e, const HistoryEntry* own)
{
    std::string text = GuidanceText(GuidanceOfEntry(e, own));
    for (const auto& [name, value] : EntryFields(e)) text += Labelled(name, WithCrLf(value)) + "\r\n";
    return text;
}
