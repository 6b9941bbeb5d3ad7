// The update server's requests and the check's reply, and the choice of a
// scanner driver's installer. Portable.
#pragma once
#include <string>

#include "res/version.h"

constexpr char kProgramVersion[] = PELLWICK_VERSION;

// The check's reply cut at its first two line feeds; a carriage return stays
// with the piece before its line feed.
struct UpdateReply {
    std::string version;
    bool hasTitle = false;  // a first line feed
    std::string title;
    bool hasBody = false;   // a second line feed
    std::string body;
};
UpdateReply SplitUpdateReply(const std::string& reply);

// True when `latest` is greater than the program's version by a plain
// character comparison ("1.2" is newer than "1.190416"). A reply that does
// not start with a digit is an error page or a proxy's notice, not a
// version, and never counts as newer.
bool OffersNewerVersion(const std::string& latest);

// The plain-HTTP requests; the user name goes in unescaped, as the server
// expects it, but for blanks, which go as "%20".
std::string UpdateCheckUrl(const std::string& host, const std::string& username);
std::string UpdateDownloadUrl(const std::string& host, const std::string& username);
std::string DriverDownloadUrl(const std::string& host, const std::string& fileName, const std::string& username);
// Where the maker's signed, dated offer (the latest version, its installer
// and its issue date) is published, beside the check. Older programs read
// the undated form at "sig=1", which an older parser needs.
std::string UpdateOfferUrl(const std::string& host, const std::string& username);
// Where the signature of each download is published.
std::string UpdateSignatureUrl(const std::string& host, const std::string& username);
std::string DriverSignatureUrl(const std::string& host, const std::string& fileName, const std::string& username);

enum class ScannerDriver { CipherLab, Symbol };

// The installer's file name: the 64-bit one when the current folder's path
// contains "x86" (the program runs from Program Files (x86) on a 64-bit
// Windows), else the 32-bit one.
std::string DriverInstallerName(ScannerDriver driver, const std::string& currentFolder);

// True for the names of files the program leaves in its download folder: an
// answer's digits-only name, "update.exe" and the driver installers.
bool IsProgramDownloadName(const std::string& name);
