// The curl command line and exit-code names.
#include <gtest/gtest.h>

#include "verify/curl_command.h"

namespace {

// Splits a command line by the C runtime's rules (the reference parser for
// what curl.exe receives as its arguments).
std::vector<std::string> ParseCommandLine(const std::string& line)
{
    std::vector<std::string> args;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i >= line.size()) break;
        std::string arg;
        bool quoted = false;
        for (; i < line.size() && (quoted || line[i] != ' '); ++i) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
            if (i < line.size() && line[i] == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2) {
                    arg += '"';
                } else {
                    quoted = !quoted;
                }
            } else {
                arg.append(backslashes, '\\');
                if (i < line.size()) {
                    if (!quoted && line[i] == ' ') break;
                    arg += line[i];
                } else {
                    break;
                }
            }
        }
        args.push_back(arg);
    }
    return args;
}

}  // namespace

// The whole line of a scan's exchange is checked where the worker logs it.
TEST(CurlCommand, WithoutDataThereIsNoBodyAndNoHeaderAndWithoutProxyNoProxy)
{
    CurlCommand command{"C:\\D\\1", "", "application/json", "", "http://u.example/check"};
    std::string line = BuildCurlCommandLine(command);
    EXPECT_EQ(line.find("--data-binary"), std::string::npos);
    EXPECT_EQ(line.find("--header"), std::string::npos);
    EXPECT_EQ(line.find("--proxy"), std::string::npos);
    EXPECT_EQ(line.find("--speed"), std::string::npos) << "scans have no low-speed rule";
    command.lowSpeedBytesPerSecond = 512;
    command.lowSpeedSeconds = 60;
    EXPECT_NE(BuildCurlCommandLine(command).find(" --max-time 60 --speed-limit 512 --speed-time 60 --output "),
              std::string::npos);
}

TEST(CurlCommand, AwkwardValuesComeBackAsSingleArguments)
{
    const char* values[] = {"plain", "{a,b}[1-2]", "with space", "quote\"inside", "trailing\\", "C:\\Users\\x\\",
                            "a\\\"b", "\"", "\\\\server\\share\\f.reply", "x\" --output \"C:\\evil"};
    for (const char* value : values) {
        CurlCommand command{value, std::string("@") + value, "application/json", value, value};
        std::vector<std::string> args = ParseCommandLine(BuildCurlCommandLine(command));
        ASSERT_EQ(args.size(), 18u) << value;
        EXPECT_EQ(args[1], "-q") << "curl reads no _curlrc only when -q comes first";
        EXPECT_EQ(args[2], "--globoff");
        EXPECT_EQ(args[9], value) << "output";
        EXPECT_EQ(args[11], std::string("@") + value) << "data";
        EXPECT_EQ(args[15], std::string("http://") + value) << "proxy";
        EXPECT_EQ(args[17], value) << "url";
    }
}

// Under Wine any server certificate passes, so nothing there would show an
// option that turns the check off on Windows: the line itself must not carry one.
TEST(CurlCommand, NoCombinationOfSettingsWeakensTheCertificateCheck)
{
    const char* weakening[] = {"-k", "--insecure", "--ssl-no-revoke", "--ssl-revoke-best-effort", "--proxy-insecure",
                               "--ssl-allow-beast", "--cacert", "--capath", "--tlsv1.0", "--tls-max", "--ciphers"};
    for (const char* proxy : {"", "proxy.example:8080"}) {
        for (const char* data : {"", "@C:\\D\\1.post"}) {
            for (int lowSpeed : {0, 60}) {
                CurlCommand command{"C:\\D\\1.reply", data, "application/json", proxy, "https://s.example/v001.aspx"};
                command.lowSpeedSeconds = lowSpeed;
                command.lowSpeedBytesPerSecond = lowSpeed ? 512 : 0;
                for (const std::string& arg : ParseCommandLine(BuildCurlCommandLine(command)))
                    for (const char* option : weakening) EXPECT_NE(arg, option) << proxy << " " << data << " " << lowSpeed;
            }
        }
    }
}

TEST(CurlErrorName, NamesGapsAndOutOfRange)
{
    EXPECT_STREQ(CurlErrorName(0), "OK");
    EXPECT_STREQ(CurlErrorName(6), "COULDNT RESOLVE HOST");
    EXPECT_STREQ(CurlErrorName(7), "COULDNT CONNECT");
    EXPECT_STREQ(CurlErrorName(28), "OPERATION TIMEDOUT");
    EXPECT_STREQ(CurlErrorName(35), "SSL CONNECT ERROR");
    EXPECT_STREQ(CurlErrorName(52), "GOT NOTHING");
    EXPECT_STREQ(CurlErrorName(93), "RECURSIVE API CALL");
    for (int gap : {20, 24, 29, 32, 40, 44, 46, 50, 51, 57, 94, 1000, -2}) EXPECT_STREQ(CurlErrorName(gap), "UNKNOWN") << gap;
    EXPECT_STREQ(CurlErrorName(-1), "FAILED TO RUN");
    int named = 0;
    for (int code = 0; code <= 93; ++code) named += std::string(CurlErrorName(code)) != "UNKNOWN";
    EXPECT_EQ(named, 84);
}
