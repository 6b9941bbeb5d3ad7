// The scan history as CSV: fields, rows and the export of a date range.
#include "history/history_csv.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <iterator>

#include "base/string_format.h"
#include "base/text_catalog.h"
#include "base/text_escape.h"
#include "history/csv_target_file.h"
#include "history/alert_case.h"
#include "history/entry_guidance.h"
#include "history/sqlite_statement.h"

namespace {

// Control bytes in text from the service, as "&#n;"; line breaks stay.
std::string EscapeControls(const std::string& text)
{
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\r' && c != '\n' && c != '\t') || byte == 0x7F)
            out += StringPrintf("&#%d;", byte);
        else
            out += c;
    }
    return out;
}

// A spreadsheet takes a cell starting with one of these as a formula, also
// after blanks (and a quote a reader drops).
bool StartsFormula(const std::string& text, size_t from)
{
    size_t first = text.find_first_not_of(" \"", from);
    return first != std::string::npos && std::strchr("=+-@\t\r", text[first]) && text[first] != '\0';
}

// A quote mark before every piece that could start a formula: the field's
// start, and every piece after a ';' or TAB (a spreadsheet set to split on
// them sees a new cell there) or a line break (a new row to one that takes
// the quoted field apart).
std::string GuardFormulas(const std::string& text)
{
    std::string out;
    bool pieceStarts = true;
    for (size_t i = 0; i < text.size(); ++i) {
        if (pieceStarts && StartsFormula(text, i)) out += '\'';
        pieceStarts = text[i] == ';' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n';
        out += text[i];
    }
    return out;
}

// The length of the UTF-8 sequence at `i`, or 0 when none starts there.
size_t Utf8SequenceAt(const std::string& text, size_t i)
{
    auto byte = [&text](size_t at) { return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u; };
    unsigned lead = byte(i);
    if (lead < 0x80) return 1;
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    else return 0;
    for (size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    unsigned second = byte(i + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||  // overlong, surrogate
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))  // overlong, beyond U+10FFFF
        return 0;
    return length;
}

const char* ModeName(int mode)
{
    static const char* const names[] = {"Verify", "Decommission", "Recommission", "Login"};
    return mode >= 0 && mode < 4 ? names[mode] : "Unknown";
}

const char* const kColumns[] = {
    "Local time", "UTC time", "Spool key", "Mode", "Barcode", "Status text", "Kind", "Status", "Message heading",
    "Message body", "PostTransactionID", "ReplyTransactionID", "GTIN", "Lot", "Exp", "SN", "curl exit code",
    "User name", "Computer", "Program version", "Read format", "Read product code", "Read batch", "Read expiry",
    "Read serial", "Read faults", "Handled", "Handled note", "Verdict", "Meaning", "Next step",
    "Alert ID", "Case state", "Case updated"};

std::string Column(sqlite3_stmt* s, int i)
{
    const void* bytes = sqlite3_column_blob(s, i);
    return bytes ? std::string(static_cast<const char*>(bytes), sqlite3_column_bytes(s, i)) : std::string();
}

}  // namespace

const char kEntryColumns[] =
    "local_time, utc_time, spool_key, mode, barcode, status_text, kind, status, message_heading,"
    " message_body, post_transaction_id, reply_transaction_id, gtin, lot, exp, sn, curl_result, user_name,"
    " computer_name, program_version, read_format, read_product_code, read_batch, read_expiry, read_serial,"
    " read_faults, handled, handled_note, case_alert_id, case_state, case_updated, delivery,"
    " waited_seconds";

