// The verification worker's polling loop, spool-file processing and the
// credentials check.
#include "verify/fmd_thread.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/program_context.h"
#include "core/log.h"
#include "core/main_window_facade.h"
#include "framework/file_ops.h"
#include "verify/curl_exchange.h"
#include "verify/hold_rules.h"
#include "verify/outage_rules.h"
#include "verify/reply_parser.h"
#include "verify/request_templates.h"
#include "verify/scan_check_rows.h"
#include "core/scan_result_post.h"

namespace {

constexpr DWORD kPollIntervalMs = 100;
constexpr int kSslConnectError = 35;

// One request to the service through <base>.post and <base>.reply.
struct ServiceExchange {
    bool sent = false;  // false: the request file could not be written
    int result = -1;    // curl's exit code
    std::string reply;  // empty unless the exchange succeeded
};

// Writes the request file and posts it over https. A failed TLS connection
// (exit code 35) is tried again over plain http only where the registry
// allows it: anyone on the path can break a handshake, and the plain request
// would carry the password and believe any answer. The caller removes both
// files with RemoveExchangeFiles.
ServiceExchange ExchangeWithService(const AppSettings& settings, const std::string& base, const std::string& request)
{
    ServiceExchange exchange;
    std::string postPath = base + ".post", replyPath = base + ".reply";
    if (!WriteWholeFile(postPath, request)) return exchange;
    exchange.sent = true;
    CurlContext context = ContextFor(settings);
    std::string endpoint = ServiceEndpoint(settings.ServiceHost), resultPath;
    CurlExchangeRun secure(context, "https://" + endpoint, "@" + postPath, "application/json", replyPath);
    secure.Start();
    // Where the plain retry is allowed, its curl is created while the https
    // attempt runs, so the retry skips a process creation.
    std::unique_ptr<CurlExchangeRun> plain;
    if (settings.AllowPlainHttp) {
        plain = std::make_unique<CurlExchangeRun>(context, "http://" + endpoint, "@" + postPath, "application/json", replyPath);
        plain->Prepare();
    }
    exchange.result = secure.Finish(resultPath);
    if (exchange.result == kSslConnectError && !plain) {
        Log("FMD - TLS connection failed; not retried over plain HTTP (registry value AllowPlainHttp is not \"1\")");
    } else if (exchange.result == kSslConnectError) {
        plain->Start();
        exchange.result = plain->Finish(resultPath);
    }
    if (!resultPath.empty()) ReadWholeFile(resultPath, exchange.reply);
    return exchange;
}

// The reply file goes whatever the exchange gave: curl may have written one
// before it failed.
void RemoveExchangeFiles(const std::string& base)
{
    DeleteFileA((base + ".post").c_str());
    DeleteFileA((base + ".reply").c_str());
}

// Says at the counter why the service will likely refuse a scan, or that
// the pack has expired; reading it changes nothing that is sent. Once per
// scan: after its answer is shown.
void ReportScanFaults(const std::string& barcode, const std::optional<CalendarDate>& today)
{
    for (const std::string& row : ScanCheckRows(barcode, today)) AddLogRow("%s", row.c_str());
}

std::string WithoutExtension(const std::string& path) { return path.size() >= 4 ? path.substr(0, path.size() - 4) : path; }

// The scan of a spool file's content: its mode digit, then the barcode.
std::unique_ptr<ScanResult> RecordOfSpoolFile(const std::string& key, const std::string& content)
{
    auto record = std::make_unique<ScanResult>();
    record->mode = content.empty() ? -'0' : static_cast<signed char>(content[0]) - '0';
    record->key = key;
    record->barcode = content.empty() ? std::string() : content.substr(1);
    return record;
}

}  // namespace

