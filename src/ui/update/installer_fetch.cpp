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
#include "framework/system_library.h"
#include "framework/win_handle.h"
#include "ui/update/installer_signature.h"
#include "ui/update/signature_check.h"
#include "ui/update/update_rules.h"

namespace {

// version.dll's functions, from the system folder; null when missing.
struct VersionFunctions {
    SystemLibrary library{"version.dll"};
    decltype(&GetFileVersionInfoSizeA) infoSize = library.Get<decltype(&GetFileVersionInfoSizeA)>("GetFileVersionInfoSizeA");
    decltype(&GetFileVersionInfoA) info = library.Get<decltype(&GetFileVersionInfoA)>("GetFileVersionInfoA");
    decltype(&VerQueryValueA) query = library.Get<decltype(&VerQueryValueA)>("VerQueryValueA");
};

const VersionFunctions& Version()
{
    static const VersionFunctions functions;
    return functions;
}

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
    if (!Version().query) return "";
    if (!Version().query(block, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof(Translation))
        return "";
    std::string name = StringPrintf("\\StringFileInfo\\%04x%04x\\FileVersion", translation->language,
                                    translation->codePage);
    char* text = nullptr;
    if (!Version().query(block, name.c_str(), reinterpret_cast<void**>(&text), &length) || length == 0) return "";
    return std::string(text, strnlen(text, length));
}

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// The version information of a file; empty when it has none.
std::vector<char> VersionInfo(const std::string& path)
{
    const VersionFunctions& version = Version();
    if (!version.infoSize || !version.info) return {};
    DWORD size = version.infoSize(path.c_str(), nullptr);
    std::vector<char> info(size);
    if (size == 0 || !version.info(path.c_str(), 0, size, info.data())) info.clear();
    return info;
}

// Empty when the maker signed this very file for this use. The file is read
// through the handle that holds it.
std::string SignatureRejection(const InstallerRequest& request, HANDLE held, const std::string& carriedVersion)
{
    std::string sha256 = Sha256HexOfFile(held);
    if (sha256.empty()) return "cannot be checked: the file cannot be read";
    InstallerFacts facts{FileNameOf(request.target), carriedVersion, sha256, request.mustBeNewer,
                         request.mustBeOffered, request.offerText, request.newestOfferIssued, request.versionFloor};
    return InstallerRejection(request.signatureText, facts, VerifyMakerSignature);
}

// True when the held file at the target may run: a program, signed for this.
// `carriedVersion` receives the version it carries.
bool MayRun(const InstallerRequest& request, HANDLE held, std::string& carriedVersion)
{
    std::vector<char> info = VersionInfo(request.target);
    if (info.empty()) return false;
    carriedVersion = VersionText(info);
    // Checked before anything starts: whoever answers in the server's place
    // must not be able to run a program here.
    std::string rejection = SignatureRejection(request, held, carriedVersion);
    if (!rejection.empty()) {
        Log("%s rejected: signature %s: \"%s\"", request.what.c_str(), rejection.c_str(),
            FileNameOf(request.target).c_str());
        return false;
    }
    DWORD kind = 0;
    return GetBinaryTypeA(request.target.c_str(), &kind) != 0;
}

// Started once: two copies of an installer would fight over the same driver
// or files, so the launcher runs it only when the shell has refused.
void Start(const std::string& target, bool shellStart)
{
    std::string command = "\"" + target + "\"";
    Log("Running %s", command.c_str());
    ProgramContext* app = ProgramContext::Current();
    if (shellStart) {
        HINSTANCE opened = ShellExecuteA(nullptr, "open", target.c_str(), nullptr,
                                         app ? app->DownloadFolder.c_str() : nullptr, SW_SHOW);
        // Values above 32 mean the shell started it.
        if (reinterpret_cast<INT_PTR>(opened) > 32) return;
    }
    WinExec(command.c_str(), SW_SHOW);
}

}  // namespace

InstallerOutcome FetchInstaller(const InstallerRequest& request, std::string* startedVersion)
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
    std::string carriedVersion;
    bool started = held && MayRun(request, held.Get(), carriedVersion);
    if (started) Start(request.target, request.shellStart);
    if (started && startedVersion) *startedVersion = carriedVersion;
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
