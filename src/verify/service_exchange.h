// One request to the service through the scan's exchange files: the request
// written to <base>.post, posted over https with the answer in <base>.reply.
#pragma once
#include <string>

#include "core/app_settings.h"

struct ServiceExchange {
    bool sent = false;  // false: the request file could not be written
    int result = -1;    // curl's exit code
    std::string reply;  // empty unless the exchange succeeded
};

// A failed TLS connection (exit code 35) is tried again over plain http only
// where the registry allows it. The request file stays: the caller removes it
// when the scan is settled.
ServiceExchange ExchangeWithService(const AppSettings& settings, const std::string& base, const std::string& request);

// Both exchange files, whatever the exchange gave: curl may have written a
// reply before it failed.
void RemoveExchangeFiles(const std::string& base);
