// The verification worker's polling loop, each scan's way from its spool file
// to its row, and the credentials check.
#include "verify/fmd_thread.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/text_catalog.h"
#include "core/log.h"
#include "core/main_window_facade.h"
#include "core/scan_result_post.h"
#include "core/spool_content.h"
#include "framework/file_ops.h"
#include "verify/curl_command.h"
#include "verify/hold_rules.h"
#include "verify/reply_parser.h"
#include "verify/request_templates.h"
#include "verify/scan_check_rows.h"
#include "verify/service_exchange.h"
#include "verify/spool_record.h"

namespace {

constexpr DWORD kPollIntervalMs = 100;
// A spool file that cannot be read on this many passes in a row, over at
// least this long, is set aside.
constexpr int kUnreadablePasses = 5;
constexpr unsigned long long kUnreadableMs = 30000;

// Says at the counter why the service will likely refuse a scan, or that
// the pack has expired; reading it changes nothing that is sent. Once per
// scan: after its answer is shown.
void ReportScanFaults(const std::string& barcode, const std::optional<CalendarDate>& today)
{
    for (const std::string& row : ScanCheckRows(barcode, today)) AddLogRow("%s", ShownText(row).c_str());
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
        RememberFromHistory();
        FollowAccountRefusal();
        MoveSetAsideFiles();
        ReplayWaitingScans();
        for (const std::string& name : ListFiles(m_strScanFolder, "*.dat"))
            if (!LeftAlone(m_strScanFolder + "\\" + name)) ProcessSpoolFile(name);
        m_history.TrimOldRows(m_settings.HistoryDays);
        m_history.ReleaseWhenIdle();
    }
}

void CFMDThread::RememberFromHistory()
{
    if (m_historyRemembered) return;
    m_historyRemembered = true;
    // Whatever the switches: the guard may be turned on later, and a pack
    // left uncertain is verified first in any case. A day back at least, so
    // that more minutes set later still find the successes.
    std::time_t now = m_guard.Now();
    long minutes = m_settings.DoubleScanMinutes > 24 * 60 ? m_settings.DoubleScanMinutes : 24 * 60;
    std::vector<PastOutcome> past = m_history.OutcomesSince(now - std::max<std::time_t>(minutes * 60L, kUncertainDays * 86400L));
    unsigned successes = 0;
    for (const PastOutcome& outcome : past) {
        m_uncertain.Note(NewsOfOutcome(outcome.mode, outcome.kind, outcome.statusText, outcome.status,
                                       outcome.messageHeading, outcome.curlResult),
                         outcome.barcode, outcome.when);
        if (outcome.kind == ScanResultKind::Success && outcome.statusText != kDoneBeforeStatusText &&
            now - outcome.when < minutes * 60L) {
            m_guard.RememberSuccessAt(outcome.barcode, outcome.mode, outcome.when);
            ++successes;
        }
    }
    if (successes) Log("FMD - the double-scan guard remembers %u successes from the history", successes);
    if (m_uncertain.Count())
        Log("FMD - %u packs are verified before they are sent again: their last answer was lost",
            unsigned(m_uncertain.Count()));
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
    HandleScan(m_strScanFolder, fileName);
    // The approval of a held scan goes once the scan has left the folder.
    // Without the switch there is none: no look on every scan (a stray one
    // goes with the leftovers at the next start).
    if (!m_settings.HoldImplausibleScans) return;
    std::string approval = ApprovalPath(WithoutExtension(fileName));
    if (FileExists(approval) && !FileExists(m_strScanFolder + "\\" + fileName)) DeleteFileA(approval.c_str());
}

bool CFMDThread::ReadSpoolFile(const std::string& folder, const std::string& fileName, std::string& content)
{
    std::string path = folder + "\\" + fileName;
    unsigned long long size = 0;
    if (FileSize(path, size) && size > kMaxSpoolFileBytes) {
        SetAside(folder, fileName, "it is too large for a scan");
        return false;
    }
    if (ReadWholeFile(path, content)) {
        m_readFailures.erase(path);
        return true;
    }
    Warning("FMD - failed to read barcode from \"%s\"", path.c_str());
    ReadFailures& failures = m_readFailures[path];
    if (failures.count++ == 0) failures.firstTick = GetTickCount64();
    // Another program may hold a file for a moment (a scanner of viruses, a
    // backup); one that stays unreadable is set aside so the others go on.
    if (failures.count >= kUnreadablePasses && GetTickCount64() - failures.firstTick >= kUnreadableMs)
        SetAside(folder, fileName, "it could not be read");
    return false;
}