HistoryEntry EntryOfRow(sqlite3_stmt* s, int first)
{
    HistoryEntry e;
    std::string* texts[] = {&e.localTime, &e.utcTime, &e.spoolKey};
    for (int i = 0; i < 3; ++i) *texts[i] = Column(s, first + i);
    e.mode = sqlite3_column_int(s, first + 3);
    e.barcode = Column(s, first + 4);
    e.statusText = Column(s, first + 5);
    e.kind = sqlite3_column_int(s, first + 6);
    std::string* more[] = {&e.status, &e.messageHeading, &e.messageBody, &e.postTransactionId, &e.replyTransactionId,
                           &e.gtin, &e.lot, &e.exp, &e.sn};
    for (int i = 0; i < 9; ++i) *more[i] = Column(s, first + 7 + i);
    e.curlResult = sqlite3_column_int(s, first + 16);
    std::string* rest[] = {&e.userName, &e.computerName, &e.programVersion, &e.readFormat, &e.readProductCode,
                           &e.readBatch, &e.readExpiry, &e.readSerial, &e.readFaults};
    for (int i = 0; i < 9; ++i) *rest[i] = Column(s, first + 17 + i);
    e.handled = sqlite3_column_int(s, first + 26) != 0;
    e.handledNote = Column(s, first + 27);
    e.caseAlertId = Column(s, first + 28);
    e.caseState = Column(s, first + 29);
    e.caseUpdated = Column(s, first + 30);
    e.delivery = sqlite3_column_int64(s, first + 31);
    e.waitedSeconds = sqlite3_column_int64(s, first + 32);
    return e;
}

