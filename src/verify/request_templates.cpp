// Request templates, placeholder replacement and escaping.
#include "verify/request_templates.h"

#include "base/replace_all.h"
#include "base/string_format.h"

namespace {

const char kVerifyTemplate[] =
    R"({"$type":"API.Verify.Request, TembrelQuorvixFMDCore","App":"Pellwick","Ver":"1.190416","Account":"%USERNAME%","Password":"%PASSWORD%","List":{"$type":"GS1.ItemCollection, TembrelQuorvixFMDCore","$values":[{"Raw":"%BARCODE%"}]}})";
const char kDecommissionTemplate[] =
    R"({"$type":"API.Decommission.Request, TembrelQuorvixFMDCore","App":"Pellwick","Ver":"1.190416","Account":"%USERNAME%","Password":"%PASSWORD%","List":{"$type":"GS1.ItemCollection, TembrelQuorvixFMDCore","$values":[{"Raw":"%BARCODE%"}]}})";
const char kRecommissionTemplate[] =
    R"({"$type":"API.Recommission.Request, TembrelQuorvixFMDCore","App":"Pellwick","Ver":"1.190416","Account":"%USERNAME%","Password":"%PASSWORD%","List":{"$type":"GS1.ItemCollection, TembrelQuorvixFMDCore","$values":[{"Raw":"%BARCODE%"}]}})";
const char kLoginTemplate[] =
    R"({"$type":"API.Login.Request, TembrelQuorvixFMDCore","App":"Pellwick","Ver":"1.190416","Account":"%USERNAME%","Password":"%PASSWORD%"})";

// Slots 3 and 4 stay empty: Login is sent only by the credentials check.
const char* const kRequestTemplates[5] = {kVerifyTemplate, kDecommissionTemplate, kRecommissionTemplate, nullptr,
                                          nullptr};

std::string UnicodeEscape(unsigned char byte) { return StringPrintf("\\u%04X", byte); }

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

std::string EscapeJsonString(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x80)
            out += UnicodeEscape(byte);
        else if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else
            out += c;
    }
    return out;
}

std::string EscapeBarcode(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        bool more = i + 1 < text.size();
        if (byte == 0x1D) {
            out += "\\u001D";
        } else if (byte == '\n' && more && text[i + 1] == '\r') {
            // An LF CR pair is one line break: the CR that follows gives the "@".
        } else if (byte == '\n' || byte == '\r') {
            if (more) out += '@';
        } else if (byte < 0x20) {
            out += StringPrintf("&#%d;", byte);
        } else if (byte >= 0x80) {
            out += UnicodeEscape(byte);
        } else if (byte == '"') {
            out += "\\\"";
        } else if (byte == '\\') {
            out += "\\\\";
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

std::string ServiceEndpoint(const std::string& host) { return host + kServicePath; }
