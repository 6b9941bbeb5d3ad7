// Starting a downloaded installer: only a real program (one with version
// information) whose signature by the maker holds is moved to its target and
// started. Shared by the program's update and the scanner drivers.
#pragma once
#include <string>

struct InstallerRequest {
    std::string replyPath;      // the downloaded file
    std::string target;         // where it is moved before it starts
    std::string signatureText;  // what the server published beside it
    std::string what = "Update";  // for the log: "Update" or "Driver installer"
    bool mustBeNewer = false;   // an update of this program
    bool mustBeOffered = false;  // and the installer of the maker's signed offer
    std::string offerText;
    std::string newestOfferIssued;  // no older offer is taken
    std::string versionFloor;   // a driver: not older than this one ("": any)
    bool shellStart = false;    // open it through the shell (the launcher only if that fails)
};

enum class InstallerOutcome {
    Started,
    NotStarted,  // not an installer, or not one the maker signed for this
    NotPlaced,   // the file at the target could not be replaced
};

// A file that was not started is deleted; a started one stays until the next
// fetch replaces it. `startedVersion`, when given, receives the version a
// started installer carries.
InstallerOutcome FetchInstaller(const InstallerRequest& request, std::string* startedVersion = nullptr);


// Removes, from the download folder, what earlier runs left there: answers
// of failed requests and installers that have ended since.
void RemoveLeftoverDownloads(const std::string& folder);
