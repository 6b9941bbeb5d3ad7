// Request templates and the two escapers. JSON validity is judged by
// nlohmann::json, an independent parser, over all 256 byte values.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "verify/request_templates.h"

namespace {

std::string Utf8Of(unsigned codePoint)
{
    std::string out;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return out;
}

// The escaped text as the service's JSON parser reads it inside a string.
std::string DecodeAsJsonString(const std::string& escaped)
{
    return nlohmann::json::parse("\"" + escaped + "\"").get<std::string>();
}

std::string Hex(unsigned char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

}  // namespace

// The templates' exact bytes are checked on the wire, where the worker sends
// them to the stand-in service; here only which modes have one.
TEST(RequestTemplates, OnlyThePackOperationsHaveATemplate)
{
    for (int mode : {Verify, Decommission, Recommission}) EXPECT_NE(RequestTemplate(mode), nullptr) << mode;
    for (int mode : {static_cast<int>(Login), 4, -1, 7}) EXPECT_EQ(RequestTemplate(mode), nullptr) << mode;
}

TEST(RequestTemplates, PlaceholdersAreReplacedInOrderUserPasswordBarcode)
{
    std::string login = FillRequestTemplate(LoginTemplate(), "me%PASSWORD%", "p\"w\\", "");
    EXPECT_NE(login.find(R"("Account":"mep\"w\\","Password":"p\"w\\"})"), std::string::npos) << login;

    std::string empty = FillRequestTemplate(RequestTemplate(Verify), "u", "p", EscapeBarcode(""));
    EXPECT_NE(empty.find(R"("$values":[{"Raw":""}])"), std::string::npos);
    EXPECT_TRUE(nlohmann::json::accept(empty));
}

TEST(EscapeJsonString, EveryByteValueGivesValidJsonThatDecodesToItsCodePoint)
{
    for (int value = 0; value < 256; ++value) {
        auto byte = static_cast<unsigned char>(value);
        std::string escaped = EscapeJsonString(std::string(1, static_cast<char>(byte)));
        std::string decoded;
        ASSERT_NO_THROW(decoded = DecodeAsJsonString(escaped)) << Hex(byte) << " -> " << escaped;
        EXPECT_EQ(decoded, Utf8Of(byte)) << Hex(byte);
        bool mustEscape = byte < 0x20 || byte >= 0x80;
        if (mustEscape) {
            char expected[8];
            std::snprintf(expected, sizeof expected, "\\u%04X", byte);
            EXPECT_EQ(escaped, expected) << Hex(byte);
        }
    }
    EXPECT_EQ(EscapeJsonString("\xE9"), "\\u00E9");
    EXPECT_EQ(EscapeJsonString("\t"), "\\u0009");
    EXPECT_EQ(EscapeJsonString("a\\b\"c\x7F"), "a\\\\b\\\"c\x7F");
}

TEST(EscapeBarcode, EveryByteValueGivesValidJsonAndItsReadableForm)
{
    for (int value = 0; value < 256; ++value) {
        auto byte = static_cast<unsigned char>(value);
        std::string escaped = EscapeBarcode(std::string("A") + static_cast<char>(byte) + "Z");
        std::string decoded;
        ASSERT_NO_THROW(decoded = DecodeAsJsonString(escaped)) << Hex(byte) << " -> " << escaped;
        std::string middle;
        if (byte == 0x1D)
            middle = "\x1D";
        else if (byte == '\r' || byte == '\n')
            middle = "@";
        else if (byte < 0x20)
            middle = "&#" + std::to_string(byte) + ";";
        else
            middle = Utf8Of(byte);
        EXPECT_EQ(decoded, "A" + middle + "Z") << Hex(byte);
    }
}

TEST(EscapeBarcode, LineBreakRules)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"AB\r\nCD", "AB@@CD"},  // CR LF in the middle: two breaks
        {"AB\n\rCD", "AB@CD"},   // LF CR: one
        {"AB\nCD", "AB@CD"},
        {"AB\n", "AB"},          // a last line break is dropped
        {"AB\r", "AB"},
        {"AB\n\r", "AB"},
        {"\x04", "&#4;"},
        {"MY\r\nPRESC\n\rRIPTION\r", "MY@@PRESC@RIPTION"},
        {"0105000456013482172012001000001[@]210000000100\n\r", "0105000456013482172012001000001[@]210000000100"},
        {"[)>\x1E" "06\x1D" "9N110375286414\x1E\x04", "[)>&#30;06\\u001D9N110375286414&#30;&#4;"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(EscapeBarcode(c.in), c.out) << '"' << c.in << '"';
}