void CFMDThread::SetAside(const std::string& folder, const std::string& fileName, const char* why)
{
    std::string path = folder + "\\" + fileName;
    m_readFailures.erase(path);
    if (!m_settingAside.emplace(path, folder).second) return;
    Warning("FMD - \"%s\" set aside unsent: %s", path.c_str(), why);
    AddLogRow(Text(TextId::RowSetAsideUnsent), why,
              UnreadableFolderOf(m_strScanFolder).c_str());
    MoveSetAsideFiles();
}

void CFMDThread::MoveSetAsideFiles()
{
    std::string unreadable = UnreadableFolderOf(m_strScanFolder);
    for (auto it = m_settingAside.begin(); it != m_settingAside.end();) {
        const std::string& path = it->first;
        std::string name = path.substr(path.rfind('\\') + 1), key = WithoutExtension(name);
        // Held open elsewhere, it cannot move yet: it is never sent, and is
        // moved on a later pass.
        if (!EnsureDirectory(unreadable) || !MoveFileA(path.c_str(), (unreadable + "\\" + name).c_str())) {
            ++it;
            continue;
        }
        // Its marks go with it, so that nothing ever sends it blind.
        for (const char* extension : {".post", ".uncertain"}) {
            std::string mark = it->second + "\\" + key + extension;
            if (FileExists(mark)) MoveFileA(mark.c_str(), (unreadable + "\\" + key + extension).c_str());
        }
        Log("FMD - \"%s\" moved to \"%s\"", name.c_str(), unreadable.c_str());
        it = m_settingAside.erase(it);
    }
}

bool CFMDThread::LeftAlone(const std::string& path) const
{
    return m_undeletable.count(path) || m_settingAside.count(path);
}

ScanSituation CFMDThread::SituationOf(const std::string& folder, const ScanResult& record, HoldReasons& reasons)
{
    std::string base = folder + "\\" + record.key;
    ScanSituation scan;
    scan.mode = record.mode;
    scan.hasRequest = RequestTemplate(record.mode) != nullptr;
    scan.kept = folder != m_strScanFolder;
    scan.keepScans = m_settings.KeepScansDuringOutage;
    scan.outage = m_outage;
    scan.accountRefused = m_accountRefused;
    scan.mayHaveArrived = FileExists(base + ".uncertain") || FileExists(base + ".post");
    scan.packUncertain = m_uncertain.IsUncertain(record.barcode, m_guard.Now());
    scan.doneBefore = m_settings.GuardDoubleScans &&
                      m_guard.DoneBefore(record.barcode, record.mode, m_settings.DoubleScanMinutes).has_value();
    if (!scan.kept && m_settings.HoldImplausibleScans) {
        scan.approved = FileExists(ApprovalPath(record.key));
        reasons = ReasonsToHold(true, record.mode, record.barcode, m_expiryClock.Today());
        scan.holdFaults = !reasons.None();
    }
    return scan;
}

CFMDThread::SendOutcome CFMDThread::HandleScan(const std::string& folder, const std::string& fileName)
{
    Log("FMD - Found file \"%s\"", fileName.c_str());
    std::string content;
    if (!ReadSpoolFile(folder, fileName, content)) return SendOutcome::Unreadable;
    std::unique_ptr<ScanResult> record = RecordOfSpoolFile(WithoutExtension(fileName), content);
    // A scan kept through an outage: its file was saved when it was scanned.
    unsigned long long savedAt = 0;
    if (folder == WaitingFolder() && FileSavedAt(folder + "\\" + fileName, savedAt))
        record->waitedSeconds = SecondsSince(savedAt);
    HoldReasons reasons;
    ScanSituation scan = SituationOf(folder, *record, reasons);
    FirstStep step = FirstStepFor(scan);
    if (step == FirstStep::Hold) {
        if (HoldScan(fileName, record, std::move(reasons))) return SendOutcome::Settled;
        scan.holdFaults = false;  // it cannot be held: it goes as it would without the switch
        step = FirstStepFor(scan);
    }
    switch (step) {
    case FirstStep::Hold: break;
    case FirstStep::Queue: QueueBehindWaiting(fileName, std::move(record)); return SendOutcome::Waiting;
    case FirstStep::RefuseMode:
        // Mode 3 (Login) passes the range test but has no pack template: an
        // empty request would only come back as "Invalid".
        Log("Barcode has invalid mode");
        SettleScan(std::move(record), 0);
        FinishScanFiles(folder, fileName);
        return SendOutcome::Settled;
    case FirstStep::StopDoneBefore: {
        std::string doneBefore = m_guard.StopIfDoneBefore(*record, m_settings.DoubleScanMinutes);
        Log("FMD - %s", doneBefore.c_str());
        SettleScan(std::move(record), 0);
        AddLogRow("%s", doneBefore.c_str());
        FinishScanFiles(folder, fileName);
        return SendOutcome::Settled;
    }
    case FirstStep::VerifyFirst: return VerifyFirst(folder, fileName, std::move(record), scan);
    case FirstStep::Send: break;
    }
    return SendAndSettle(folder, fileName, std::move(record), scan, false);
}

