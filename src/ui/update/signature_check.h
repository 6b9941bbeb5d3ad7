// SHA-256 and ECDSA P-256 verification by Windows' own cryptography (CNG).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

using PublicKey = std::array<uint8_t, 64>;  // the curve point's X and Y, big-endian

// The SHA-256 of an open file's content, read from its start in chunks, in
// lower-case hex; empty if a read or CNG fails.
std::string Sha256HexOfFile(void* file);

// True when `signature` (r and s, 32 bytes each) signs SHA-256(text) under `key`.
bool VerifyEcdsaP256(const PublicKey& key, const std::string& text, const std::vector<uint8_t>& signature);

// The same under the maker's key, which the build compiles in.
bool VerifyMakerSignature(const std::string& text, const std::vector<uint8_t>& signature);
