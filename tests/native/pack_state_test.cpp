// Reading a pack's state from the answers national systems relay.
#include <gtest/gtest.h>

#include "guide/pack_state.h"

namespace {

struct StateCase {
    const char* status;
    const char* heading;
    const char* body;
    PackState expected;
};

TEST(PackState, ReadsTheStateNamedAfterInactiveAndNothingElse)
{
    const StateCase cases[] = {
        {"1", "Pack verified", "The pack is active and may be supplied.", PackState::Active},
        {"2", "NMVS_NC_PCK_22 Pack is inactive (Supplied)", "", PackState::Supplied},
        {"2", "NMVS_NC_PCK_22 Pack is inactive (Checked-out)", "", PackState::CheckedOut},
        {"2", "NMVS_NC_PCK_22 Pack is inactive (Free sample)", "", PackState::FreeSample},
        {"2", "NMVS_NC_PCK_22 Pack is inactive (Sample)", "", PackState::Sample},
        {"2", "NMVS_NC_PCK_22 Pack already inactive", "The pack has already been decommissioned as Destroyed.",
         PackState::Destroyed},
        {"2", "Pack inactive: decommissioned as Stolen.", "", PackState::Stolen},
        {"2", "NMVS_NC_PCK_22", "Pack is INACTIVE (recalled)", PackState::Recalled},
        // The word alone, away from "inactive", is no state: a batch or a
        // product may be named so.
        {"2", "NMVS_FE_LOT_03 Batch does not match", "The batch Supplied on the pack differs.", PackState::Unknown},
        {"2", "Supplied", "Supplied", PackState::Unknown},
        {"2", "NMVS_NC_PCK_22 Pack is inactive (Suppliedx)", "", PackState::Unknown},
        {"0", "NMVS_NC_PC_02 Unknown serial number", "", PackState::Unknown},
        {"3", "", "", PackState::Unknown},
        {"", "", "", PackState::Unknown},
        {"2", "Pack is inactive", "", PackState::Unknown},
        {"2", "Pack is reactive (Supplied)", "", PackState::Unknown},
    };
    for (const StateCase& c : cases)
        EXPECT_EQ(PackStateOfVerify(c.status, c.heading, c.body), c.expected)
            << "status " << c.status << ", heading \"" << c.heading << "\", body \"" << c.body << "\"";
}

TEST(PackState, FindsTheNationalCodeAtTheStartOfTheHeadingOrBody)
{
    EXPECT_EQ(NationalCodeIn("NMVS_NC_PCK_22 Pack already inactive", ""), "NMVS_NC_PCK_22");
    EXPECT_EQ(NationalCodeIn("Pack already inactive", "NMVS_FE_LOT_12: expiry differs"), "NMVS_FE_LOT_12");
    EXPECT_EQ(NationalCodeIn("Pack verified", "code NMVS_NC_PC_02 later"), "");
    EXPECT_EQ(NationalCodeIn("", ""), "");
}

TEST(PackState, WordsAreThoseNationalSystemsWrite)
{
    EXPECT_STREQ(PackStateWord(PackState::CheckedOut), "Checked-out");
    EXPECT_STREQ(PackStateWord(PackState::Supplied), "Supplied");
    EXPECT_STREQ(PackStateWord(PackState::Unknown), "Unknown");
}

}  // namespace
