// Starting a downloaded installer: only a real program (one with version
// information) whose signature by the maker holds is moved to its target and
// started. Shared by the program's update and the scanner drivers.
#pragma once
#include <string>

struct InstallerRequest {
    std::string replyPath;      // the downloaded file
    std::string target;         // where it is moved before it starts
    std::string signatureText;  // what the server published beside it
    bool mustBeNewer = false;   // an update of this program
    bool shellStart = false;    // also open it through the shell first
};

// True when the installer was started. A file that was not started is
// deleted; a started one stays until the next fetch replaces it.
bool FetchInstaller(const InstallerRequest& request);
