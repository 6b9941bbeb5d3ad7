// GS1 and ISO/IEC 15434 barcode reading for the stand-in service.
#include "pack_barcode.h"

#include <cctype>
#include <vector>

namespace {

const char kGS = '\x1D';
const char kRS = '\x1E';

bool AllDigits(const std::string& text)
{
    if (text.empty()) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

PackBarcode Fail(const std::string& why)
{
    PackBarcode result;
    result.error = why;
    return result;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

PackBarcode ParseFormat06(const std::string& raw)
{
    // [)> RS 06 GS field GS field ... RS EOT
    std::string body = raw.substr(4);
    size_t end = body.find(kRS);
    if (end != std::string::npos) body = body.substr(0, end);
    std::vector<std::string> fields = Split(body, kGS);
    if (fields.empty() || fields[0] != "06") return Fail("not an ISO/IEC 15434 format 06 message");
    PackBarcode result;
    for (size_t i = 1; i < fields.size(); ++i) {
        const std::string& field = fields[i];
        if (field.rfind("9N", 0) == 0) result.productCode = field.substr(2);
        else if (field.rfind("8P", 0) == 0) result.productCode = field.substr(2);
        else if (field.rfind("1T", 0) == 0) result.lot = field.substr(2);
        else if (field.rfind("S", 0) == 0) result.serial = field.substr(1);
        else if (field.rfind("D", 0) == 0) result.expiry = field.substr(1);
    }
    if (result.productCode.empty()) return Fail("the message holds no product code (9N or 8P)");
    if (result.serial.empty()) return Fail("the message holds no serial number (S)");
    result.parsed = true;
    return result;
}

// Reads a variable-length value up to a group separator (or the end).
std::string TakeVariable(const std::string& data, size_t& at)
{
    size_t end = data.find(kGS, at);
    if (end == std::string::npos) end = data.size();
    std::string value = data.substr(at, end - at);
    at = end < data.size() ? end + 1 : end;
    return value.size() > 20 ? value.substr(0, 20) : value;
}

PackBarcode ParseGs1(std::string data)
{
    // Scanners that cannot send a group separator sometimes send "[@]".
    for (size_t at = data.find("[@]"); at != std::string::npos; at = data.find("[@]", at)) data.replace(at, 3, 1, kGS);
    if (data.rfind("]d2", 0) == 0 || data.rfind("]C1", 0) == 0 || data.rfind("]Q3", 0) == 0) data = data.substr(3);
    if (!data.empty() && data[0] == kGS) data = data.substr(1);

    PackBarcode result;
    size_t at = 0;
    while (at < data.size()) {
        auto fixed = [&](size_t length) {
            std::string value = data.substr(at, length);
            at += length;
            if (at < data.size() && data[at] == kGS) ++at;  // tolerated after fixed fields too
            return value;
        };
        std::string ai2 = data.substr(at, 2);
        std::string ai3 = data.substr(at, 3);
        if (ai2 == "01") { at += 2; result.productCode = fixed(14); if (!AllDigits(result.productCode) || result.productCode.size() != 14) return Fail("AI 01 needs 14 digits"); }
        else if (ai2 == "17") { at += 2; result.expiry = fixed(6); if (!AllDigits(result.expiry) || result.expiry.size() != 6) return Fail("AI 17 needs 6 digits"); }
        else if (ai2 == "11") { at += 2; fixed(6); }
        else if (ai2 == "10") { at += 2; result.lot = TakeVariable(data, at); }
        else if (ai2 == "21") { at += 2; result.serial = TakeVariable(data, at); }
        else if (ai3 >= "710" && ai3 <= "715" && ai3.size() == 3) { at += 3; TakeVariable(data, at); }
        else return Fail("unknown application identifier at \"" + data.substr(at, 4) + "\"");
    }
    if (result.productCode.empty()) return Fail("the barcode holds no product code (AI 01)");
    if (result.serial.empty()) return Fail("the barcode holds no serial number (AI 21)");
    result.parsed = true;
    return result;
}

}  // namespace

PackBarcode ParsePackBarcode(const std::string& raw)
{
    if (raw.rfind("[)>\x1E", 0) == 0) return ParseFormat06(raw);
    if (raw.empty()) return Fail("the barcode is empty");
    return ParseGs1(raw);
}