int CFMDThread::Run()
{
    Log("FMD - started");
    for (;;) {
        WaitForNextPass();
        if (!TakePassView()) continue;
        if (m_settings.Username.empty() || m_settings.Password.empty()) continue;
        RestoreHeldScans();
        RememberGuardedPacksFromHistory();
        ReplayWaitingScans();
        for (const std::string& name : ListFiles(m_strScanFolder, "*.dat"))
            if (!m_undeletable.count(name)) ProcessSpoolFile(name);
        m_history.TrimOldRows(m_settings.HistoryDays);
        m_history.ReleaseWhenIdle();
    }
}

void CFMDThread::RememberGuardedPacksFromHistory()
{
    if (m_guardRemembered || !m_settings.GuardDoubleScans) return;
    m_guardRemembered = true;
    // A day back at least, so that more minutes set later still find them.
    long minutes = m_settings.DoubleScanMinutes > 24 * 60 ? m_settings.DoubleScanMinutes : 24 * 60;
    std::vector<PastSuccess> past = m_history.SuccessesSince(m_guard.Now() - static_cast<std::time_t>(minutes) * 60);
    for (const PastSuccess& success : past) m_guard.RememberSuccessAt(success.barcode, success.mode, success.when);
    if (!past.empty()) Log("FMD - the double-scan guard remembers %u successes from the history", unsigned(past.size()));
}

bool CFMDThread::TakePassView()
{
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (!host || !host->MainWindow()) return false;
    m_strScanFolder = host->ScanFolder();
    m_settings = host->SettingsSnapshot();
    m_resultsWindow = host->ResultsWindow();
    HANDLE process = GetCurrentProcess(), written = nullptr;
    if (!m_spoolWritten && DuplicateHandle(process, host->SpoolWrittenEvent(), process, &written, SYNCHRONIZE, FALSE, 0))
        m_spoolWritten.Reset(written);
    return true;
}

void CFMDThread::WaitForNextPass()
{
    // The poll stays as the backstop for spool files that arrive any other
    // way (left by an ended program, or copied in).
    if (m_spoolWritten)
        WaitForSingleObject(m_spoolWritten.Get(), kPollIntervalMs);
    else
        Sleep(kPollIntervalMs);
}

void CFMDThread::ProcessSpoolFile(const std::string& fileName)
{
    if (HoldIfImplausible(fileName)) return;
    if (m_outage && m_settings.KeepScansDuringOutage)
        QueueBehindWaiting(fileName);
    else
        SendScan(m_strScanFolder, fileName);
    // The approval of a held scan goes once the scan has left the folder.
    // Without the switch there is none: no look on every scan (a stray one
    // goes with the leftovers at the next start).
    if (!m_settings.HoldImplausibleScans) return;
    std::string approval = ApprovalPath(WithoutExtension(fileName));
    if (FileExists(approval) && !FileExists(m_strScanFolder + "\\" + fileName)) DeleteFileA(approval.c_str());
}

bool CFMDThread::HoldIfImplausible(const std::string& fileName)
{
    std::string key = WithoutExtension(fileName), path = m_strScanFolder + "\\" + fileName, content;
    // A scan whose request an ended program left may have reached the
    // service already: holding it would come too late.
    if (!m_settings.HoldImplausibleScans || FileExists(ApprovalPath(key)) ||
        FileExists(m_strScanFolder + "\\" + key + ".post") || !ReadWholeFile(path, content))
        return false;
    std::unique_ptr<ScanResult> record = RecordOfSpoolFile(key, content);
    HoldReasons reasons = ReasonsToHold(true, record->mode, record->barcode, m_expiryClock.Today());
    if (reasons.None()) return false;
    EnsureDirectory(HeldFolder());
    if (!MoveFileA(path.c_str(), (HeldFolder() + "\\" + fileName).c_str())) {
        Warning("FMD - cannot hold \"%s\": it is sent as usual", fileName.c_str());
        return false;
    }
    Log("FMD - \"%s\" held: %s", fileName.c_str(), HeldRowText(reasons).c_str());
    HandOverHeldScan(std::move(record), std::move(reasons));
    return true;
}