CFMDThread::SendOutcome CFMDThread::SendAndSettle(const std::string& folder, const std::string& fileName,
                                                  std::unique_ptr<ScanResult> record, const ScanSituation& scan,
                                                  bool uncertainBefore)
{
    std::string barcode = EscapeBarcode(record->barcode);
    Log("Barcode = %s", barcode.c_str());
    std::string request =
        FillRequestTemplate(RequestTemplate(record->mode), m_settings.Username, m_settings.Password, barcode);
    ServiceExchange exchange = ExchangeWithService(m_settings, folder + "\\" + record->key, request);
    if (!exchange.sent) return SendOutcome::Skipped;  // the spool file stays for the next pass
    if (IsTestAccount(m_settings.Username)) AddLogRow("Contents = %s", exchange.reply.c_str());

    ExchangeResult result = ReadExchange(exchange.result, exchange.reply);
    // A refusal without an item status is still no answer about the pack:
    // a change waits marked, and is verified first once the password is right.
    if (AccountRefusedBy(result, exchange.reply))
        return WaitForPassword(folder, fileName, std::move(record), exchange.result,
                               uncertainBefore || scan.mayHaveArrived ||
                                   (ChangesPackState(scan.mode) && result != ExchangeResult::Answered));
    switch (AfterSending(scan, result, uncertainBefore)) {
    case AfterExchange::Wait:
    case AfterExchange::WaitUncertain:
        KeepWaiting(folder, fileName, std::move(record), exchange.result,
                    AfterSending(scan, result, uncertainBefore) == AfterExchange::WaitUncertain);
        return SendOutcome::Waiting;
    case AfterExchange::Settle:
    case AfterExchange::SettleUncertain: break;
    }
    if (exchange.result != 0)
        record->messageHeading = RequestFailedText(exchange.result);
    else
        FillFromReply(exchange.reply, *record);
    // The answer first: the pharmacist waits for it; the reasons follow.
    std::string scanned = record->barcode;
    SettleScan(std::move(record), exchange.result);
    ReportScanFaults(scanned, m_expiryClock.Today());
    FinishScanFiles(folder, fileName);
    return SendOutcome::Settled;
}

CFMDThread::SendOutcome CFMDThread::VerifyFirst(const std::string& folder, const std::string& fileName,
                                                std::unique_ptr<ScanResult> record, const ScanSituation& scan)
{
    Log("FMD - Verifying the pack before its %s is sent again", ModeNames(record->mode));
    std::string barcode = EscapeBarcode(record->barcode);
    std::string request = FillRequestTemplate(RequestTemplate(Verify), m_settings.Username, m_settings.Password, barcode);
    ServiceExchange check = ExchangeWithService(m_settings, folder + "\\" + record->key, request);
    if (!check.sent) return SendOutcome::Skipped;
    if (IsTestAccount(m_settings.Username)) AddLogRow("Contents = %s", check.reply.c_str());
    ExchangeResult result = ReadExchange(check.result, check.reply);
    if (AccountRefusedBy(result, check.reply))
        return WaitForPassword(folder, fileName, std::move(record), check.result, true);
    ScanResult verified;
    if (result == ExchangeResult::Answered) FillFromReply(check.reply, verified);
    switch (AfterVerifyFirst(scan, result, verified.status, verified.messageHeading, verified.messageBody)) {
    case AfterCheck::Send:
        // The check settled the doubt: the pack is as it was.
        return SendAndSettle(folder, fileName, std::move(record), scan, false);
    case AfterCheck::Wait:
        KeepWaiting(folder, fileName, std::move(record), check.result, true);
        return SendOutcome::Waiting;
    case AfterCheck::ShowFailure:
        if (check.result != 0) {
            record->messageHeading = kCheckedFirstPrefix + RequestFailedText(check.result);
        } else {
            FillFromReply(check.reply, *record);
            record->messageHeading = std::string(kCheckedFirstPrefix) + "the service's answer could not be read";
        }
        Log("FMD - The check before the %s brought no answer: not sent", ModeNames(record->mode));
        break;
    case AfterCheck::DoneBefore:
        FillFromReply(check.reply, *record);
        record->kind = ScanResultKind::Warning;
        record->statusText = kDoneBeforeStatusText;
        record->messageBody = DoneBeforeText(record->mode);
        Log("FMD - The pack's %s had already happened: not sent again", ModeNames(record->mode));
        if (record->mode == Decommission) m_guard.RememberSuccess(record->barcode, record->mode);
        break;
    case AfterCheck::ShowCheck:
        FillFromReply(check.reply, *record);
        record->messageHeading = kCheckedFirstPrefix + record->messageHeading;
        Log("FMD - The pack was checked first and its %s not sent", ModeNames(record->mode));
        break;
    }
    SettleScan(std::move(record), check.result);
    FinishScanFiles(folder, fileName);
    return SendOutcome::Settled;
}

