// The main window's update check, the update download and the scanner
// drivers' download, all from the update server over plain HTTP.
#include "ui/main/main_dialog.h"

#include "base/text_catalog.h"
#include "core/log.h"
#include "framework/file_ops.h"
#include "res/resource.h"
#include "ui/controls/message_box.h"
#include "ui/update/installer_fetch.h"
#include "ui/update/installer_signature.h"
#include "ui/update/signature_check.h"
#include "ui/update/update_memory.h"
#include "ui/update/update_rules.h"
#include "verify/curl_exchange.h"

namespace {


// Runs a GET into a new file of the download folder and returns its text;
// the file is gone afterwards. False when the request or the read failed.
bool FetchText(CurlContext context, const std::string& url, std::string& text)
{
    std::string replyPath;
    context.maxBytes = kTextAnswerMaxBytes;
    if (CurlExchange(context, url, replyPath, "", "application/json", "") != 0 || replyPath.empty()) return false;
    bool read = ReadWholeFile(replyPath, text);
    DeleteFileA(replyPath.c_str());
    return read;
}

// Downloads an installer and its signature and starts it if it may run;
// `startedVersion` receives the version a started one carries.
InstallerOutcome DownloadInstaller(const CurlContext& context, const std::string& url,
                                   const std::string& signatureUrl, InstallerRequest request,
                                   std::string* startedVersion = nullptr)
{
    if (CurlExchange(DownloadContext(context), url, request.replyPath, "", "application/json", "") != 0 ||
        request.replyPath.empty())
        return InstallerOutcome::NotStarted;
    FetchText(context, signatureUrl, request.signatureText);
    InstallerOutcome outcome = FetchInstaller(request, startedVersion);
    DeleteFileA(request.replyPath.c_str());  // already gone after a move
    return outcome;
}

}  // namespace

void CMainDialog::CheckForUpdate()
{
    if (UpdateBusy) return;
    Log("Checking for update. Our version = %s", kProgramVersion);
    AppSettings settings = m_settings.Snapshot();
    std::string reply;
    if (!FetchText(ContextFor(settings), UpdateCheckUrl(settings.UpdateHost, settings.Username), reply)) return;
    Log("Latest version = %s", reply.c_str());
    UpdateReply pieces = SplitUpdateReply(reply);
    if (!OffersNewerVersion(pieces.version)) return;
    if (pieces.hasBody) ShowReleaseNotes(pieces.title, pieces.body);
    ShowWindow(GetDlgItem(m_hWnd, IDC_UPDATE), SW_SHOW);
    m_updateButton.Flash(255, 220, 220, 800);
    SetDlgItemTextA(m_hWnd, IDC_UPDATE, Text(TextId::ButtonUpdateNow));
}

void CMainDialog::ShowReleaseNotes(const std::string& title, const std::string& body)
{
    CMessageBoxDialog notes(m_hWnd);
    notes.m_strCaption = title;
    notes.m_buttons = MessageBoxButtons::Ok;
    TextRun heading;
    heading.text = title + "\n";
    heading.face = "Lucida Sans Unicode";
    heading.size = 20;
    heading.bold = heading.underline = true;
    notes.AppendRun(heading);
    TextRun text;
    text.text = body + Text(TextId::NotesClosing);
    notes.AppendRun(text);
    notes.DoModal();
}

void CMainDialog::DownloadUpdate()
{
    if (UpdateBusy) return;
    UpdateBusy = true;
    Log("Downloading update. Our version = %s", kProgramVersion);
    AppSettings settings = m_settings.Snapshot();
    CurlContext context = ContextFor(settings);
    InstallerRequest request;
    request.target = context.downloadFolder + "\\update.exe";
    request.mustBeNewer = request.mustBeOffered = true;
    FetchText(context, UpdateOfferUrl(settings.UpdateHost, settings.Username), request.offerText);
    // A genuine offer's date is kept even if its installer is refused: an
    // older one is a replay from then on.
    request.newestOfferIssued = TakeInOfferIssued(GenuineOfferIssued(request.offerText, VerifyMakerSignature));
    InstallerOutcome outcome = DownloadInstaller(context, UpdateDownloadUrl(settings.UpdateHost, settings.Username),
                                                 UpdateSignatureUrl(settings.UpdateHost, settings.Username), request);
    if (outcome == InstallerOutcome::NotPlaced) ShowMessageBox(Text(TextId::InstallerNotPlaced), "", MessageBoxButtons::Ok);
    if (outcome == InstallerOutcome::NotStarted) {
        Log("No update available");
        ShowMessageBox(Text(TextId::NoUpdate) + std::string(kProgramVersion), "",
                       MessageBoxButtons::Ok);
    }
    UpdateBusy = false;
}

void CMainDialog::DownloadAndRun(const std::string& fileName)
{
    if (UpdateBusy) return;
    UpdateBusy = true;
    AppSettings settings = m_settings.Snapshot();
    CurlContext context = ContextFor(settings);
    InstallerRequest request;
    request.target = context.downloadFolder + "\\" + fileName;
    request.what = "Driver installer";
    request.shellStart = true;
    request.versionFloor = DriverVersionFloor(fileName);
    std::string startedVersion;
    InstallerOutcome outcome =
        DownloadInstaller(context, DriverDownloadUrl(settings.UpdateHost, fileName, settings.Username),
                          DriverSignatureUrl(settings.UpdateHost, fileName, settings.Username), request,
                          &startedVersion);
    if (outcome == InstallerOutcome::Started) RememberDriverStarted(fileName, startedVersion);
    if (outcome == InstallerOutcome::NotPlaced)
        ShowMessageBox(Text(TextId::InstallerNotPlaced), "QuorvixFMD Pellwick", MessageBoxButtons::Ok);
    if (outcome == InstallerOutcome::NotStarted)
        ShowMessageBox(Text(TextId::DownloadFailed), "QuorvixFMD Pellwick", MessageBoxButtons::Ok);
    UpdateBusy = false;
}
