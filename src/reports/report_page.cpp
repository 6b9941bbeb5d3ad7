// The pages' shared parts.
#include "reports/report_page.h"

#include "base/html_text.h"
#include "history/csv_target_file.h"

namespace {

const char kStyle[] =
    "<style>body{font-family:'Lucida Sans Unicode',Arial,sans-serif;font-size:10pt;margin:2em;color:#222}"
    "h1{font-size:16pt;margin-bottom:.3em}h2{font-size:12pt;border-bottom:1px solid #888;margin-top:1.4em}"
    "table{border-collapse:collapse;margin-bottom:.6em}"
    "th,td{text-align:left;vertical-align:top;padding:2px 10px 2px 0}"
    "td.n,th.n{text-align:right}td{white-space:nowrap}td.w{white-space:normal;min-width:16em}tr.alert td{color:#a00000;font-weight:bold}tr.aside td{color:#8a4b00}"
    ".facts th{font-weight:bold;padding-right:1.5em}"
    "@media print{body{margin:0}h2{page-break-after:avoid}tr{page-break-inside:avoid}}"
    "</style>\n";

// Shorter texts (times, codes, numbers) stay on one line; longer ones wrap.
constexpr size_t kLongestUnwrapped = 40;

std::string Cells(const char* tag, const std::vector<std::string>& cells)
{
    std::string row;
    for (const std::string& cell : cells) {
        // A cell starting with '#' is a number: right-aligned, shown without it.
        bool number = !cell.empty() && cell[0] == '#';
        const char* kind = number ? " class=\"n\">" : cell.size() > kLongestUnwrapped ? " class=\"w\">" : ">";
        row += std::string("<") + tag + kind + HtmlText(number ? cell.substr(1) : cell) + "</" + tag + ">";
    }
    return row;
}

}  // namespace

std::string PageStart(const std::string& title)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"windows-1252\"><title>" + HtmlText(title) + "</title>\n" +
           kStyle + "</head><body>\n<h1>" + HtmlText(title) + "</h1>\n";
}

std::string HeaderRow(const std::vector<std::string>& cells) { return "<tr>" + Cells("th", cells) + "</tr>\n"; }

std::string DataRow(const std::vector<std::string>& cells, const std::string& rowClass)
{
    return (rowClass.empty() ? "<tr>" : "<tr class=\"" + rowClass + "\">") + Cells("td", cells) + "</tr>\n";
}

std::string ShownTime(const std::string& isoTime)
{
    std::string shown = isoTime.substr(0, 16);
    if (shown.size() > 10) shown[10] = ' ';
    return shown;
}

std::string Filled(ReportText format, const std::string& value)
{
    std::string text = ReportString(format);
    size_t at = text.find("%s");
    return at == std::string::npos ? text : text.replace(at, 2, value);
}

bool WriteReportFile(const std::string& path, const std::string& bytes, const CsvFileSystem& system,
                     std::string& reason)
{
    if (IsDeviceName(path)) {
        reason = "\"" + path + "\" names a device, not a file";
        return false;
    }
    CsvTargetFile file(path, system);
    if (file.Begin() && file.Write(bytes) && file.Commit()) return true;
    reason = "the file \"" + path + "\" cannot be written";
    return false;
}