void CFMDThread::HandOverHeldScan(std::unique_ptr<ScanResult> record, HoldReasons reasons)
{
    HeldScan held;
    held.key = record->key;
    held.barcode = record->barcode;
    held.mode = record->mode;
    held.heldPath = HeldFolder() + "\\" + held.key + ".dat";
    held.sendPath = m_strScanFolder + "\\" + held.key + ".dat";
    held.approvalPath = ApprovalPath(held.key);
    record->kind = ScanResultKind::Held;
    record->statusText = kHeldStatusText;
    record->messageHeading = HeldRowHeading(reasons);
    record->messageBody = HeldRowText(reasons);
    held.faults = std::move(reasons.faults);
    held.expiredOn = reasons.expiredOn;
    PostScanResult(m_resultsWindow, record.release());
    // Without a main window the file stays held: the next start asks.
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (host) host->AskAboutHeldScan(held);
}

void CFMDThread::RestoreHeldScans()
{
    if (m_heldRestored) return;
    m_heldRestored = true;
    std::vector<std::string> keys;
    for (const std::string& name : ListFiles(HeldFolder(), "*.dat")) keys.push_back(WithoutExtension(name));
    SortOldestFirst(keys);
    for (const std::string& key : keys) {
        std::string content;
        if (!ReadWholeFile(HeldFolder() + "\\" + key + ".dat", content)) continue;
        std::unique_ptr<ScanResult> record = RecordOfSpoolFile(key, content);
        HoldReasons reasons = ReasonsToHold(true, record->mode, record->barcode, m_expiryClock.Today());
        if (reasons.None()) reasons.faults.push_back("It was held before the program was last ended.");
        Log("FMD - \"%s.dat\" still held from the last run", key.c_str());
        HandOverHeldScan(std::move(record), std::move(reasons));
    }
}

