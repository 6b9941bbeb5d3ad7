// The scan history as CSV: fields, rows and the export of a date range.
#include "history/history_csv.h"

#include <sqlite3.h>

#include <cstdio>
#include <fstream>

#include "base/string_format.h"
#include "base/text_escape.h"
#include "history/alert_case.h"
#include "history/entry_guidance.h"
#include "history/sqlite_statement.h"

namespace {

std::string Latin1ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

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
    " read_faults, handled, handled_note, case_alert_id, case_state, case_updated";

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
    return e;
}

std::string CsvField(const std::string& text)
{
    std::string field = Latin1ToUtf8(EscapeControls(text));
    if (!field.empty() && std::string("=+-@").find(field[0]) != std::string::npos) field.insert(0, 1, '\'');
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvHeader()
{
    std::string header = "\xEF\xBB\xBF";
    for (const char* column : kColumns) header += std::string(header.size() > 3 ? "," : "") + column;
    return header + "\r\n";
}

std::string CsvRow(const HistoryEntry& e)
{
    std::string fields[] = {e.localTime, e.utcTime, e.spoolKey, ModeName(e.mode), EscapeBarcode(e.barcode),
                            e.statusText, std::to_string(e.kind), e.status, e.messageHeading, e.messageBody,
                            e.postTransactionId, e.replyTransactionId, e.gtin, e.lot, e.exp, e.sn,
                            std::to_string(e.curlResult), e.userName, e.computerName, e.programVersion,
                            e.readFormat, e.readProductCode, e.readBatch, e.readExpiry, e.readSerial,
                            e.readFaults, e.handled ? "yes" : "", e.handledNote, "", "", "",
                            e.caseAlertId, e.caseState, e.caseUpdated};
    const size_t guide = sizeof fields / sizeof fields[0] - 6;
    AnswerGuidance guidance = GuidanceOfEntry(e);
    if (guidance.explained) {
        fields[guide] = VerdictWord(guidance.verdict);
        fields[guide + 1] = guidance.meaning;
        fields[guide + 2] = guidance.nextStep;
    }
    // An alert not yet looked at: its ID as the answer gave it, and Open.
    if (e.caseAlertId.empty()) fields[guide + 3] = AlertIdIn(e.messageHeading, e.messageBody);
    if (e.caseState.empty() && guidance.alert) fields[guide + 4] = "Open";
    std::string row;
    for (const std::string& field : fields) row += (row.empty() && &field == fields ? "" : ",") + CsvField(field);
    return row + "\r\n";
}

bool IsIsoDate(const std::string& text)
{
    int year = 0, month = 0, day = 0;
    char tail = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3) return false;
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || day > days[month - 1]) return false;
    return !(month == 2 && day == 29 && !leap);
}

CsvRowsResult WriteRowsCsv(sqlite3_stmt* query, int first, const std::string& csvPath, long long& rows,
                           const std::atomic<bool>* cancelled)
{
    rows = 0;
    const std::string temporary = csvPath + ".tmp";
    auto stopped = [cancelled] { return cancelled && cancelled->load(); };
    CsvRowsResult result = CsvRowsResult::Written;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return CsvRowsResult::Unwritable;
        out << CsvHeader();
        int code = SQLITE_ROW;
        while (!stopped() && out && (code = sqlite3_step(query)) == SQLITE_ROW) {
            out << CsvRow(EntryOfRow(query, first));
            ++rows;
        }
        out.flush();
        if (stopped()) result = CsvRowsResult::Stopped;
        else if (!out) result = CsvRowsResult::Unwritable;
        else if (code != SQLITE_DONE) result = CsvRowsResult::Unreadable;
    }
    if (result == CsvRowsResult::Written) {
        std::remove(csvPath.c_str());
        if (std::rename(temporary.c_str(), csvPath.c_str()) != 0) result = CsvRowsResult::Unwritable;
    }
    if (result != CsvRowsResult::Written) std::remove(temporary.c_str());
    return result;
}

ExportResult ExportHistoryCsv(const std::string& historyPath, const std::string& csvPath, const std::string& from,
                              const std::string& to, std::string& reason, long long& rows,
                              const std::string& historySqliteName)
{
    rows = 0;
    sqlite3* raw = nullptr;
    const std::string& name = historySqliteName.empty() ? historyPath : historySqliteName;
    int code = sqlite3_open_v2(name.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
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
    switch (WriteRowsCsv(query.get(), 0, csvPath, rows)) {
    case CsvRowsResult::Written:
        return ExportResult::Written;
    case CsvRowsResult::Unreadable:
        reason = std::string("the scan history cannot be read: ") + sqlite3_errmsg(db.get());
        return ExportResult::Unreadable;
    default:
        reason = "the file \"" + csvPath + "\" cannot be written";
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
