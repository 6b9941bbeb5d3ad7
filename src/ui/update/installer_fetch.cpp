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
#include "ui/update/installer_signature.h"
#include "ui/update/signature_check.h"

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

// Empty when the maker signed this very file for this use.
std::string SignatureRejection(const InstallerRequest& request, const std::string& carriedVersion)
{
    std::string bytes;
    if (!ReadFileBytes(request.replyPath, bytes)) return "cannot be checked: the file cannot be read";
    InstallerFacts facts{FileNameOf(request.target), carriedVersion, Sha256Hex(bytes), request.mustBeNewer};
    return InstallerRejection(request.signatureText, facts, VerifyMakerSignature);
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

bool FetchInstaller(const InstallerRequest& request)
{
    // Only a real program carries version information.
    DWORD size = GetFileVersionInfoSizeA(request.replyPath.c_str(), nullptr);
    if (size == 0) return false;
    std::vector<char> info(size);
    if (!GetFileVersionInfoA(request.replyPath.c_str(), 0, size, info.data())) return false;

    // Checked before anything is moved or started: whoever answers in the
    // server's place must not be able to run a program here.
    std::string rejection = SignatureRejection(request, VersionText(info));
    if (!rejection.empty()) {
        Log("Update rejected: signature %s: \"%s\"", rejection.c_str(), FileNameOf(request.target).c_str());
        return false;
    }

    if (FileExists(request.target)) DeleteFileA(request.target.c_str());
    MoveFileA(request.replyPath.c_str(), request.target.c_str());
    DWORD kind = 0;
    bool started = GetBinaryTypeA(request.target.c_str(), &kind) != 0;
    if (started) Start(request.target, request.shellStart);
    // Refused while the installer runs: it stays until the next fetch.
    DeleteFileA(request.target.c_str());
    return started;
}
