// What the update server publishes beside each installer, and the rules an
// installer must meet before it is moved into place or started. The program
// starts a downloaded file only when a signature by the maker's key names
// the file's role, the version it carries and its SHA-256. Portable; the
// cryptography itself is Windows' (signature_check).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// "name=...\nversion=...\nsha256=<64 hex>\nsignature=<128 hex>\n": the
// signature is ECDSA P-256 over SHA-256 of SignedText, as r and s.
struct SignatureDocument {
    std::string name;
    std::string version;
    std::string sha256;
    std::vector<uint8_t> signature;
};

// False when a field is missing or repeated, or a hex field is not exactly
// its length of hex digits. A final line feed is optional.
bool ParseSignatureDocument(const std::string& text, SignatureDocument& document);

// The exact bytes that are signed.
std::string SignedText(const std::string& name, const std::string& version, const std::string& sha256);

// What is known of a downloaded file and what the program expects of it.
struct InstallerFacts {
    std::string expectedName;    // "update.exe" or the driver's file name
    std::string carriedVersion;  // from the file's version resource
    std::string sha256;          // of the file, lower-case hex
    bool mustBeNewer = false;    // an update must be newer than the program
    // An update must also be the very installer of the maker's signed offer
    // (the check's latest version), so an older genuine one, withdrawn or
    // not, cannot be passed off as the update.
    bool mustBeOffered = false;
    std::string offerText;
};

// The role an offer is signed for: a document "name=latest", with the latest
// version and its installer's SHA-256, signed like an installer's.
constexpr char kOfferName[] = "latest";

using SignatureVerifier = std::function<bool(const std::string& text, const std::vector<uint8_t>& signature)>;

// Empty when the installer may run, else why not ("missing", "malformed",
// "names another file", ...), for the log line.
std::string InstallerRejection(const std::string& signatureText, const InstallerFacts& facts,
                               const SignatureVerifier& verify);
