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

// "name=...\nversion=...\nsha256=<64 hex>\nsignature=<128 hex>\n", and for
// a dated offer also "issued=YYYY-MM-DDTHH:MM:SSZ": the signature is ECDSA
// P-256 over SHA-256 of SignedText, as r and s.
struct SignatureDocument {
    std::string name;
    std::string version;
    std::string sha256;
    std::string issued;  // empty when the document has no issue date
    std::vector<uint8_t> signature;
};

// False when a field is missing, repeated or unknown, a hex field is not
// exactly its length of hex digits, or an issue date is not in its form. A
// final line feed is optional.
bool ParseSignatureDocument(const std::string& text, SignatureDocument& document);

// The exact bytes that are signed; an issue date adds its own line, so an
// undated signature never holds for a dated document.
std::string SignedText(const std::string& name, const std::string& version, const std::string& sha256,
                       const std::string& issued = "");

// True for "YYYY-MM-DDTHH:MM:SSZ" with digits in place: such dates compare
// as texts.
bool IsIssueDate(const std::string& text);

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
    // The newest issue date of a genuine offer seen before: an older offer
    // is a replayed one.
    std::string newestOfferIssued;
    // A driver installer must not be older than the newest one of its name
    // started before (empty: none was).
    std::string versionFloor;
};

// The role an offer is signed for: a document "name=latest", with the latest
// version, its installer's SHA-256 and the date it was issued, signed like an
// installer's.
constexpr char kOfferName[] = "latest";

using SignatureVerifier = std::function<bool(const std::string& text, const std::vector<uint8_t>& signature)>;

// The issue date of `offerText` when it is a dated offer made by the maker's
// key; empty otherwise.
std::string GenuineOfferIssued(const std::string& offerText, const SignatureVerifier& verify);

// Compares dotted version numbers part by part as numbers ("10.1" is newer
// than "9.2", "6.7" equals "6.7.0"); negative, zero or positive. A part that
// is not a number compares as text.
int CompareDottedVersions(const std::string& left, const std::string& right);

// Empty when the installer may run, else why not ("missing", "malformed",
// "names another file", ...), for the log line.
std::string InstallerRejection(const std::string& signatureText, const InstallerFacts& facts,
                               const SignatureVerifier& verify);
