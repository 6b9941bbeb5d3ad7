// libFuzzer target: reply filling and both escapers on arbitrary bytes. Beyond
// the sanitizers' checks, every escaped text must be valid inside a JSON
// string, and the request built from it must be valid JSON.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "verify/reply_parser.h"
#include "verify/request_templates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);

    ScanResult result;
    FillFromReply(input, result);
    if (result.statusText.empty()) std::abort();

    std::string barcode = EscapeBarcode(input);
    std::string account = EscapeJsonString(input);
    if (!nlohmann::json::accept("\"" + barcode + "\"")) std::abort();
    if (!nlohmann::json::accept("\"" + account + "\"")) std::abort();
    if (!nlohmann::json::accept(FillRequestTemplate(RequestTemplate(Verify), input, input, barcode))) std::abort();
    return 0;
}