CFMDThread::SendOutcome CFMDThread::SendScan(const std::string& folder, const std::string& fileName)
{
    Log("FMD - Found file \"%s\"", fileName.c_str());
    std::string path = folder + "\\" + fileName;
    std::string content;
    if (!ReadWholeFile(path, content)) {
        Warning("FMD - failed to read barcode from \"%s\"", path.c_str());
        return SendOutcome::Unreadable;
    }
    std::unique_ptr<ScanResult> record = RecordOfSpoolFile(WithoutExtension(fileName), content);
    record->kind = ScanResultKind::Failed;
    record->statusText = "Failed";

    // Mode 3 (Login) passes the range test but has no pack template: an empty
    // request would only come back as "Invalid", so it is refused here too.
    const char* requestTemplate = RequestTemplate(record->mode);
    if (!requestTemplate) {
        Log("Barcode has invalid mode");
        SettleScan(std::move(record), 0);
        DeleteSpoolFile(fileName, path);
        return SendOutcome::Settled;
    }
    std::string doneBefore = m_settings.GuardDoubleScans ? m_guard.StopIfDoneBefore(*record, m_settings.DoubleScanMinutes) : "";
    if (!doneBefore.empty()) {
        Log("FMD - %s", doneBefore.c_str());
        SettleScan(std::move(record), 0);
        AddLogRow("%s", doneBefore.c_str());
        DeleteSpoolFile(fileName, path);
        return SendOutcome::Settled;
    }
    std::string barcode = EscapeBarcode(record->barcode);
    Log("Barcode = %s", barcode.c_str());
    std::string request = FillRequestTemplate(requestTemplate, m_settings.Username, m_settings.Password, barcode);

    std::string base = WithoutExtension(path);
    // A scan kept before, or one whose exchange an ended program left (its
    // request file is still there), may have reached the service.
    bool keepsScans = m_settings.KeepScansDuringOutage || folder != m_strScanFolder;
    bool uncertain = keepsScans && (FileExists(base + ".uncertain") || FileExists(base + ".post"));
    bool send = true, faultsToReport = false;
    int curlResult = 0;
    if (uncertain && (record->mode == Decommission || record->mode == Recommission)) {
        int outageResult = 0;
        switch (VerifyFirst(base, barcode, *record, outageResult)) {
        case CheckOutcome::Skipped: return SendOutcome::Skipped;
        case CheckOutcome::Waiting:
            KeepWaiting(folder, fileName, std::move(record), outageResult, true);
            return SendOutcome::Waiting;
        case CheckOutcome::Settled: send = false; break;
        case CheckOutcome::SendRequest: break;
        }
    }
    if (send) {
        ServiceExchange exchange = ExchangeWithService(m_settings, base, request);
        if (!exchange.sent) return SendOutcome::Skipped;  // the spool file stays for the next pass

        if (IsTestAccount(m_settings.Username)) AddLogRow("Contents = %s", exchange.reply.c_str());
        OutageKind outage = keepsScans ? ClassifyExchange(exchange.result, exchange.reply) : OutageKind::None;
        if (outage != OutageKind::None) {
            KeepWaiting(folder, fileName, std::move(record), exchange.result, uncertain || outage == OutageKind::Uncertain);
            return SendOutcome::Waiting;
        }
        faultsToReport = true;
        curlResult = exchange.result;
        if (exchange.result != 0)
            record->messageHeading = RequestFailedText(exchange.result);
        else
            FillFromReply(exchange.reply, *record);
    }
    if (m_settings.GuardDoubleScans && record->kind == ScanResultKind::Success)
        m_guard.RememberSuccess(record->barcode, record->mode);
    // The answer first: the pharmacist waits for it; the reasons follow.
    std::string scanned = record->barcode;
    SettleScan(std::move(record), curlResult);
    if (faultsToReport) ReportScanFaults(scanned, m_expiryClock.Today());

    if (keepsScans) {
        // The request file goes last: while it is there, an ended program's
        // next start treats the scan as possibly sent.
        Log("FMD - Deleting \"%s\"", fileName.c_str());
        DeleteSpoolFile(fileName, path);
        DeleteFileA((base + ".uncertain").c_str());
        RemoveExchangeFiles(base);
        return SendOutcome::Settled;
    }
    RemoveExchangeFiles(base);
    Log("FMD - Deleting \"%s\"", fileName.c_str());
    DeleteSpoolFile(fileName, path);
    return SendOutcome::Settled;
}

void CFMDThread::SettleScan(std::unique_ptr<ScanResult> record, int curlResult)
{
    // The row first: the pharmacist waits for it, the history does not.
    // Kept before the spool file goes: a kill in between sends the scan
    // again and gives at most a second row, never a missing one.
    const ScanResult kept = *record;
    PostScanResult(m_resultsWindow, record.release());
    m_history.Record(kept, curlResult, m_settings.Username);
}

void CFMDThread::DeleteSpoolFile(const std::string& fileName, const std::string& path)
{
    if (DeleteFileA(path.c_str())) return;
    Warning("FMD - cannot delete \"%s\": it is not sent again until the program restarts", fileName.c_str());
    m_undeletable.insert(fileName);
}

bool CFMDThread::CheckLogin(const AppSettings& settings, const std::string& scanFolder)
{
    if (IsTestAccount(settings.Username)) return true;
    std::string request = FillRequestTemplate(LoginTemplate(), settings.Username, settings.Password, "");
    std::string base = MakeUniqueFileName(scanFolder, "", "dat");
    ServiceExchange exchange = ExchangeWithService(settings, base, request);
    if (!exchange.sent) return false;
    RemoveExchangeFiles(base);
    Log("FMD - Deleting \"%s\"", base.substr(base.rfind('\\') + 1).c_str());
    return exchange.reply.find("\"Success\":true") != std::string::npos;
}

