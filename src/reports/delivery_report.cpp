// The delivery report's page and CSV.
#include "reports/delivery_report.h"

#include "base/html_text.h"
#include "history/entry_guidance.h"
#include "reports/report_page.h"

namespace {

std::string Title(const DeliveryRecord& delivery)
{
    return Filled(ReportText::DeliveryTitle, std::to_string(delivery.id));
}

std::vector<std::string> PackCells(const HistoryEntry& entry)
{
    PackFields pack = PackFieldsOf(entry);
    return {ShownTime(entry.localTime), pack.productCode, pack.batch, pack.expiry, pack.serial};
}

std::vector<std::string> PackColumns()
{
    return {ReportString(ReportText::ColumnTime), ReportString(ReportText::ColumnProduct),
            ReportString(ReportText::ColumnBatch), ReportString(ReportText::ColumnExpiry),
            ReportString(ReportText::ColumnSerial), ReportString(ReportText::ColumnVerdict)};
}

std::string DetailsTable(const DeliveryRecord& d)
{
    std::string html = "<table class=\"facts\">\n";
    const std::pair<ReportText, std::string> facts[] = {
        {ReportText::DeliverySupplier, d.supplier},
        {ReportText::DeliveryNote, d.noteNumber},
        {ReportText::DeliveryOpened, ShownTime(d.openedLocal) + (d.userName.empty() ? "" : ", " + d.userName)},
        {ReportText::DeliveryClosed,
         d.IsClosed() ? ShownTime(d.closedLocal) : ReportString(ReportText::DeliveryStillOpen)},
        {ReportText::ActivityComputer, d.computerName},
    };
    for (const auto& [name, value] : facts)
        html += "<tr><th>" + HtmlText(ReportString(name)) + "</th><td>" + HtmlText(value) + "</td></tr>\n";
    return html + "</table>\n";
}

std::string PutAsideTable(const DeliveryTally& tally)
{
    if (tally.putAside.empty()) return "<p>" + HtmlText(ReportString(ReportText::DeliveryNothingAside)) + "</p>\n";
    std::vector<std::string> columns = PackColumns();
    columns.push_back(ReportString(ReportText::ColumnReason));
    columns.push_back(ReportString(ReportText::ColumnNextStep));
    std::string html = "<table>\n" + HeaderRow(columns);
    for (const PutAsidePack& pack : tally.putAside) {
        std::vector<std::string> cells = PackCells(pack.entry);
        cells.insert(cells.end(), {pack.verdict, pack.reason, pack.nextStep});
        html += DataRow(cells, pack.verdict == VerdictWord(Verdict::AlertDoNotSupply) ? "alert" : "aside");
    }
    return html + "</table>\n";
}

std::string EveryPackTable(const std::vector<DeliveryScan>& scans)
{
    std::string html = "<table>\n" + HeaderRow(PackColumns());
    for (const DeliveryScan& scan : scans) {
        std::vector<std::string> cells = PackCells(scan.entry);
        AnswerGuidance guidance = GuidanceOfEntry(scan.entry);
        cells.push_back(scan.settled && guidance.explained ? VerdictWord(guidance.verdict)
                                                           : ReportString(ReportText::NotCheckedYet));
        html += DataRow(cells);
    }
    return html + "</table>\n";
}

}  // namespace

std::vector<std::pair<std::string, int>> TallyLines(const DeliveryTally& t)
{
    return {{ReportString(ReportText::TallyChecked), t.checked},
            {ReportString(ReportText::TallyMaySupply), t.maySupply},
            {ReportString(ReportText::TallyAlerts), t.alerts},
            {ReportString(ReportText::TallyNotToSupply), t.notToSupply},
            {ReportString(ReportText::TallyUnknownProduct), t.unknownProduct},
            {ReportString(ReportText::TallyShortDated), t.shortDated},
            {ReportString(ReportText::TallyTwice), t.twice},
            {ReportString(ReportText::TallyNotCheckedYet), t.notCheckedYet}};
}

std::string DeliveryReportHtml(const DeliveryReportInput& in)
{
    std::string html = PageStart(Title(in.delivery)) + DetailsTable(in.delivery);
    html += "<h2>" + HtmlText(ReportString(ReportText::DeliveryCounts)) + "</h2>\n<table class=\"facts\">\n";
    for (const auto& [name, count] : TallyLines(in.tally))
        html += "<tr><th>" + HtmlText(name) + "</th><td class=\"n\">" + std::to_string(count) + "</td></tr>\n";
    html += "</table>\n<h2>" + HtmlText(ReportString(ReportText::DeliveryPutAside)) + "</h2>\n" +
            PutAsideTable(in.tally);
    html += "<h2>" + HtmlText(ReportString(ReportText::DeliveryEveryPack)) + "</h2>\n" + EveryPackTable(in.scans);
    return html + "</body></html>\n";
}

std::string DeliveryReportCsv(const DeliveryReportInput& in, CodePageConverter toUtf8)
{
    std::vector<std::string> columns = {ReportString(ReportText::ActivityDelivery),
                                        ReportString(ReportText::DeliverySupplier),
                                        ReportString(ReportText::DeliveryNote)};
    for (const std::string& column : PackColumns()) columns.push_back(column);
    columns.insert(columns.end(), {ReportString(ReportText::ColumnReason), ReportString(ReportText::ColumnNextStep),
                                   ReportString(ReportText::DeliveryPutAside)});
    std::string csv = "\xEF\xBB\xBF";
    auto line = [&csv, toUtf8](const std::vector<std::string>& cells, CsvText source) {
        for (size_t i = 0; i < cells.size(); ++i) csv += (i ? "," : "") + CsvField(cells[i], source, toUtf8);
        csv += "\r\n";
    };
    line(columns, CsvText::Own);
    for (const DeliveryScan& scan : in.scans) {
        std::vector<std::string> cells = {std::to_string(in.delivery.id), in.delivery.supplier, in.delivery.noteNumber};
        for (const std::string& cell : PackCells(scan.entry)) cells.push_back(cell);
        AnswerGuidance guidance = GuidanceOfEntry(scan.entry);
        const bool known = scan.settled && guidance.explained;
        const std::string verdict = known ? VerdictWord(guidance.verdict) : ReportString(ReportText::NotCheckedYet);
        std::vector<std::string> said = {verdict, known ? guidance.meaning : "", known ? guidance.nextStep : "", ""};
        // A pack to put aside says why, as the list does.
        for (const PutAsidePack& pack : in.tally.putAside)
            if (pack.entry.spoolKey == scan.entry.spoolKey)
                said = {pack.verdict, pack.reason, pack.nextStep, ReportString(ReportText::CsvYes)};
        cells.insert(cells.end(), said.begin(), said.end());
        line(cells, CsvText::Own);
    }
    return csv;
}
