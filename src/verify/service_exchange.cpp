// The worker's and the credentials check's exchange with the service.
#include "verify/service_exchange.h"

#include <windows.h>

#include <memory>

#include "core/log.h"
#include "framework/file_ops.h"
#include "verify/curl_exchange.h"
#include "verify/request_templates.h"

namespace {

constexpr int kSslConnectError = 35;

}  // namespace

// The plain retry is a switch because anyone on the path can break a
// handshake, and the plain request would carry the password and believe any
// answer.
ServiceExchange ExchangeWithService(const AppSettings& settings, const std::string& base, const std::string& request)
{
    ServiceExchange exchange;
    std::string postPath = base + ".post", replyPath = base + ".reply";
    if (!WriteWholeFile(postPath, request)) return exchange;
    exchange.sent = true;
    CurlContext context = ContextFor(settings);
    std::string endpoint = ServiceEndpoint(settings.ServiceHost), resultPath;
    CurlExchangeRun secure(context, "https://" + endpoint, "@" + postPath, "application/json", replyPath);
    secure.Start();
    // Where the plain retry is allowed, its curl is created while the https
    // attempt runs, so the retry skips a process creation.
    std::unique_ptr<CurlExchangeRun> plain;
    if (settings.AllowPlainHttp) {
        plain = std::make_unique<CurlExchangeRun>(context, "http://" + endpoint, "@" + postPath, "application/json", replyPath);
        plain->Prepare();
    }
    exchange.result = secure.Finish(resultPath);
    if (exchange.result == kSslConnectError && !plain) {
        Log("FMD - TLS connection failed; not retried over plain HTTP (registry value AllowPlainHttp is not \"1\")");
    } else if (exchange.result == kSslConnectError) {
        plain->Start();
        exchange.result = plain->Finish(resultPath);
    }
    if (!resultPath.empty()) ReadWholeFile(resultPath, exchange.reply);
    return exchange;
}

void RemoveExchangeFiles(const std::string& base)
{
    DeleteFileA((base + ".post").c_str());
    DeleteFileA((base + ".reply").c_str());
}
