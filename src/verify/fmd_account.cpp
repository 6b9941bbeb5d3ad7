// The worker's side of a refused account: with KeepScansDuringOutage on, a
// password the service refused is not sent again, so that the account never
// locks. The refusal is remembered in the waiting folder (a fingerprint, not
// the password) until a credentials check succeeds, across restarts.
#include <windows.h>

#include "base/text_catalog.h"
#include "core/log.h"
#include "core/main_window_facade.h"
#include "core/scan_result_post.h"
#include "framework/file_ops.h"
#include "verify/account_refusal.h"
#include "verify/fmd_thread.h"
#include "verify/reply_parser.h"

namespace {

std::string RefusalPath(const std::string& scanFolder) { return WaitingFolderOf(scanFolder) + "\\account.refused"; }

void RememberRefusal(const AppSettings& settings, const std::string& scanFolder)
{
    EnsureDirectory(WaitingFolderOf(scanFolder));
    if (!WriteWholeFile(RefusalPath(scanFolder), AccountFingerprint(settings.Username, settings.Password)))
        Warning("FMD - cannot remember the refused password in \"%s\"", RefusalPath(scanFolder).c_str());
}

// Once the service has accepted an account, whatever refusal is remembered is past.
void ForgetRefusal(const std::string& scanFolder, const char* why)
{
    if (!FileExists(RefusalPath(scanFolder))) return;
    Log("FMD - %s: the refusal is forgotten", why);
    DeleteFileA(RefusalPath(scanFolder).c_str());
}

}  // namespace

bool CFMDThread::KnownRefused(const AppSettings& settings, const std::string& scanFolder)
{
    if (!settings.KeepScansDuringOutage) return false;
    std::string remembered;
    return ReadWholeFile(RefusalPath(scanFolder), remembered) &&
           remembered == AccountFingerprint(settings.Username, settings.Password);
}

void CFMDThread::NoteLoginAnswer(const AppSettings& settings, const std::string& scanFolder, LoginAnswer answer)
{
    if (!settings.KeepScansDuringOutage) return;
    if (answer == LoginAnswer::Refused) {
        Log("FMD - the service refused the credentials: they are not sent again until a check succeeds");
        RememberRefusal(settings, scanFolder);
    } else if (answer == LoginAnswer::Accepted) {
        ForgetRefusal(scanFolder, "the service accepted the credentials");
    }
}

bool CFMDThread::AccountRefusedBy(ExchangeResult result, const std::string& reply)
{
    if (!m_settings.KeepScansDuringOutage || IsTestAccount(m_settings.Username)) return false;
    if (result == ExchangeResult::Answered) {
        ScanResult answered;
        FillFromReply(reply, answered);
        if (AnswerRefusesAccount(answered)) {
            RememberRefusal(m_settings, m_strScanFolder);
            return true;
        }
        // Answered with credentials changed since: the refused ones are past.
        ForgetRefusal(m_strScanFolder, "the service answers with the credentials now set");
        return false;
    }
    // An answer without an item status may be a refused login or another
    // error: one credentials check tells them apart.
    return result == ExchangeResult::NoItemStatus && !CheckLogin(m_settings, m_strScanFolder) &&
           KnownRefused(m_settings, m_strScanFolder);
}

void CFMDThread::EnterAccountRefusal()
{
    if (m_accountRefused) return;
    m_accountRefused = true;
    m_refusalAlertDue = true;
    m_outage = true;
    m_sentSinceOutage = 0;
    m_replayPause.Reset();
    Log("FMD - the service refused the account: scans wait in \"%s\" until a credentials check succeeds",
        WaitingFolder().c_str());
    AddLogRow("%s", Text(TextId::RowAccountRefused));
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (host) host->AccountRefused();
}

void CFMDThread::FollowAccountRefusal()
{
    bool refused = KnownRefused(m_settings, m_strScanFolder);
    if (refused == m_accountRefused) return;
    if (refused) {
        // Remembered from an earlier run, or refused by a check elsewhere:
        // the window has asked for the password already.
        m_accountRefused = true;
        m_refusalAlertDue = true;
        return;
    }
    m_accountRefused = false;
    m_nextReplayTick = 0;
    m_replayPause.Reset();
    Log("FMD - the credentials are accepted again: the waiting scans are sent");
    AddLogRow("%s", Text(TextId::RowAccountAccepted));
}

bool CFMDThread::TakeRefusalAlert()
{
    bool due = m_refusalAlertDue;
    m_refusalAlertDue = false;
    return due;
}
