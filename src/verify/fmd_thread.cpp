// The verification worker's polling loop, spool-file processing and the
// credentials check.
#include "verify/fmd_thread.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/program_context.h"
#include "core/log.h"
#include "core/main_window_facade.h"
#include "framework/file_ops.h"
#include "verify/curl_exchange.h"
#include "verify/reply_parser.h"
#include "verify/request_templates.h"
#include "core/scan_result_post.h"

namespace {

constexpr DWORD kPollIntervalMs = 100;
constexpr int kSslConnectError = 35;

// One request to the service through <base>.post and <base>.reply.
struct ServiceExchange {
    bool sent = false;  // false: the request file could not be written
    int result = -1;    // curl's exit code
    std::string reply;  // empty unless the exchange succeeded
};

// Writes the request file and posts it over https, and once more over plain
// http when the TLS connection fails (exit code 35). The caller removes both
// files with RemoveExchangeFiles.
ServiceExchange ExchangeWithService(const AppSettings& settings, const std::string& base, const std::string& request)
{
    ServiceExchange exchange;
    std::string postPath = base + ".post", replyPath = base + ".reply";
    if (!WriteWholeFile(postPath, request)) return exchange;
    exchange.sent = true;
    CurlContext context = ContextFor(settings);
    std::string endpoint = ServiceEndpoint(settings.ServiceHost), resultPath;
    exchange.result = CurlExchange(context, "https://" + endpoint, resultPath, "@" + postPath, "application/json", replyPath);
    if (exchange.result == kSslConnectError)
        exchange.result = CurlExchange(context, "http://" + endpoint, resultPath, "@" + postPath, "application/json", replyPath);
    if (!resultPath.empty()) ReadWholeFile(resultPath, exchange.reply);
    return exchange;
}

// The reply file goes whatever the exchange gave: curl may have written one
// before it failed.
void RemoveExchangeFiles(const std::string& base)
{
    DeleteFileA((base + ".post").c_str());
    DeleteFileA((base + ".reply").c_str());
}

// Names (without folder) of the files matching `pattern` in the folder.
std::vector<std::string> ListFiles(const std::string& folder, const char* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

std::string WithoutExtension(const std::string& path) { return path.size() >= 4 ? path.substr(0, path.size() - 4) : path; }

}  // namespace

int CFMDThread::Run()
{
    Log("FMD - started");
    for (;;) {
        Sleep(kPollIntervalMs);
        if (!TakePassView()) continue;
        if (m_settings.Username.empty() || m_settings.Password.empty()) continue;
        for (const std::string& name : ListFiles(m_strScanFolder, "*.dat"))
            if (!m_undeletable.count(name)) ProcessSpoolFile(name);
    }
}

bool CFMDThread::TakePassView()
{
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (!host || !host->MainWindow()) return false;
    m_strScanFolder = host->ScanFolder();
    m_settings = host->SettingsSnapshot();
    m_resultsWindow = host->ResultsWindow();
    return true;
}

void CFMDThread::ProcessSpoolFile(const std::string& fileName)
{
    Log("FMD - Found file \"%s\"", fileName.c_str());
    std::string path = m_strScanFolder + "\\" + fileName;
    std::string content;
    if (!ReadWholeFile(path, content)) {
        Warning("FMD - failed to read barcode from \"%s\"", path.c_str());
        return;
    }
    auto record = std::make_unique<ScanResult>();
    record->kind = ScanResultKind::Failed;
    record->mode = content.empty() ? -'0' : static_cast<signed char>(content[0]) - '0';
    record->key = WithoutExtension(fileName);
    record->statusText = "Failed";
    record->barcode = content.empty() ? std::string() : content.substr(1);

    // Mode 3 (Login) passes the range test but has no pack template: an empty
    // request would only come back as "Invalid", so it is refused here too.
    const char* requestTemplate = RequestTemplate(record->mode);
    if (!requestTemplate) {
        Log("Barcode has invalid mode");
        PostScanResult(m_resultsWindow, record.release());
        DeleteSpoolFile(fileName, path);
        return;
    }
    std::string barcode = EscapeBarcode(record->barcode);
    Log("Barcode = %s", barcode.c_str());
    std::string request = FillRequestTemplate(requestTemplate, m_settings.Username, m_settings.Password, barcode);

    std::string base = WithoutExtension(path);
    ServiceExchange exchange = ExchangeWithService(m_settings, base, request);
    if (!exchange.sent) return;  // the spool file stays for the next pass

    if (IsTestAccount(m_settings.Username)) AddLogRow("Contents = %s", exchange.reply.c_str());
    if (exchange.result != 0)
        record->messageHeading = std::string("Request failed due to ") + CurlErrorName(exchange.result);
    else
        FillFromReply(exchange.reply, *record);
    PostScanResult(m_resultsWindow, record.release());

    RemoveExchangeFiles(base);
    Log("FMD - Deleting \"%s\"", fileName.c_str());
    DeleteSpoolFile(fileName, path);
}

void CFMDThread::DeleteSpoolFile(const std::string& fileName, const std::string& path)
{
    if (DeleteFileA(path.c_str())) return;
    Warning("FMD - cannot delete \"%s\": it is not sent again until the program restarts", fileName.c_str());
    m_undeletable.insert(fileName);
}

bool CFMDThread::CheckLogin(const AppSettings& settings, const std::string& scanFolder)
{
    if (IsTestAccount(settings.Username)) return true;
    std::string request = FillRequestTemplate(LoginTemplate(), settings.Username, settings.Password, "");
    std::string base = MakeUniqueFileName(scanFolder, "", "dat");
    ServiceExchange exchange = ExchangeWithService(settings, base, request);
    if (!exchange.sent) return false;
    RemoveExchangeFiles(base);
    Log("FMD - Deleting \"%s\"", base.substr(base.rfind('\\') + 1).c_str());
    return exchange.reply.find("\"Success\":true") != std::string::npos;
}

void CFMDThread::RemoveLeftoverFiles(const std::string& scanFolder)
{
    for (const std::string& name : ListFiles(scanFolder, "*.dat.tmp")) {
        std::string path = scanFolder + "\\" + name, content;
        ReadWholeFile(path, content);
        std::string barcode = EscapeBarcode(content.empty() ? content : content.substr(1));
        Log("Removing cut-off spool file \"%s\": barcode \"%s\" was not sent", name.c_str(), barcode.c_str());
        AddLogRow("Scan not sent, please scan the pack again: %s", barcode.c_str());
        DeleteFileA(path.c_str());
    }
    for (const char* pattern : {"*.post", "*.reply", "*.post.tmp"}) {
        for (const std::string& name : ListFiles(scanFolder, pattern)) {
            std::string base = scanFolder + "\\" + name.substr(0, name.rfind('.'));
            if (FileExists(base + ".dat")) continue;  // its scan is still to be sent
            Log("Removing leftover exchange file \"%s\"", name.c_str());
            DeleteFileA((scanFolder + "\\" + name).c_str());
        }
    }
}
