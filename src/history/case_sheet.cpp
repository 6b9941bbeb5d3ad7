// The case sheet's page.
#include "history/case_sheet.h"

#include <cctype>

#include "base/html_text.h"
#include "guide/guide_texts.h"
#include "history/history_view_rules.h"

namespace {

std::string Text(GuideText id) { return HtmlText(GuideString(id)); }

std::string Row(const std::string& name, const std::string& value)
{
    return "<tr><th>" + HtmlText(name) + "</th><td>" + HtmlText(value) + "</td></tr>\n";
}

std::string MimeType(const std::string& name)
{
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto endsWith = [&lower](const char* ending) {
        std::string tail(ending);
        return lower.size() >= tail.size() && lower.compare(lower.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (endsWith(".png")) return "image/png";
    if (endsWith(".gif")) return "image/gif";
    if (endsWith(".bmp")) return "image/bmp";
    return "image/jpeg";
}

const char kStyle[] =
    "<style>body{font-family:'Lucida Sans Unicode',Arial,sans-serif;font-size:11pt;margin:2em}"
    "h1{font-size:16pt}h2{font-size:13pt;border-bottom:1px solid #888;margin-top:1.4em}"
    "table{border-collapse:collapse}th,td{text-align:left;vertical-align:top;padding:2px 10px 2px 0}"
    "th{font-weight:bold}.verdict{font-size:13pt;font-weight:bold}"
    "figure{display:inline-block;margin:0 1em 1em 0}img{max-width:320px;max-height:320px;border:1px solid #888}"
    "</style>\n";

std::string CaseSection(const CaseSheetInput& in)
{
    const AlertCase& record = in.record;
    std::string html = "<h2>" + Text(GuideText::SheetCase) + "</h2>\n<table>\n";
    html += Row(GuideString(GuideText::SheetAlertId),
                record.alertId.empty() ? GuideString(GuideText::SheetNoAlertId) : record.alertId);
    html += Row(GuideString(GuideText::SheetState), CaseStateWord(record.state));
    html += Row(GuideString(GuideText::SheetDeadline), in.deadline);
    html += Row(GuideString(GuideText::SheetNote), record.note);
    html += "</table>\n<h2>" + Text(GuideText::SheetHistory) + "</h2>\n<table>\n<tr><th>" +
            Text(GuideText::SheetTime) + "</th><th>" + Text(GuideText::SheetUser) + "</th><th>" +
            Text(GuideText::SheetChange) + "</th><th></th></tr>\n";
    for (const CaseEvent& event : record.events)
        html += "<tr><td>" + HtmlText(event.localTime) + "</td><td>" + HtmlText(event.userName) + "</td><td>" +
                HtmlText(event.what) + "</td><td>" + HtmlText(event.value) + "</td></tr>\n";
    return html + "</table>\n";
}

}  // namespace

std::string CaseSheetHtml(const CaseSheetInput& in)
{
    std::string title = std::string(GuideString(GuideText::SheetTitle)) +
                        (in.record.alertId.empty() ? "" : " " + in.record.alertId);
    std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"windows-1252\"><title>" + HtmlText(title) +
                       "</title>\n" + kStyle + "</head><body>\n<h1>" + HtmlText(title) + "</h1>\n";
    html += "<h2>" + Text(GuideText::SheetAnswer) + "</h2>\n";
    if (in.guidance.explained)
        html += "<p class=\"verdict\">" + HtmlText(VerdictWord(in.guidance.verdict)) + "</p>\n<p>" +
                HtmlText(in.guidance.meaning) + "</p>\n<p><b>" + Text(GuideText::LabelNextStep) + ":</b> " +
                HtmlText(in.guidance.nextStep) + "</p>\n";
    html += CaseSection(in);
    html += "<h2>" + Text(GuideText::SheetScan) + "</h2>\n<table>\n";
    for (const auto& [name, value] : EntryFields(in.entry)) html += Row(name, value);
    html += "</table>\n";
    if (!in.photos.empty()) {
        html += "<h2>" + Text(GuideText::SheetPhotos) + "</h2>\n";
        for (const CasePhoto& photo : in.photos)
            html += "<figure><img src=\"data:" + MimeType(photo.name) + ";base64," + Base64(photo.bytes) +
                    "\" alt=\"" + HtmlText(photo.name) + "\"><figcaption>" + HtmlText(photo.name) +
                    "</figcaption></figure>\n";
    }
    return html + "</body></html>\n";
}
