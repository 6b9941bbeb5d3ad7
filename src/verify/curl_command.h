// The curl command line and the names of curl's exit codes. Portable.
#pragma once
#include <string>

// Generous limits: a hung connection must fail the scan, not freeze the
// worker (or, for the credentials check, the window).
constexpr int kCurlConnectTimeoutSeconds = 15;
constexpr int kCurlTotalTimeoutSeconds = 60;

// Downloads of installers are no scans: a slow counter line may need many
// minutes for one, so only a stall ends it (under 512 bytes a second for a
// minute), within a generous cap.
constexpr int kDownloadTotalTimeoutSeconds = 3600;
constexpr int kDownloadLowSpeedBytesPerSecond = 512;
constexpr int kDownloadLowSpeedSeconds = 60;

struct CurlCommand {
    std::string outputPath;
    std::string data;         // "@<file>" for a POST body; empty for a GET
    std::string contentType;  // used only with data
    std::string proxy;        // host:port; empty for none
    std::string url;
    int connectTimeoutSeconds = kCurlConnectTimeoutSeconds;
    int totalTimeoutSeconds = kCurlTotalTimeoutSeconds;
    // A transfer slower than this for lowSpeedSeconds is abandoned; 0: no such rule.
    int lowSpeedBytesPerSecond = 0;
    int lowSpeedSeconds = 0;
};

// "curl.exe -q --globoff --silent ..." with every value quoted by the Windows
// command-line rules, so that a quotation mark or trailing backslash in a
// value cannot split or add arguments. Ordinary values appear as "value".
std::string BuildCurlCommandLine(const CurlCommand& command);

// One argument quoted so that the C runtime's parser gives it back unchanged.
std::string QuoteArgument(const std::string& value);

// "OK" for 0 ... "RECURSIVE API CALL" for 93, "UNKNOWN" for gaps and above,
// "FAILED TO RUN" for -1.
const char* CurlErrorName(int code);

// "Request failed due to <name>": a failed exchange's heading at the counter.
std::string RequestFailedText(int code);
