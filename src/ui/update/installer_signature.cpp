// Signature documents and the acceptance rules of a downloaded installer.
#include "ui/update/installer_signature.h"

#include <algorithm>
#include <map>

#include "ui/update/update_rules.h"

namespace {

bool IsLowerHex(const std::string& text, size_t length)
{
    if (text.size() != length) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

std::vector<uint8_t> HexBytes(const std::string& hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        auto nibble = [](char c) { return static_cast<uint8_t>(c <= '9' ? c - '0' : c - 'a' + 10); };
        bytes.push_back(static_cast<uint8_t>(nibble(hex[i]) << 4 | nibble(hex[i + 1])));
    }
    return bytes;
}

}  // namespace

bool ParseSignatureDocument(const std::string& text, SignatureDocument& document)
{
    std::map<std::string, std::string> fields;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        size_t equals = line.find('=');
        if (equals == std::string::npos || !fields.emplace(line.substr(0, equals), line.substr(equals + 1)).second)
            return false;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    const char* names[] = {"name", "version", "sha256", "signature"};
    bool dated = fields.count("issued") != 0;
    if (fields.size() != (dated ? 5u : 4u)) return false;
    for (const char* name : names)
        if (!fields.count(name) || fields[name].empty()) return false;
    if (!IsLowerHex(fields["sha256"], 64) || !IsLowerHex(fields["signature"], 128)) return false;
    if (dated && !IsIssueDate(fields["issued"])) return false;
    document.name = fields["name"];
    document.version = fields["version"];
    document.sha256 = fields["sha256"];
    document.issued = dated ? fields["issued"] : "";
    document.signature = HexBytes(fields["signature"]);
    return true;
}

std::string SignedText(const std::string& name, const std::string& version, const std::string& sha256,
                       const std::string& issued)
{
    std::string text = "QuorvixFMD Pellwick installer\nname=" + name + "\nversion=" + version + "\nsha256=" + sha256 + "\n";
    return issued.empty() ? text : text + "issued=" + issued + "\n";
}

bool IsIssueDate(const std::string& text)
{
    const std::string form = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != form.size()) return false;
    for (size_t i = 0; i < form.size(); ++i)
        if (form[i] == 'd' ? !(text[i] >= '0' && text[i] <= '9') : text[i] != form[i]) return false;
    return true;
}

int CompareDottedVersions(const std::string& left, const std::string& right)
{
    auto part = [](const std::string& version, size_t& at) {
        size_t dot = version.find('.', at);
        std::string piece = version.substr(at, dot == std::string::npos ? std::string::npos : dot - at);
        at = dot == std::string::npos ? version.size() : dot + 1;
        return piece;
    };
    size_t l = 0, r = 0;
    while (l < left.size() || r < right.size()) {
        std::string a = part(left, l), b = part(right, r);
        bool numbers = a.find_first_not_of("0123456789") == std::string::npos &&
                       b.find_first_not_of("0123456789") == std::string::npos;
        if (numbers) {
            // Leading zeros aside, the longer number is the greater.
            a.erase(0, std::min(a.find_first_not_of('0'), a.size()));
            b.erase(0, std::min(b.find_first_not_of('0'), b.size()));
            if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
        }
        if (a != b) return a < b ? -1 : 1;
    }
    return 0;
}

namespace {

bool IsGenuine(const SignatureDocument& document, const SignatureVerifier& verify)
{
    return verify(SignedText(document.name, document.version, document.sha256, document.issued), document.signature);
}

// Empty when the maker's signed offer, not older than one seen before, names
// this installer.
std::string OfferRejection(const InstallerFacts& facts, const SignatureDocument& installer,
                           const SignatureVerifier& verify)
{
    SignatureDocument offer;
    if (facts.offerText.empty()) return "has no signed offer";
    if (!ParseSignatureDocument(facts.offerText, offer) || offer.name != kOfferName) return "has a malformed offer";
    if (offer.issued.empty()) return "has an offer without an issue date";
    if (!IsGenuine(offer, verify)) return "has an offer not made by the maker's key";
    if (offer.issued < facts.newestOfferIssued)
        return "has an offer older than one seen before (issued " + offer.issued + ")";
    if (offer.version != installer.version) return "names another version than offered (" + offer.version + ")";
    if (offer.sha256 != installer.sha256) return "names another installer than offered";
    return "";
}

}  // namespace

std::string GenuineOfferIssued(const std::string& offerText, const SignatureVerifier& verify)
{
    SignatureDocument offer;
    if (!ParseSignatureDocument(offerText, offer) || offer.name != kOfferName || offer.issued.empty()) return "";
    return IsGenuine(offer, verify) ? offer.issued : "";
}

std::string InstallerRejection(const std::string& signatureText, const InstallerFacts& facts,
                               const SignatureVerifier& verify)
{
    if (signatureText.empty()) return "missing";
    SignatureDocument document;
    if (!ParseSignatureDocument(signatureText, document)) return "malformed";
    if (!IsGenuine(document, verify)) return "not made by the maker's key";
    // Signed, but for another file than this one, or for another use.
    if (document.name != facts.expectedName) return "names another file (" + document.name + ")";
    if (document.sha256 != facts.sha256) return "does not match the file";
    if (document.version != facts.carriedVersion) return "names another version (" + document.version + ")";
    if (facts.mustBeNewer && !OffersNewerVersion(document.version))
        return "names a version that is not newer (" + document.version + ")";
    if (!facts.versionFloor.empty() && CompareDottedVersions(document.version, facts.versionFloor) < 0)
        return "names a version older than one started before (" + document.version + " < " + facts.versionFloor + ")";
    return facts.mustBeOffered ? OfferRejection(facts, document, verify) : "";
}
