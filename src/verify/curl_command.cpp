// curl command line and exit-code names.
#include "verify/curl_command.h"

namespace {

// curl's exit codes 0 to 93 (libcurl result codes without CURLE_); null for
// the codes curl marks obsolete or leaves unassigned.
const char* const kCurlErrorNames[94] = {
    "OK", "UNSUPPORTED PROTOCOL", "FAILED INIT", "URL MALFORMAT", "NOT BUILT IN", "COULDNT RESOLVE PROXY",
    "COULDNT RESOLVE HOST", "COULDNT CONNECT", "FTP WEIRD SERVER REPLY", "REMOTE ACCESS DENIED",
    "FTP ACCEPT FAILED", "FTP WEIRD PASS REPLY", "FTP ACCEPT TIMEOUT", "FTP WEIRD PASV REPLY",
    "FTP WEIRD 227 FORMAT", "FTP CANT GET HOST", "HTTP2", "FTP COULDNT SET TYPE", "PARTIAL FILE",
    "FTP COULDNT RETR FILE", nullptr /* 20 */, "QUOTE ERROR", "HTTP RETURNED ERROR", "WRITE ERROR",
    nullptr /* 24 */, "UPLOAD FAILED", "READ ERROR", "OUT OF MEMORY", "OPERATION TIMEDOUT", nullptr /* 29 */,
    "FTP PORT FAILED", "FTP COULDNT USE REST", nullptr /* 32 */, "RANGE ERROR", "HTTP POST ERROR",
    "SSL CONNECT ERROR", "BAD DOWNLOAD RESUME", "FILE COULDNT READ FILE", "LDAP CANNOT BIND",
    "LDAP SEARCH FAILED", nullptr /* 40 */, "FUNCTION NOT FOUND", "ABORTED BY CALLBACK", "BAD FUNCTION ARGUMENT",
    nullptr /* 44 */, "INTERFACE FAILED", nullptr /* 46 */, "TOO MANY REDIRECTS", "UNKNOWN OPTION",
    "TELNET OPTION SYNTAX", nullptr /* 50 */, nullptr /* 51 */, "GOT NOTHING", "SSL ENGINE NOTFOUND",
    "SSL ENGINE SETFAILED", "SEND ERROR", "RECV ERROR", nullptr /* 57 */, "SSL CERTPROBLEM", "SSL CIPHER",
    "PEER FAILED VERIFICATION", "BAD CONTENT ENCODING", "LDAP INVALID URL", "FILESIZE EXCEEDED", "USE SSL FAILED",
    "SEND FAIL REWIND", "SSL ENGINE INITFAILED", "LOGIN DENIED", "TFTP NOTFOUND", "TFTP PERM", "REMOTE DISK FULL",
    "TFTP ILLEGAL", "TFTP UNKNOWNID", "REMOTE FILE EXISTS", "TFTP NOSUCHUSER", "CONV FAILED", "CONV REQD",
    "SSL CACERT BADFILE", "REMOTE FILE NOT FOUND", "SSH", "SSL SHUTDOWN FAILED", "AGAIN", "SSL CRL BADFILE",
    "SSL ISSUER ERROR", "FTP PRET FAILED", "RTSP CSEQ ERROR", "RTSP SESSION ERROR", "FTP BAD FILE LIST",
    "CHUNK FAILED", "NO CONNECTION AVAILABLE", "SSL PINNEDPUBKEYNOTMATCH", "SSL INVALIDCERTSTATUS",
    "HTTP2 STREAM", "RECURSIVE API CALL",
};

}  // namespace

const char* CurlErrorName(int code)
{
    if (code == -1) return "FAILED TO RUN";
    if (code < 0 || code > 93 || kCurlErrorNames[code] == nullptr) return "UNKNOWN";
    return kCurlErrorNames[code];
}

std::string RequestFailedText(int code) { return std::string("Request failed due to ") + CurlErrorName(code); }

std::string QuoteArgument(const std::string& value)
{
    // Backslashes are literal except before a quotation mark (and before the
    // closing quote), where they must be doubled.
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : value) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

std::string BuildCurlCommandLine(const CurlCommand& command)
{
    // -q only works first: no _curlrc may add options. --globoff: braces and
    // brackets in an account name are text, not a list of requests.
    std::string line = "curl.exe -q --globoff --silent";
    line += " --connect-timeout " + std::to_string(command.connectTimeoutSeconds);
    line += " --max-time " + std::to_string(command.totalTimeoutSeconds);
    if (command.lowSpeedSeconds > 0) {
        line += " --speed-limit " + std::to_string(command.lowSpeedBytesPerSecond);
        line += " --speed-time " + std::to_string(command.lowSpeedSeconds);
    }
    line += " --output " + QuoteArgument(command.outputPath);
    if (!command.data.empty()) {
        line += " --data-binary " + QuoteArgument(command.data);
        if (!command.contentType.empty()) line += " --header " + QuoteArgument("Content-Type: " + command.contentType);
    }
    if (!command.proxy.empty()) line += " --proxy " + QuoteArgument("http://" + command.proxy);
    line += " --url " + QuoteArgument(command.url);
    return line;
}
