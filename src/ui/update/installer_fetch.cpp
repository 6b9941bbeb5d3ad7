// The installer fetch: version information, the maker's signature, the move,
// the start.
#include "ui/update/installer_fetch.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "base/string_format.h"
#include "core/log.h"
#include "core/program_context.h"
#include "framework/file_ops.h"
#include "framework/win_handle.h"
#include "ui/update/installer_signature.h"
#include "ui/update/signature_check.h"
#include "ui/update/update_rules.h"

namespace {

// The "FileVersion" text of version information, in the first language it
// lists; empty when there is none.
std::string VersionText(const std::vector<char>& info)
{
    struct Translation {
        WORD language, codePage;
    };
    Translation* translation = nullptr;
    UINT length = 0;
    void* block = const_cast<char*>(info.data());
    if (!VerQueryValueA(block, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof(Translation))
        return "";
    std::string name = StringPrintf("\\StringFileInfo\\%04x%04x\\FileVersion", translation->language,
                                    translation->codePage);
    char* text = nullptr;
    if (!VerQueryValueA(block, name.c_str(), reinterpret_cast<void**>(&text), &length) || length == 0) return "";
    return std::string(text, strnlen(text, length));
}

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// The version information of a file; empty when it has none.
std::vector<char> VersionInfo(const std::string& path)
{
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, info.data())) info.clear();
    return info;
}

// Empty when the maker signed this very file for this use. The file is read
// through the handle that holds it.
std::string SignatureRejection(const InstallerRequest& request, HANDLE held, const std::string& carriedVersion)
{
    std::string sha256 = Sha256HexOfFile(held);
    if (sha256.empty()) return "cannot be checked: the file cannot be read";
    InstallerFacts facts{FileNameOf(request.target), carriedVersion, sha256, request.mustBeNewer,
                         request.mustBeOffered, request.offerText};
    return InstallerRejection(request.signatureText, facts, VerifyMakerSignature);
}

// True when the held file at the target may run: a program, signed for this.
bool MayRun(const InstallerRequest& request, HANDLE held)
{
    std::vector<char> info = VersionInfo(request.target);
    if (info.empty()) return false;
    // Checked before anything starts: whoever answers in the server's place
    // must not be able to run a program here.
    std::string rejection = SignatureRejection(request, held, VersionText(info));
    if (!rejection.empty()) {
        Log("%s rejected: signature %s: \"%s\"", request.what.c_str(), rejection.c_str(),
            FileNameOf(request.target).c_str());
        return false;
    }
    DWORD kind = 0;
    return GetBinaryTypeA(request.target.c_str(), &kind) != 0;
}

void Start(const std::string& target, bool shellStart)
{
    std::string command = "\"" + target + "\"";
    Log("Running %s", command.c_str());
    ProgramContext* app = ProgramContext::Current();
    if (shellStart)
        ShellExecuteA(nullptr, "open", target.c_str(), nullptr, app ? app->DownloadFolder.c_str() : nullptr, SW_SHOW);
    WinExec(command.c_str(), SW_SHOW);
}

}  // namespace

InstallerOutcome FetchInstaller(const InstallerRequest& request)
{
    // Only a real program carries version information.
    if (VersionInfo(request.replyPath).empty()) return InstallerOutcome::NotStarted;

    if (FileExists(request.target)) DeleteFileA(request.target.c_str());
    if (!MoveFileA(request.replyPath.c_str(), request.target.c_str())) {
        Log("%s not started: cannot replace \"%s\" (error %lu)", request.what.c_str(), request.target.c_str(),
            static_cast<unsigned long>(GetLastError()));
        return InstallerOutcome::NotPlaced;
    }
    // Held from the check until the start has returned: nobody may change,
    // replace or delete the file in between.
    FileHandle held(CreateFileA(request.target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    bool started = held && MayRun(request, held.Get());
    if (started) Start(request.target, request.shellStart);
    held.Reset();
    // Refused while the installer runs: it stays until the next fetch.
    DeleteFileA(request.target.c_str());
    return started ? InstallerOutcome::Started : InstallerOutcome::NotStarted;
}

void RemoveLeftoverDownloads(const std::string& folder)
{
    // A started installer that still runs cannot be deleted: it stays.
    for (const std::string& name : ListFiles(folder, "*"))
        if (IsProgramDownloadName(name)) DeleteFileA((folder + "\\" + name).c_str());
}
