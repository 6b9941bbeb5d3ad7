// The state of a pack as a Verify's answer reports it, read from the national
// code and the state word that the service relays in its heading and body.
// The one reading of pack states that every decision about a pack uses.
// Portable.
#pragma once
#include <string>

enum class PackState {
    Unknown,  // the answer names no state this program knows
    Active,
    Supplied,
    Exported,
    CheckedOut,
    Sample,
    FreeSample,
    Locked,
    Destroyed,
    Stolen,
    Recalled,
    Withdrawn,
    Expired,
};

// The national code at the start of a heading ("NMVS_NC_PCK_22 Pack ..."),
// or of the body when the heading has none; empty when there is none.
std::string NationalCodeIn(const std::string& heading, const std::string& body);

// The pack's state from a Verify's answer: Active for an answer of status 1,
// the inactive state named after "inactive", "inactive ... as" or
// "decommissioned as" (in the heading, else the body), Unknown otherwise. A
// state word anywhere else (a batch, a product name) counts for nothing.
PackState PackStateOfVerify(const std::string& status, const std::string& heading, const std::string& body);

// The state's word as national systems write it ("Supplied", "Checked-out").
const char* PackStateWord(PackState state);
