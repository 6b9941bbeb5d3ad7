// The worker's side of the scan history: the outcome's row and its clock.
#include "verify/scan_history.h"

#include <windows.h>

#include <ctime>

#include "base/string_format.h"
#include "base/text_catalog.h"
#include "core/log.h"
#include "core/program_context.h"
#include "core/scan_result_post.h"
#include "framework/file_ops.h"
#include "framework/sqlite_name.h"
#include "packcode/pack_code.h"
#include "res/version.h"

namespace {

constexpr int kTrimBatch = 500;
// After a failure the history is left alone this long: each try may wait
// for a lock as long as SQLite's busy time-out.
constexpr unsigned long long kRetryPauseMs = 10000;
// Rows kept in memory while the history cannot be written (about a
// megabyte each thousand).
constexpr unsigned kMostKeptRows = 10000;

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
    e.delivery = result.delivery;
    e.waitedSeconds = result.waitedSeconds;
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

void ScanHistory::Fail(const std::string& reason)
{
    m_store.Close();
    m_pauseUntilTick = GetTickCount64() + kRetryPauseMs;
    if (m_failing) return;
    m_failing = true;
    Warning("History - scan history unavailable: %s", reason.c_str());
    AddLogRow(Text(TextId::RowHistoryUnavailable), reason.c_str());
}

bool ScanHistory::Open(std::string& reason)
{
    ProgramContext* context = ProgramContext::Current();
    if (!context || context->AppFolder.empty()) {
        m_noFolder = true;  // no folder, no history
        std::lock_guard<std::mutex> hold(m_keptLock);
        m_kept.clear();
        return false;
    }
    std::string folder = context->AppFolder + "\\History";
    if (!EnsureDirectory(folder)) {
        reason = "the folder \"" + folder + "\" cannot be created";
        return false;
    }
    SYSTEMTIME today;
    GetLocalTime(&today);
    m_store.SetNameEncoder(SqliteFileName);
    if (!m_store.Open(folder + "\\history.db", IsoTime(today, "").substr(0, 10), reason)) return false;
    if (!m_store.DamagedCopy().empty()) {
        Log("History - damaged file renamed to \"%s\"", m_store.DamagedCopy().c_str());
        AddLogRow(Text(TextId::RowHistoryDamaged),
                  m_store.DamagedCopy().substr(m_store.DamagedCopy().rfind('\\') + 1).c_str());
    }
    return true;
}

bool ScanHistory::Ready()
{
    if (m_store.IsOpen()) return true;
    if (m_noFolder || GetTickCount64() < m_pauseUntilTick) return false;
    std::string reason;
    if (Open(reason)) return true;
    if (!m_noFolder) Fail(reason);
    return false;
}

void ScanHistory::Keep(HistoryEntry entry)
{
    std::lock_guard<std::mutex> hold(m_keptLock);
    if (m_noFolder) return;
    if (m_kept.size() >= kMostKeptRows) {
        m_kept.pop_front();
        if (!m_droppedSaid) Warning("History - more than %u rows waiting: the oldest are dropped", kMostKeptRows);
        m_droppedSaid = true;
    }
    m_kept.push_back(std::move(entry));
}

void ScanHistory::WriteKept()
{
    unsigned written = 0;
    for (;;) {
        HistoryEntry entry;
        {
            std::lock_guard<std::mutex> hold(m_keptLock);
            if (m_kept.empty()) break;
            entry = m_kept.front();
        }
        if (!Ready()) return;
        std::string reason;
        m_wroteThisPass = true;
        if (!m_store.Add(entry, reason)) {
            Fail(reason);
            return;
        }
        std::lock_guard<std::mutex> hold(m_keptLock);
        m_kept.pop_front();
        ++written;
    }
    // Opened again since the failure: the next one is said again.
    if (!m_failing || !m_store.IsOpen()) return;
    m_failing = false;
    m_droppedSaid = false;
    if (written == 0) return;
    Log("History - available again: %u kept rows written", written);
    if (written == 1) AddLogRow("%s", Text(TextId::RowHistoryBackOne));
    else AddLogRow(Text(TextId::RowHistoryBack), written);
}

void ScanHistory::Record(const ScanResult& result, int curlResult, const std::string& userName)
{
    Keep(EntryOf(result, curlResult, userName));
    WriteKept();
}

void ScanHistory::RecordLater(const ScanResult& result, const std::string& userName)
{
    Keep(EntryOf(result, 0, userName));
}

void ScanHistory::ReleaseWhenIdle()
{
    WriteKept();
    // A file found damaged is set aside when it is opened next.
    if (!m_wroteThisPass || m_store.DamageReported()) m_store.Close();
    m_wroteThisPass = false;
}

std::vector<PastOutcome> ScanHistory::OutcomesSince(std::time_t since)
{
    if (!Ready()) return {};
    return ::OutcomesSince(m_store, since);
}

void ScanHistory::TrimOldRows(long days)
{
    if (m_trimmed || days < 1 || !Ready()) return;
    int deleted = m_store.DeleteBatchBefore(UtcCutoff(std::time(nullptr), days), kTrimBatch);
    if (deleted < 0) Log("History - old rows could not be deleted; tried again at the next start");
    m_trimmed = deleted < kTrimBatch;
}
