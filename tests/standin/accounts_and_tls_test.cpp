// The stand-in as a national system treats accounts (refused attempts lock
// an account until it is unlocked; a password can change behind the
// program's back), and its TLS: a certificate that a strict client accepts
// for 127.0.0.1 through the build's test authority, and nothing else.
#include <gtest/gtest.h>

#include "standin_fixture.h"

namespace {

bool Accepted(const std::string& reply) { return reply.find("\"Success\":true") != std::string::npos; }
bool SaysLocked(const std::string& reply) { return reply.find("account is locked") != std::string::npos; }

std::string TestAuthority()
{
    std::string standin = STANDIN_EXE;
    return standin.substr(0, standin.rfind('/')) + "/test-ca.pem";
}

}  // namespace

TEST(StandinAccounts, ThreeRefusedAttemptsInARowLockTheAccountUntilUnlocked)
{
    Standin service;
    const struct {
        const char* password;
        bool accepted;
        bool locked;
    } steps[] = {
        {"wrong", false, false}, {"wrong", false, false}, {"s3cret", true, false},  // a success starts the count again
        {"wrong", false, false}, {"wrong", false, false}, {"wrong", false, true},
        {"s3cret", false, true},  // locked: even the right password is refused
    };
    for (const auto& step : steps) {
        std::string reply = service.Login("PHARM01", step.password);
        EXPECT_EQ(Accepted(reply), step.accepted) << step.password << ": " << reply;
        EXPECT_EQ(SaysLocked(reply), step.locked) << reply;
    }
    EXPECT_TRUE(service.Control(nlohmann::json::object())["accounts"]["PHARM01"]["locked"].get<bool>());
    EXPECT_FALSE(service.Control(nlohmann::json::object())["accounts"]["PHARM02"]["locked"].get<bool>()) << "accounts lock apart";
    // A refused pack request counts as much as a refused login, and is refused.
    EXPECT_TRUE(SaysLocked(service.Pack(Verify, "010415012345678221DEMO0001")));
    service.Control({{"unlock", "PHARM01"}});
    EXPECT_TRUE(Accepted(service.Login("PHARM01", "s3cret")));
}

TEST(StandinAccounts, APasswordChangedBehindTheProgramsBackRefusesTheOldOne)
{
    Standin service;
    service.Control({{"set_password", {{"account", "PHARM01"}, {"password", "n3w"}}}});
    std::string refused = service.Pack(Decommission, "010415012345678221DEMO0001");
    EXPECT_NE(refused.find("wrong password"), std::string::npos) << refused;
    EXPECT_EQ(refused.find("GS1.ItemStatus"), std::string::npos) << "no item status: nothing was done to the pack";
    EXPECT_EQ(service.Control(nlohmann::json::object())["accounts"]["PHARM01"]["refused_in_a_row"], 1);
    EXPECT_TRUE(Accepted(service.Login("PHARM01", "n3w")));
    EXPECT_NE(service.Pack(Decommission, "010415012345678221DEMO0001", "PHARM01", "n3w").find("\"Status\":1"),
              std::string::npos);
}

TEST(StandinTls, AStrictClientAcceptsTheCertificateOnlyThroughTheTestAuthority)
{
    Standin service;
    httplib::SSLClient strict("127.0.0.1", service.Port());
    strict.set_ca_cert_path(TestAuthority().c_str());
    strict.enable_server_certificate_verification(true);
    auto answer = strict.Post("/v001.aspx", FillRequestTemplate(LoginTemplate(), "PHARM01", "s3cret", ""),
                              "application/json");
    ASSERT_TRUE(answer) << httplib::to_string(answer.error());
    EXPECT_TRUE(Accepted(answer->body));
    EXPECT_EQ(service.Control(nlohmann::json::object())["tls_sessions"], 1);

    // Trusting only the system's authorities, the test certificate fails.
    httplib::SSLClient unknown("127.0.0.1", service.Port());
    unknown.set_ca_cert_path("/etc/ssl/certs/ca-certificates.crt");
    unknown.enable_server_certificate_verification(true);
    EXPECT_FALSE(unknown.Post("/v001.aspx", "{}", "application/json"));

    // Told to speak plain HTTP only, the TLS greeting gets a plain answer.
    service.Control({{"tls", false}});
    httplib::SSLClient refused("127.0.0.1", service.Port());
    refused.enable_server_certificate_verification(false);
    EXPECT_FALSE(refused.Post("/v001.aspx", "{}", "application/json"));
    EXPECT_TRUE(Accepted(service.Login("PHARM01", "s3cret")));
    EXPECT_EQ(service.Control(nlohmann::json::object())["plain_requests"], 1);
}
