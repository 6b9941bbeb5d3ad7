// Update requests, the check's reply and the driver installers' names.
#include "ui/update/update_rules.h"

namespace {

const char kUpdateScript[] = "/QuorvixFMDPellwickUpdate.php?";

// The user name goes in as typed, but for blanks: curl refuses a URL with a
// blank, which would fail every request of such an account.
std::string AccountAndVersion(const std::string& username)
{
    std::string account;
    for (char c : username) account += c == ' ' ? std::string("%20") : std::string(1, c);
    return "acc=" + account + "&ver=" + kProgramVersion;
}

}  // namespace

UpdateReply SplitUpdateReply(const std::string& reply)
{
    UpdateReply pieces;
    size_t first = reply.find('\n');
    pieces.version = reply.substr(0, first);
    if (first == std::string::npos) return pieces;
    pieces.hasTitle = true;
    size_t second = reply.find('\n', first + 1);
    pieces.title = reply.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    if (second == std::string::npos) return pieces;
    pieces.hasBody = true;
    pieces.body = reply.substr(second + 1);
    return pieces;
}

bool OffersNewerVersion(const std::string& latest)
{
    return !latest.empty() && latest[0] >= '0' && latest[0] <= '9' && latest > kProgramVersion;
}

std::string UpdateCheckUrl(const std::string& host, const std::string& username)
{
    return "http://" + host + kUpdateScript + "chk=1&" + AccountAndVersion(username);
}

std::string UpdateDownloadUrl(const std::string& host, const std::string& username)
{
    return "http://" + host + kUpdateScript + AccountAndVersion(username);
}

std::string UpdateSignatureUrl(const std::string& host, const std::string& username)
{
    return "http://" + host + kUpdateScript + "sig=1&" + AccountAndVersion(username);
}

std::string UpdateOfferUrl(const std::string& host, const std::string& username)
{
    return "http://" + host + kUpdateScript + "chk=1&sig=2&" + AccountAndVersion(username);
}

std::string DriverDownloadUrl(const std::string& host, const std::string& fileName, const std::string& username)
{
    return "http://" + host + "/pellwick/" + fileName + "?" + AccountAndVersion(username);
}

std::string DriverSignatureUrl(const std::string& host, const std::string& fileName, const std::string& username)
{
    return "http://" + host + "/pellwick/" + fileName + ".sig?" + AccountAndVersion(username);
}

std::string DriverInstallerName(ScannerDriver driver, const std::string& currentFolder)
{
    bool x64 = currentFolder.find("x86") != std::string::npos;
    if (driver == ScannerDriver::CipherLab) return x64 ? "CP210xVCPInstaller_x64.exe" : "CP210xVCPInstaller_x86.exe";
    return x64 ? "Zebra_CDC_ACM_Driver_x64.exe" : "Zebra_CDC_ACM_Driver_x86.exe";
}

bool IsProgramDownloadName(const std::string& name)
{
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) return true;
    if (name == "update.exe") return true;
    for (ScannerDriver driver : {ScannerDriver::CipherLab, ScannerDriver::Symbol})
        for (const char* folder : {"x86", ""})
            if (name == DriverInstallerName(driver, folder)) return true;
    return false;
}
