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
                     const std::string& signature = kSignatureHex, const std::string& issued = "")
{
    std::string dated = issued.empty() ? "" : "issued=" + issued + "\n";
    return "name=" + name + "\nversion=" + version + "\nsha256=" + hash + "\n" + dated + "signature=" + signature + "\n";
}

const char kIssued[] = "2026-11-30T09:15:00Z";

// The maker's dated offer of `version`.
std::string Offer(const std::string& version, const std::string& issued = kIssued, const std::string& hash = kHash)
{
    return Document("latest", version, hash, kSignatureHex, issued);
}

// An update offered as the maker's latest, after offers up to `newestSeen`.
InstallerFacts Offered(const std::string& offer, const std::string& newestSeen = "")
{
    return {"update.exe", "1.190417", kHash, true, true, offer, newestSeen, ""};
}

// A driver installer of `version`, after one of `floor` was started.
InstallerFacts Driver(const std::string& version, const std::string& floor)
{
    return {"CP210xVCPInstaller_x86.exe", version, kHash, false, false, "", "", floor};
}

// The verifier accepts exactly the texts of the case's signed documents.
TEST(InstallerSignature, RejectionsInTheirOrder)
{
    const InstallerFacts update{"update.exe", "1.190417", kHash, true, false, "", "", ""};
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
        {Document("update.exe", "1.190400"), {"update.exe", "1.190400", kHash, true, false, "", "", ""},
         "names a version that is not newer (1.190400)"},
        {Document("Zebra_CDC_ACM_Driver_x86.exe", "5.0"),
         {"Zebra_CDC_ACM_Driver_x86.exe", "5.0", kHash, false, false, "", "", ""},
         ""},
        {Document("update.exe", "1.190417"), Offered(Offer("1.190417")), ""},
        {Document("update.exe", "1.190417"), Offered(""), "has no signed offer"},
        {Document("update.exe", "1.190417"), Offered(Document("update.exe", "1.190417", kHash, kSignatureHex, kIssued)),
         "has a malformed offer"},
        {Document("update.exe", "1.190417"), Offered(Offer("1.190418")), "names another version than offered (1.190418)"},
        {Document("update.exe", "1.190417"), Offered(Offer("1.190417", kIssued, std::string(64, 'b'))),
         "names another installer than offered"},
        // Issue dates: an undated (older form) or replayed older offer is refused; the same or a later one is not.
        {Document("update.exe", "1.190417"), Offered(Document("latest", "1.190417")), "has an offer without an issue date"},
        {Document("update.exe", "1.190417"), Offered(Offer("1.190417", "2026-11-30T09:14:59Z"), kIssued),
         "has an offer older than one seen before (issued 2026-11-30T09:14:59Z)"},
        {Document("update.exe", "1.190417"), Offered(Offer("1.190417"), kIssued), ""},
        {Document("update.exe", "1.190417"), Offered(Offer("1.190417", "2027-01-02T00:00:00Z"), kIssued), ""},
        {Document("update.exe", "1.190417"), Offered(Offer("1.190417", "2026-11-30"), kIssued), "has a malformed offer"},
        // Drivers: not older than the newest started before, by number.
        {Document("CP210xVCPInstaller_x86.exe", "6.7.6"), Driver("6.7.6", "6.7.6"), ""},
        {Document("CP210xVCPInstaller_x86.exe", "10.1"), Driver("10.1", "9.9.9"), ""},
        {Document("CP210xVCPInstaller_x86.exe", "6.7.5"), Driver("6.7.5", "6.7.6"),
         "names a version older than one started before (6.7.5 < 6.7.6)"},
        {Document("CP210xVCPInstaller_x86.exe", "9.9"), Driver("9.9", "10.0"),
         "names a version older than one started before (9.9 < 10.0)"},
        {Document("CP210xVCPInstaller_x86.exe", "1.0"), Driver("1.0", ""), ""},
    };
    for (const Case& c : cases) {
        signedTexts.clear();
        for (const std::string& text : {c.document, c.facts.offerText}) {
            SignatureDocument parsed;
            if (ParseSignatureDocument(text, parsed))
                signedTexts.push_back(SignedText(parsed.name, parsed.version, parsed.sha256, parsed.issued));
        }
        EXPECT_EQ(InstallerRejection(c.document, c.facts, verifier), c.rejection) << c.document << c.facts.offerText;
    }
    signedTexts = {"something else"};
    EXPECT_EQ(InstallerRejection(Document("update.exe", "1.190417"), update, verifier), "not made by the maker's key");
    // A signature over the undated text does not hold for the dated document.
    signedTexts = {SignedText("update.exe", "1.190417", kHash), SignedText("latest", "1.190417", kHash)};
    EXPECT_EQ(InstallerRejection(Document("update.exe", "1.190417"), Offered(Offer("1.190417")), verifier),
              "has an offer not made by the maker's key");
}

TEST(InstallerSignature, OnlyAGenuineDatedOfferGivesItsIssueDate)
{
    SignatureVerifier genuine = [](const std::string& text, const std::vector<uint8_t>&) {
        return text.find("issued=") != std::string::npos || text.find("name=latest\n") == std::string::npos;
    };
    SignatureVerifier forged = [](const std::string&, const std::vector<uint8_t>&) { return false; };
    EXPECT_EQ(GenuineOfferIssued(Offer("1.190417"), genuine), kIssued);
    EXPECT_EQ(GenuineOfferIssued(Offer("1.190417"), forged), "");
    EXPECT_EQ(GenuineOfferIssued(Document("latest", "1.190417"), genuine), "") << "undated";
    EXPECT_EQ(GenuineOfferIssued(Document("update.exe", "1.190417", kHash, kSignatureHex, kIssued), genuine), "")
        << "an installer's signature is no offer";
    EXPECT_EQ(GenuineOfferIssued("", genuine), "");
}

TEST(InstallerSignature, IssueDatesHaveDigitsInPlace)
{
    const std::pair<const char*, bool> cases[] = {
        {"2026-11-30T09:15:00Z", true},  {"2026-11-30", false},           {"2026-11-30T09:15:00", false},
        {"2026-1-30T09:15:00ZZ", false}, {"2026-11-30 09:15:00Z", false}, {"2026-11-3OT09:15:00Z", false},
        {"+026-11-30T09:15:00Z", false}, {"", false},
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(IsIssueDate(text), valid) << text;
    SignatureDocument document;
    EXPECT_FALSE(ParseSignatureDocument(Document("latest", "1.2", kHash, kSignatureHex, "yesterday"), document));
    EXPECT_FALSE(ParseSignatureDocument(Document("latest", "1.2") + "channel=beta\n", document)) << "unknown field";
    ASSERT_TRUE(ParseSignatureDocument(Offer("1.2"), document));
    EXPECT_EQ(document.issued, kIssued);
}

TEST(DriverInstallers, VersionsCompareByNumberPartByPart)
{
    struct Case {
        const char* left;
        const char* right;
        int sign;
    } cases[] = {
        {"10.1", "9.2", 1},      {"6.7", "6.7.0", 0},      {"6.7.6.2130", "6.7.6", 1}, {"1.190416", "1.190417", -1},
        {"01.2", "1.2", 0},      {"1.2a", "1.2b", -1},     {"", "", 0},                {"", "0.1", -1},
        {"11.0.0", "2.99", 1},   {"6.7.10", "6.7.9", 1},
    };
    for (const Case& c : cases) {
        int result = CompareDottedVersions(c.left, c.right);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.left << " vs " << c.right;
        int reverse = CompareDottedVersions(c.right, c.left);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.sign) << c.right << " vs " << c.left;
    }
}

}  // namespace
