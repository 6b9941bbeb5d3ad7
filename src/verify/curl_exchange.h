// The one way the program makes HTTP requests: curl.exe as a hidden child
// process, with the request body in a file and the answer written to a file.
#pragma once
#include <memory>
#include <string>

#include "core/app_settings.h"
#include "verify/curl_command.h"

// The most an answer may hold, by kind: the exchange ends curl past it, so an
// endless answer can neither fill the disk nor be read whole into memory.
constexpr long long kServiceReplyMaxBytes = 1 << 20;
constexpr long long kTextAnswerMaxBytes = 64 << 10;  // the update check, a signature
constexpr long long kInstallerMaxBytes = 256 << 20;

// What an exchange needs to know besides the request: one consistent set of
// settings, taken by the caller.
struct CurlContext {
    std::string proxy;
    std::string username;        // a test account gets a "Curl = %s" row
    std::string downloadFolder;  // where an unnamed output goes
    int connectTimeoutSeconds = kCurlConnectTimeoutSeconds;
    int totalTimeoutSeconds = kCurlTotalTimeoutSeconds;
    int lowSpeedBytesPerSecond = 0;
    int lowSpeedSeconds = 0;
    // Keeps the calling thread's windows answering while curl runs (a long
    // download started from a window).
    bool pumpMessages = false;
    long long maxBytes = kServiceReplyMaxBytes;
};

// The settings' proxy and account, and the program's download folder.
CurlContext ContextFor(const AppSettings& settings);

// The limits of an installer download (see kDownloadTotalTimeoutSeconds), and
// its size cap.
CurlContext DownloadContext(CurlContext context);

// curl.exe beside the program, else the one in the system folder; empty when
// neither exists. Never the current folder.
std::string FindCurlExecutable();

// Runs curl and returns its exit code (0: success; 28 also when the backstop
// had to end it; 63, FILESIZE EXCEEDED, when the answer outgrew maxBytes), or
// -1 when it could not be started. On success resultPath receives the output
// path; otherwise it is left untouched and an output file that the exchange
// created is deleted.
int CurlExchange(const CurlContext& context, const std::string& url, std::string& resultPath, const std::string& data,
                 const std::string& contentType, std::string outputPath);

// The same exchange in steps, so that its curl.exe can be made ready while
// something else runs: Prepare creates the process held before its first
// instruction (under Wine some 20-30 ms of a run); nothing is sent until
// Start. An exchange never started is ended with the object, its curl unrun.
class CurlExchangeRun {
public:
    CurlExchangeRun(const CurlContext& context, const std::string& url, const std::string& data,
                    const std::string& contentType, std::string outputPath);
    ~CurlExchangeRun();
    CurlExchangeRun(const CurlExchangeRun&) = delete;
    CurlExchangeRun& operator=(const CurlExchangeRun&) = delete;

    void Prepare();
    // Lets curl run (created now when not prepared); Finish waits for it and
    // returns what CurlExchange returns.
    void Start();
    int Finish(std::string& resultPath);

private:
    struct Steps;
    std::unique_ptr<Steps> m_steps;
};
