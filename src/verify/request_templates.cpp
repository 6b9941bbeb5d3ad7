// Request templates, placeholder replacement and escaping.
#include "verify/request_templates.h"

#include "res/version.h"
#include "base/replace_all.h"
#include "base/text_escape.h"
#include "base/string_format.h"

namespace {

const char kVerifyTemplate[] =
    R"({"$type":"API.Verify.Request, TembrelQuorvixFMDCore","App":"Pellwick","Ver":")" PELLWICK_VERSION R"(","Account":"%USERNAME%","Password":"%PASSWORD%","List":{"$type":"GS1.ItemCollection, TembrelQuorvixFMDCore","$values":[{"Raw":"%BARCODE%"}]}})";
const char kDecommissionTemplate[] =
    R"({"$type":"API.Decommission.Request, TembrelQuorvixFMDCore","App":"Pellwick","Ver":")" PELLWICK_VERSION R"(","Account":"%USERNAME%","Password":"%PASSWORD%","List":{"$type":"GS1.ItemCollection, TembrelQuorvixFMDCore","$values":[{"Raw":"%BARCODE%"}]}})";
const char kRecommissionTemplate[] =
    R"({"$type":"API.Recommission.Request, TembrelQuorvixFMDCore","App":"Pellwick","Ver":")" PELLWICK_VERSION R"(","Account":"%USERNAME%","Password":"%PASSWORD%","List":{"$type":"GS1.ItemCollection, TembrelQuorvixFMDCore","$values":[{"Raw":"%BARCODE%"}]}})";
const char kLoginTemplate[] =
    R"({"$type":"API.Login.Request, TembrelQuorvixFMDCore","App":"Pellwick","Ver":")" PELLWICK_VERSION R"(","Account":"%USERNAME%","Password":"%PASSWORD%"})";

// Slots 3 and 4 stay empty: Login is sent only by the credentials check.
const char* const kRequestTemplates[5] = {kVerifyTemplate, kDecommissionTemplate, kRecommissionTemplate, nullptr,
                                          nullptr};
}  // namespace

const char* RequestTemplate(int32_t mode) { return mode >= 0 && mode < 5 ? kRequestTemplates[mode] : nullptr; }

const char* LoginTemplate() { return kLoginTemplate; }

std::string FillRequestTemplate(const std::string& requestTemplate, const std::string& username,
                                const std::string& password, const std::string& escapedBarcode)
{
    std::string text = requestTemplate;
    ReplaceAll(text, "%USERNAME%", EscapeJsonString(username));
    ReplaceAll(text, "%PASSWORD%", EscapeJsonString(password));
    ReplaceAll(text, "%BARCODE%", escapedBarcode);
    return text;
}

std::string ServiceEndpoint(const std::string& host) { return host + kServicePath; }