void CFMDThread::SettleScan(std::unique_ptr<ScanResult> record, int curlResult)
{
    // The row first: the pharmacist waits for it, the history does not.
    // Kept before the spool file goes: a kill in between finds the request
    // file and verifies the pack first.
    const ScanResult kept = *record;
    PostScanResult(m_resultsWindow, record.release());
    m_uncertain.Note(NewsOfOutcome(kept.mode, kept.kind, kept.statusText, kept.status, kept.messageHeading, curlResult),
                     kept.barcode, m_guard.Now());
    // The guard knows every success, switched on or not: turned on later, it
    // must not take an undone pack for a done one.
    if (kept.kind == ScanResultKind::Success && kept.statusText != kDoneBeforeStatusText)
        m_guard.RememberSuccess(kept.barcode, kept.mode);
    m_history.Record(kept, curlResult, m_settings.Username);
}

void CFMDThread::FinishScanFiles(const std::string& folder, const std::string& fileName)
{
    std::string path = folder + "\\" + fileName, base = folder + "\\" + WithoutExtension(fileName);
    Log("FMD - Deleting \"%s\"", fileName.c_str());
    DeleteFileA((base + ".reply").c_str());
    // The spool file goes first and its marks only after it: while they are
    // there, the scan counts as possibly sent, and a kill in between never
    // sends it blind.
    if (!DeleteFileA(path.c_str())) {
        Warning("FMD - cannot delete \"%s\": it is not sent again until the program restarts, then checked first",
                fileName.c_str());
        m_undeletable.insert(path);
        if (!FileExists(base + ".post") && !FileExists(base + ".uncertain")) WriteWholeFile(base + ".uncertain", "");
        return;
    }
    DeleteFileA((base + ".uncertain").c_str());
    DeleteFileA((base + ".post").c_str());
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
    LoginAnswer answer = ReadLoginAnswer(exchange.result, exchange.reply);
    NoteLoginAnswer(settings, scanFolder, answer);
    return answer == LoginAnswer::Accepted;
}

void CFMDThread::RemoveLeftoverFiles(const std::string& scanFolder)
{
    for (const std::string& name : ListFiles(scanFolder, "*.dat.tmp")) {
        std::string path = scanFolder + "\\" + name, content;
        bool finished = FinishTemporaryFile(path, content);  // its whole scan was written before the end
        std::string barcode = EscapeBarcode(ParseSpoolText(content).barcode);
        if (finished) {
            Log("Finished spool file \"%s\" left complete by the last run: barcode \"%s\"", name.c_str(),
                barcode.c_str());
            continue;
        }
        Log("Removing cut-off spool file \"%s\": barcode \"%s\" was not sent", name.c_str(), barcode.c_str());
        AddLogRow(Text(TextId::RowCutOffScan), barcode.c_str());
        DeleteFileA(path.c_str());
    }
    // A scan keeps its marks wherever it is; a mark whose scan has gone goes too.
    for (const std::string& folder : {scanFolder, WaitingFolderOf(scanFolder)}) {
        for (const char* pattern : {"*.post", "*.reply", "*.post.tmp", "*.uncertain", "*.uncertain.tmp", "*.approved"}) {
            for (const std::string& name : ListFiles(folder, pattern)) {
                std::string base = folder + "\\" + name.substr(0, name.rfind('.'));
                if (FileExists(base + ".dat")) continue;  // its scan is still to be sent
                Log("Removing leftover exchange file \"%s\"", name.c_str());
                DeleteFileA((folder + "\\" + name).c_str());
            }
        }
    }
}
