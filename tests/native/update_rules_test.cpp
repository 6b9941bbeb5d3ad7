// The update check's reply, the version rule, the request paths, the driver
// installers' names and the acceptance rules of a signed installer.
#include <gtest/gtest.h>

#include <algorithm>

#include "ui/update/installer_signature.h"
#include "ui/update/update_rules.h"

namespace {

TEST(UpdateReply, CutAtTheFirstTwoLineFeedsOnly)
{
    struct Case {
        const char* reply;
        const char* version;
        bool hasTitle;
        const char* title;
        bool hasBody;
        const char* body;
    } cases[] = {
        {"1.2", "1.2", false, "", false, ""},
        {"1.2\nNew scanner support", "1.2", true, "New scanner support", false, ""},
        {"1.2\nTitle\n", "1.2", true, "Title", true, ""},
        {"1.2\r\nTitle\r\nLine one\nLine two", "1.2\r", true, "Title\r", true, "Line one\nLine two"},
        {"", "", false, "", false, ""},
    };
    for (const Case& c : cases) {
        UpdateReply reply = SplitUpdateReply(c.reply);
        EXPECT_EQ(reply.version, c.version) << c.reply;
        EXPECT_EQ(reply.hasTitle, c.hasTitle) << c.reply;
        EXPECT_EQ(reply.title, c.title) << c.reply;
        EXPECT_EQ(reply.hasBody, c.hasBody) << c.reply;
        EXPECT_EQ(reply.body, c.body) << c.reply;
    }
}

TEST(UpdateReply, NewerIsAPlainCharacterComparisonOfAVersion)
{
    const std::pair<const char*, bool> cases[] = {
        {"1.190416", false}, {"1.2", true},   {"1.1", false},       {"1.190416\r", true}, {"1.190417", true},
        {"0.9", false},      {"", false},     {"<html>", false},    {"Not Found", false}, {"2", true},
    };
    for (const auto& [latest, newer] : cases) EXPECT_EQ(OffersNewerVersion(latest), newer) << latest;
}

TEST(DriverInstallers, SixtyFourBitOnlyBelowAFolderNamedWithX86)
{
    struct Case {
        const char* folder;
        const char* cipherLab;
        const char* symbol;
    } cases[] = {
        {"C:\\Program Files (x86)\\Quorvix", "CP210xVCPInstaller_x64.exe", "Zebra_CDC_ACM_Driver_x64.exe"},
        {"C:\\Program Files\\Quorvix", "CP210xVCPInstaller_x86.exe", "Zebra_CDC_ACM_Driver_x86.exe"},
        {"C:\\PROGRAM FILES (X86)\\Quorvix", "CP210xVCPInstaller_x86.exe", "Zebra_CDC_ACM_Driver_x86.exe"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DriverInstallerName(ScannerDriver::CipherLab, c.folder), c.cipherLab) << c.folder;
        EXPECT_EQ(DriverInstallerName(ScannerDriver::Symbol, c.folder), c.symbol) << c.folder;
    }
}

const std::string kHash(64, 'a');
const std::string kSignatureHex(128, '0');

std::string Document(const std::string& name, const std::string& version, const std::string& hash = kHash,
                     const std::string& signature = kSignatureHex)
{
    return "name=" + name + "\nversion=" + version + "\nsha256=" + hash + "\nsignature=" + signature + "\n";
}

// An update offered as the maker's latest.
InstallerFacts Offered(const std::string& offer)
{
    return {"update.exe", "1.190417", kHash, true, true, offer};
}

// The verifier accepts exactly the texts of the case's signed documents.
TEST(InstallerSignature, RejectionsInTheirOrder)
{
    const InstallerFacts update{"update.exe", "1.190417", kHash, true, false, ""};
    std::vector<std::string> signedTexts;
    SignatureVerifier verifier = [&](const std::string& text, const std::vector<uint8_t>& signature) {
        return std::count(signedTexts.begin(), signedTexts.end(), text) && signature.size() == 64;
    };
    struct Case {
        std::string document;
        InstallerFacts facts;
        const char* rejection;
    } cases[] = {
        {Document("update.exe", "1.190417"), update, ""},
        {"", update, "missing"},
        {"<html><body>Not Found</body></html>", update, "malformed"},
        {Document("update.exe", "1.190417", kHash.substr(1)), update, "malformed"},
        {Document("update.exe", "1.190417", kHash, kSignatureHex + "00"), update, "malformed"},
        {Document("update.exe", "1.190417", std::string(64, 'A')), update, "malformed"},
        {Document("update.exe", "1.190417") + "name=update.exe\n", update, "malformed"},
        {Document("CP210xVCPInstaller_x86.exe", "1.190417"), update, "names another file (CP210xVCPInstaller_x86.exe)"},
        {Document("update.exe", "1.190417", std::string(64, 'b')), update, "does not match the file"},
        {Document("update.exe", "1.190418"), update, "names another version (1.190418)"},
        {Document("update.exe", "1.190400"), {"update.exe", "1.190400", kHash, true, false, ""},
         "names a version that is not newer (1.190400)"},
        {Document("Zebra_CDC_ACM_Driver_x86.exe", "5.0"),
         {"Zebra_CDC_ACM_Driver_x86.exe", "5.0", kHash, false, false, ""},
         ""},
        {Document("update.exe", "1.190417"), Offered(Document("latest", "1.190417")), ""},
        {Document("update.exe", "1.190417"), Offered(""), "has no signed offer"},
        {Document("update.exe", "1.190417"), Offered(Document("update.exe", "1.190417")), "has a malformed offer"},
        {Document("update.exe", "1.190417"), Offered(Document("latest", "1.190418")),
         "names another version than offered (1.190418)"},
        {Document("update.exe", "1.190417"), Offered(Document("latest", "1.190417", std::string(64, 'b'))),
         "names another installer than offered"},
    };
    for (const Case& c : cases) {
        signedTexts.clear();
        for (const std::string& text : {c.document, c.facts.offerText}) {
            SignatureDocument parsed;
            if (ParseSignatureDocument(text, parsed))
                signedTexts.push_back(SignedText(parsed.name, parsed.version, parsed.sha256));
        }
        EXPECT_EQ(InstallerRejection(c.document, c.facts, verifier), c.rejection) << c.document << c.facts.offerText;
    }
    signedTexts = {"something else"};
    EXPECT_EQ(InstallerRejection(Document("update.exe", "1.190417"), update, verifier), "not made by the maker's key");
}

}  // namespace