void CFMDThread::RemoveLeftoverFiles(const std::string& scanFolder)
{
    for (const std::string& name : ListFiles(scanFolder, "*.dat.tmp")) {
        std::string path = scanFolder + "\\" + name, content;
        bool finished = FinishTemporaryFile(path, content);  // its whole scan was written before the end
        std::string barcode = EscapeBarcode(content.empty() ? content : content.substr(1));
        if (finished) {
            Log("Finished spool file \"%s\" left complete by the last run: barcode \"%s\"", name.c_str(),
                barcode.c_str());
            continue;
        }
        Log("Removing cut-off spool file \"%s\": barcode \"%s\" was not sent", name.c_str(), barcode.c_str());
        AddLogRow("Scan not sent, please scan the pack again: %s", barcode.c_str());
        DeleteFileA(path.c_str());
    }
    // Waiting scans keep their markers; a marker whose scan has gone goes too.
    for (const std::string& folder : {scanFolder, scanFolder + "\\Waiting"}) {
        for (const char* pattern : {"*.post", "*.reply", "*.post.tmp", "*.uncertain", "*.approved"}) {
            for (const std::string& name : ListFiles(folder, pattern)) {
                std::string base = folder + "\\" + name.substr(0, name.rfind('.'));
                if (FileExists(base + ".dat")) continue;  // its scan is still to be sent
                Log("Removing leftover exchange file \"%s\"", name.c_str());
                DeleteFileA((folder + "\\" + name).c_str());
            }
        }
    }
}

CFMDThread::CheckOutcome CFMDThread::VerifyFirst(const std::string& base, const std::string& barcode,
                                                 ScanResult& record, int& outageResult)
{
    Log("FMD - Verifying the pack before its %s is sent again", ModeNames(record.mode));
    std::string request = FillRequestTemplate(RequestTemplate(Verify), m_settings.Username, m_settings.Password, barcode);
    ServiceExchange check = ExchangeWithService(m_settings, base, request);
    if (!check.sent) return CheckOutcome::Skipped;
    if (IsTestAccount(m_settings.Username)) AddLogRow("Contents = %s", check.reply.c_str());
    if (ClassifyExchange(check.result, check.reply) != OutageKind::None) {
        outageResult = check.result;
        return CheckOutcome::Waiting;
    }
    if (check.result != 0) {
        record.messageHeading = RequestFailedText(check.result);
        return CheckOutcome::Settled;
    }
    ScanResult verified;
    FillFromReply(check.reply, verified);
    switch (DecideAfterVerify(record.mode, verified)) {
    case ResendDecision::Send: return CheckOutcome::SendRequest;
    case ResendDecision::DoneBefore:
        FillFromReply(check.reply, record);
        record.kind = ScanResultKind::Warning;
        record.statusText = kDoneBeforeStatusText;
        record.messageBody = kDoneBeforeText;
        Log("FMD - The pack was already supplied: not decommissioned again");
        return CheckOutcome::Settled;
    case ResendDecision::ShowAsIs: break;
    }
    FillFromReply(check.reply, record);
    return CheckOutcome::Settled;
}

void CFMDThread::StartOutage()
{
    if (m_outage) return;
    m_outage = true;
    m_sentSinceOutage = 0;
    m_replayPause.Reset();
    m_nextReplayTick = GetTickCount64() + m_replayPause.Next();
    Log("FMD - the service cannot be reached: scans wait in \"%s\"", WaitingFolder().c_str());
    AddLogRow("The service cannot be reached: scans are kept and sent when it answers");
}

namespace {

// A Waiting row for the scan, posted in place of its "Scanned" row; the first
// of an outage sounds the alert.
void PostWaitingRow(HWND list, std::unique_ptr<ScanResult> record, const std::string& reason, bool first)
{
    record->kind = ScanResultKind::Waiting;
    record->statusText = kWaitingStatusText;
    record->status = first ? kOutageAlertStatus : "";
    record->messageHeading = reason;
    record->messageBody = "The scan is kept and sent as soon as the service answers.";
    PostScanResult(list, record.release());
}

}  // namespace

