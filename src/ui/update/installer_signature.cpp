// Signature documents and the acceptance rules of a downloaded installer.
#include "ui/update/installer_signature.h"

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
    if (fields.size() != 4) return false;
    for (const char* name : names)
        if (!fields.count(name) || fields[name].empty()) return false;
    if (!IsLowerHex(fields["sha256"], 64) || !IsLowerHex(fields["signature"], 128)) return false;
    document.name = fields["name"];
    document.version = fields["version"];
    document.sha256 = fields["sha256"];
    document.signature = HexBytes(fields["signature"]);
    return true;
}

std::string SignedText(const std::string& name, const std::string& version, const std::string& sha256)
{
    return "QuorvixFMD Pellwick installer\nname=" + name + "\nversion=" + version + "\nsha256=" + sha256 + "\n";
}

namespace {

// Empty when the maker's signed offer names this installer.
std::string OfferRejection(const std::string& offerText, const SignatureDocument& installer,
                           const SignatureVerifier& verify)
{
    SignatureDocument offer;
    if (offerText.empty()) return "has no signed offer";
    if (!ParseSignatureDocument(offerText, offer) || offer.name != kOfferName) return "has a malformed offer";
    if (!verify(SignedText(offer.name, offer.version, offer.sha256), offer.signature))
        return "has an offer not made by the maker's key";
    if (offer.version != installer.version) return "names another version than offered (" + offer.version + ")";
    if (offer.sha256 != installer.sha256) return "names another installer than offered";
    return "";
}

}  // namespace

std::string InstallerRejection(const std::string& signatureText, const InstallerFacts& facts,
                               const SignatureVerifier& verify)
{
    if (signatureText.empty()) return "missing";
    SignatureDocument document;
    if (!ParseSignatureDocument(signatureText, document)) return "malformed";
    if (!verify(SignedText(document.name, document.version, document.sha256), document.signature))
        return "not made by the maker's key";
    // Signed, but for another file than this one, or for another use.
    if (document.name != facts.expectedName) return "names another file (" + document.name + ")";
    if (document.sha256 != facts.sha256) return "does not match the file";
    if (document.version != facts.carriedVersion) return "names another version (" + document.version + ")";
    if (facts.mustBeNewer && !OffersNewerVersion(document.version))
        return "names a version that is not newer (" + document.version + ")";
    return facts.mustBeOffered ? OfferRejection(facts.offerText, document, verify) : "";
}
