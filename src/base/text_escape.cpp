// JSON string escaping and the barcode's request and display form.
#include "base/text_escape.h"

#include "base/string_format.h"

namespace {
std::string UnicodeEscape(unsigned char byte) { return StringPrintf("\\u%04X", byte); }
}  // namespace

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
