// The verification worker: polls the scan folder every 100 ms and sends each
// spool file's barcode to the service through curl, posting the result to
// the results list. Also the credentials check used by the window thread.
#pragma once
#include <set>
#include <string>

#include "core/app_settings.h"
#include "framework/win_thread.h"

class CFMDThread : public CWinThread {
public:
    // True when the service accepts the account (a test account always is).
    // Blocks the caller for the exchange; uses the scan folder for its files.
    static bool CheckLogin(const AppSettings& settings, const std::string& scanFolder);

    // Removes what an ended program left behind, while no exchange runs (at
    // start, before the worker): request and reply files that belong to no
    // spool file, and spool files cut off before they were complete. Those
    // are never sent (a cut-short code in Decommission mode would raise a
    // false alert at the service): a log row asks for the pack again.
    static void RemoveLeftoverFiles(const std::string& scanFolder);

    // Handles one spool file (a name without folder) completely.
    void ProcessSpoolFile(const std::string& fileName);

protected:
    int Run() override;

private:
    // One pass's view of the main window, taken under a short lease so that
    // no exchange ever runs while holding it.
    bool TakePassView();
    // Deletes a handled spool file. One that cannot be deleted is remembered
    // and not sent again in this process: its result is already posted, and
    // each pass would otherwise send it once more.
    void DeleteSpoolFile(const std::string& fileName, const std::string& path);

    std::string m_strScanFolder;  // of the current pass (it never changes in the program)
    AppSettings m_settings;       // snapshot for the current pass
    HWND m_resultsWindow = nullptr;
    std::set<std::string> m_undeletable;  // spool file names, this process only
};