bool IsValidUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        size_t length = Utf8SequenceAt(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string CsvField(const std::string& text, CsvText source, CodePageConverter toUtf8)
{
    std::string escaped = EscapeControls(text);
    bool utf8 = source == CsvText::Service && IsValidUtf8(escaped);
    std::string field = GuardFormulas(utf8 ? escaped : toUtf8(escaped));
    if (field.find_first_of(",\";\t\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvHeader(CsvHeadings headings, CodePageConverter toUtf8)
{
    static_assert(std::size(kColumns) == static_cast<size_t>(TextId::CsvCaseUpdated) -
                                             static_cast<size_t>(TextId::CsvLocalTime) + 1);
    std::string header = "\xEF\xBB\xBF";
    for (size_t i = 0; i < std::size(kColumns); ++i) {
        std::string column = kColumns[i];
        if (headings == CsvHeadings::Shown && toUtf8)
            column = CsvField(Text(static_cast<TextId>(static_cast<size_t>(TextId::CsvLocalTime) + i)), CsvText::Own,
                              toUtf8);
        header += (i == 0 ? "" : ",") + column;
    }
    return header + "\r\n";
}

std::string CsvRow(const HistoryEntry& e, CodePageConverter toUtf8)
{
    auto own = [toUtf8](const std::string& text) { return CsvField(text, CsvText::Own, toUtf8); };
    auto service = [toUtf8](const std::string& text) { return CsvField(text, CsvText::Service, toUtf8); };
    AnswerGuidance guidance = GuidanceOfEntry(e);
    std::string verdict, meaning, nextStep;
    if (guidance.explained) {
        verdict = VerdictWord(guidance.verdict);
        meaning = guidance.meaning;
        nextStep = guidance.nextStep;
    }
    // An alert not yet looked at: its ID as the answer gave it, and Open.
    std::string alertId = e.caseAlertId.empty() ? AlertIdIn(e.messageHeading, e.messageBody) : e.caseAlertId;
    std::string caseState = e.caseState.empty() && guidance.alert ? "Open" : e.caseState;
    // Numbers stay numbers: the program writes them, no formula can hide there.
    const std::string fields[] = {
        own(e.localTime), own(e.utcTime), own(e.spoolKey), ModeName(e.mode), own(EscapeBarcode(e.barcode)),
        own(e.statusText), std::to_string(e.kind), service(e.status), service(e.messageHeading),
        service(e.messageBody), service(e.postTransactionId), service(e.replyTransactionId), service(e.gtin),
        service(e.lot), service(e.exp), service(e.sn), std::to_string(e.curlResult), own(e.userName),
        own(e.computerName), own(e.programVersion), own(e.readFormat), own(e.readProductCode), own(e.readBatch),
        own(e.readExpiry), own(e.readSerial), own(e.readFaults), e.handled ? "yes" : "", own(e.handledNote),
        own(verdict), own(meaning), own(nextStep), service(alertId), own(caseState), own(e.caseUpdated)};
    std::string row;
    for (const std::string& field : fields) row += (&field == fields ? "" : ",") + field;
    return row + "\r\n";
}

bool IsIsoDate(const std::string& text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return false;
    int year = std::stoi(text.substr(0, 4)), month = std::stoi(text.substr(5, 2)), day = std::stoi(text.substr(8, 2));
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || day > days[month - 1]) return false;
    return !(month == 2 && day == 29 && !leap);
}

CsvRowsResult WriteRowsCsv(sqlite3_stmt* query, int first, const std::string& csvPath, const CsvFileSystem& system,
                           long long& rows, const std::atomic<bool>* cancelled, CsvHeadings headings)
{
    rows = 0;
    if (IsDeviceName(csvPath)) return CsvRowsResult::Device;
    auto stopped = [cancelled] { return cancelled && cancelled->load(); };
    CsvTargetFile out(csvPath, system);
    if (!out.Begin() || !out.Write(CsvHeader(headings, system.codePageToUtf8))) return CsvRowsResult::Unwritable;
    int code = SQLITE_ROW;
    bool written = true;
    while (!stopped() && written && (code = sqlite3_step(query)) == SQLITE_ROW) {
        written = out.Write(CsvRow(EntryOfRow(query, first), system.codePageToUtf8));
        ++rows;
    }
    if (stopped()) return CsvRowsResult::Stopped;
    if (!written) return CsvRowsResult::Unwritable;
    if (code != SQLITE_DONE) return CsvRowsResult::Unreadable;
    return out.Commit() ? CsvRowsResult::Written : CsvRowsResult::Unwritable;
}

std::string CsvFailureReason(CsvRowsResult result, const std::string& csvPath)
{
    if (result == CsvRowsResult::Device)
        return "\"" + csvPath + "\" names a device, not a file";
    return "the file \"" + csvPath + "\" cannot be written";
}

ExportResult ExportHistoryCsv(const std::string& historyPath, const std::string& csvPath, const std::string& from,
                              const std::string& to, const CsvFileSystem& system, std::string& reason,
                              long long& rows, const std::string& historySqliteName)
{
    rows = 0;
    sqlite3* raw = nullptr;
    const std::string& name = historySqliteName.empty() ? historyPath : historySqliteName;
    int code = OpenGuarded(name, SQLITE_OPEN_READONLY, &raw);
    Connection db(raw);
    if (code != SQLITE_OK) {
        reason = "there is no scan history at \"" + historyPath + "\"";
        return ExportResult::NoHistory;
    }
    sqlite3_busy_timeout(db.get(), 5000);
    Statement query = Prepare(db.get(), std::string("SELECT ") + kEntryColumns +
                                            " FROM outcome WHERE (?1 = '' OR local_time >= ?1)"
                                            " AND (?2 = '' OR local_time < ?2 || 'T99') ORDER BY id");
    if (!query) {
        reason = std::string("the scan history cannot be read: ") + sqlite3_errmsg(db.get());
        return ExportResult::Unreadable;
    }
    BindText(query.get(), 1, from);
    BindText(query.get(), 2, to);
    CsvRowsResult result = WriteRowsCsv(query.get(), 0, csvPath, system, rows);
    switch (result) {
    case CsvRowsResult::Written:
        return ExportResult::Written;
    case CsvRowsResult::Unreadable:
        reason = std::string("the scan history cannot be read: ") + sqlite3_errmsg(db.get());
        return ExportResult::Unreadable;
    default:
        reason = CsvFailureReason(result, csvPath);
        return ExportResult::Unwritable;
    }
}

std::vector<std::string> CommandLineWords(const std::string& commandLine)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}
