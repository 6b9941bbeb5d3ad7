// The worker's side of the scan history: the outcome's row and its clock.
#include "verify/scan_history.h"

#include <windows.h>

#include <ctime>

#include "base/string_format.h"
#include "core/log.h"
#include "core/program_context.h"
#include "core/scan_result_post.h"
#include "framework/file_ops.h"
#include "framework/sqlite_name.h"
#include "packcode/pack_code.h"
#include "res/version.h"

namespace {

constexpr int kTrimBatch = 500;

std::string IsoTime(const SYSTEMTIME& t, const char* zone)
{
    return StringPrintf("%04u-%02u-%02uT%02u:%02u:%02u%s", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, zone);
}

std::string ComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? name : "";
}

const char* FormatName(PackCodeFormat format)
{
    switch (format) {
    case PackCodeFormat::Gs1: return "GS1";
    case PackCodeFormat::Iso15434: return "ISO/IEC 15434";
    case PackCodeFormat::None: break;
    }
    return "";
}

HistoryEntry EntryOf(const ScanResult& result, int curlResult, const std::string& userName)
{
    HistoryEntry e;
    SYSTEMTIME local, utc;
    GetLocalTime(&local);
    GetSystemTime(&utc);
    e.localTime = IsoTime(local, "");
    e.utcTime = IsoTime(utc, "Z");
    e.spoolKey = result.key;
    e.mode = result.mode;
    e.barcode = result.barcode;
    e.statusText = result.statusText;
    e.kind = result.kind;
    e.status = result.status;
    e.messageHeading = result.messageHeading;
    e.messageBody = result.messageBody;
    e.postTransactionId = result.postTransactionId;
    e.replyTransactionId = result.replyTransactionId;
    e.gtin = result.gtin;
    e.lot = result.lot;
    e.exp = result.exp;
    e.sn = result.sn;
    e.curlResult = curlResult;
    e.userName = userName;
    static const std::string computer = ComputerName();
    e.computerName = computer;
    e.programVersion = PELLWICK_VERSION;
    PackCodeReading reading = ReadPackCode(result.barcode);
    e.readFormat = FormatName(reading.format);
    e.readProductCode = reading.ProductCode();
    e.readBatch = reading.batch;
    e.readExpiry = reading.expiry;
    e.readSerial = reading.serial;
    for (const std::string& fault : reading.faults) e.readFaults += (e.readFaults.empty() ? "" : "\n") + fault;
    return e;
}

}  // namespace

void ScanHistory::GiveUp(const std::string& reason)
{
    Warning("History - scan history unavailable: %s", reason.c_str());
    AddLogRow("Scan history unavailable: %s", reason.c_str());
    m_store.Close();
    m_failed = true;
}

bool ScanHistory::EnsureOpen()
{
    if (m_failed || m_store.IsOpen()) return m_store.IsOpen();
    ProgramContext* context = ProgramContext::Current();
    if (!context || context->AppFolder.empty()) {
        m_failed = true;  // no folder, no history
        return false;
    }
    std::string folder = context->AppFolder + "\\History";
    if (!EnsureDirectory(folder)) {
        GiveUp("the folder \"" + folder + "\" cannot be created");
        return false;
    }
    SYSTEMTIME today;
    GetLocalTime(&today);
    std::string reason;
    m_store.SetNameEncoder(SqliteFileName);
    if (!m_store.Open(folder + "\\history.db", IsoTime(today, "").substr(0, 10), reason)) {
        GiveUp(reason);
        return false;
    }
    if (!m_store.DamagedCopy().empty()) {
        Log("History - damaged file renamed to \"%s\"", m_store.DamagedCopy().c_str());
        AddLogRow("The scan history was damaged: it was set aside as %s and a new one started",
                  m_store.DamagedCopy().substr(m_store.DamagedCopy().rfind('\\') + 1).c_str());
    }
    return true;
}

void ScanHistory::Record(const ScanResult& result, int curlResult, const std::string& userName)
{
    if (!EnsureOpen()) return;
    m_wroteThisPass = true;
    std::string reason;
    if (!m_store.Add(EntryOf(result, curlResult, userName), reason)) GiveUp(reason);
}

std::vector<PastOutcome> ScanHistory::OutcomesSince(std::time_t since)
{
    if (!EnsureOpen()) return {};
    return ::OutcomesSince(m_store, since);
}

void ScanHistory::TrimOldRows(long days)
{
    if (m_trimmed || !EnsureOpen()) return;
    int deleted = m_store.DeleteBatchBefore(UtcCutoff(std::time(nullptr), days), kTrimBatch);
    if (deleted < 0) Log("History - old rows could not be deleted; tried again at the next start");
    m_trimmed = deleted < kTrimBatch;
}