void CFMDThread::KeepWaiting(const std::string& folder, const std::string& fileName,
                             std::unique_ptr<ScanResult> record, int curlResult, bool uncertain)
{
    std::string waiting = WaitingFolder(), key = WithoutExtension(fileName);
    std::string base = folder + "\\" + key, kept = waiting + "\\" + key;
    // The marker first: a scan is never in the waiting folder without it
    // when it needs one. Without a marker its request file stays, which
    // marks it as well.
    EnsureDirectory(waiting);
    bool marked = !uncertain || FileExists(kept + ".uncertain") || WriteWholeFile(kept + ".uncertain", "");
    if (folder != waiting) {
        if (!marked || !MoveFileA((base + ".dat").c_str(), (kept + ".dat").c_str())) {
            Warning("FMD - cannot keep \"%s\" in the waiting folder: it is sent again from the scan folder",
                    fileName.c_str());
        }
        bool first = !m_outage;
        StartOutage();
        PostWaitingRow(m_resultsWindow, std::move(record), WaitingReason(curlResult), first);
    }
    Log("FMD - \"%s\" waits for the service (%s)", fileName.c_str(), uncertain ? "may have arrived" : "not sent");
    if (marked) RemoveExchangeFiles(base);
}

void CFMDThread::QueueBehindWaiting(const std::string& fileName)
{
    std::string key = WithoutExtension(fileName), content;
    std::string base = m_strScanFolder + "\\" + key, kept = WaitingFolder() + "\\" + key;
    if (!ReadWholeFile(base + ".dat", content)) return;  // tried again next pass
    // An ended program's exchange may have reached the service.
    if (FileExists(base + ".post") && !FileExists(kept + ".uncertain") && !WriteWholeFile(kept + ".uncertain", ""))
        return;
    if (!MoveFileA((base + ".dat").c_str(), (kept + ".dat").c_str())) return;
    RemoveExchangeFiles(base);
    PostWaitingRow(m_resultsWindow, RecordOfSpoolFile(key, content), "Queued behind the scans waiting for the service", false);
}

void CFMDThread::ReplayWaitingScans()
{
    std::vector<std::string> keys;
    for (const std::string& name : ListFiles(WaitingFolder(), "*.dat"))
        if (!m_undeletable.count(name)) keys.push_back(WithoutExtension(name));
    SortOldestFirst(keys);
    if (keys.empty()) {
        if (!m_outage) return;
        m_outage = false;
        Log("FMD - the service answers again: %d waiting scans sent", m_sentSinceOutage);
        AddLogRow("The service answers again: %d waiting scans sent", m_sentSinceOutage);
        return;
    }
    if (!m_outage) {
        // Kept by an earlier run of the program: they get their rows back.
        m_outage = true;
        m_sentSinceOutage = 0;
        m_replayPause.Reset();
        m_nextReplayTick = 0;
        for (const std::string& key : keys) {
            std::string content;
            if (!ReadWholeFile(WaitingFolder() + "\\" + key + ".dat", content)) continue;
            PostWaitingRow(m_resultsWindow, RecordOfSpoolFile(key, content), "Kept while the service could not be reached", false);
        }
    }
    if (GetTickCount64() < m_nextReplayTick) return;
    for (const std::string& key : keys) {
        switch (SendScan(WaitingFolder(), key + ".dat")) {
        case SendOutcome::Waiting: m_nextReplayTick = GetTickCount64() + m_replayPause.Next(); return;
        case SendOutcome::Skipped: return;  // tried again next pass
        case SendOutcome::Unreadable: break;  // held open elsewhere: the others go meanwhile, it is tried next pass
        case SendOutcome::Settled: ++m_sentSinceOutage; m_replayPause.Reset(); break;
        }
    }
}
