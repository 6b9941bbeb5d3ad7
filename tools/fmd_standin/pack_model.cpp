// Pack states and the rules of the three pack operations.
#include "pack_model.h"

#include <ctime>

namespace {

std::string Key(const std::string& product, const std::string& serial) { return product + "\n" + serial; }

// YYMMDD with day 00 as the last day of the month, as a comparable YYMMDD.
std::string EndOfDay(const std::string& expiry)
{
    if (expiry.size() != 6 || expiry.substr(4) != "00") return expiry;
    return expiry.substr(0, 4) + "31";
}

}  // namespace

void PackModel::Load(const nlohmann::json& packs)
{
    for (const auto& entry : packs) {
        Pack pack;
        pack.productCode = entry.contains("gtin") ? entry.at("gtin").get<std::string>() : entry.at("ppn").get<std::string>();
        pack.serial = entry.at("serial").get<std::string>();
        pack.lot = entry.value("lot", "");
        pack.expiry = entry.value("expiry", "");
        pack.state = entry.value("state", "Active");
        pack.recalled = entry.value("recalled", false);
        m_products[pack.productCode] = true;
        m_packs[Key(pack.productCode, pack.serial)] = pack;
    }
}

int64_t PackModel::Now() const { return static_cast<int64_t>(std::time(nullptr)) + m_clockOffset; }

std::string PackModel::Today() const
{
    std::time_t now = static_cast<std::time_t>(Now());
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[8];
    std::strftime(text, sizeof text, "%y%m%d", &parts);
    return text;
}

bool PackModel::Expired(const Pack& pack) const { return !pack.expiry.empty() && EndOfDay(pack.expiry) < Today(); }

Outcome PackModel::Refused(const Pack& pack, const std::string& code, const std::string& title,
                           const std::string& body)
{
    Outcome outcome;
    outcome.status = 0;
    outcome.heading = code + " " + title;
    outcome.body = body;
    outcome.pack = pack;
    return outcome;
}

Outcome PackModel::Apply(Operation operation, const std::string& account, const PackBarcode& barcode)
{
    Pack seen;
    seen.productCode = barcode.productCode;
    seen.serial = barcode.serial;
    seen.lot = barcode.lot;
    seen.expiry = barcode.expiry;
    if (!barcode.parsed)
        return Refused(seen, "NMVS_NC_PC_01", "Unknown product",
                       "The barcode could not be read as a pack identifier: " + barcode.error + ".");
    if (!m_products.count(barcode.productCode))
        return Refused(seen, "NMVS_NC_PC_01", "Unknown product",
                       "The product code " + barcode.productCode + " is not known to the system.");
    auto found = m_packs.find(Key(barcode.productCode, barcode.serial));
    if (found == m_packs.end())
        return Refused(seen, "NMVS_NC_PC_02", "Unknown serial number",
                       "The serial number " + barcode.serial + " is not known for this product.");
    Pack& pack = found->second;
    if (operation == Operation::Decommission) ++pack.decommissionRequests;
    if (!barcode.lot.empty() && barcode.lot != pack.lot)
        return Refused(pack, "NMVS_FE_LOT_03", "Batch does not match",
                       "The batch " + barcode.lot + " on the pack differs from the batch recorded for it.");
    if (!barcode.expiry.empty() && barcode.expiry != pack.expiry)
        return Refused(pack, "NMVS_FE_LOT_12", "Expiry date does not match",
                       "The expiry date on the pack differs from the one recorded for it.");
    if (pack.recalled)
        return Refused(pack, "NMVS_NC_PCK_06", "Batch recalled",
                       "The batch " + pack.lot + " has been recalled. Do not supply this pack.");

    Outcome outcome;
    outcome.pack = pack;
    switch (operation) {
    case Operation::Verify:
        if (pack.state != "Active") {
            outcome.status = 2;
            outcome.heading = "NMVS_NC_PCK_22 Pack is inactive (" + pack.state + ")";
            outcome.body = "The pack has already been decommissioned as " + pack.state + ".";
        } else if (Expired(pack)) {
            outcome.status = 2;
            outcome.heading = "NMVS_NC_PCK_02 Pack expired";
            outcome.body = "The pack is active but its expiry date has passed.";
        } else {
            outcome.status = 1;
            outcome.heading = "Pack verified";
            outcome.body = "The pack is active and may be supplied.";
        }
        return outcome;
    case Operation::Decommission:
        if (pack.state != "Active")
            return Refused(pack, "NMVS_NC_PCK_22", "Pack already inactive",
                           "The pack has already been decommissioned as " + pack.state + ".");
        if (Expired(pack))
            return Refused(pack, "NMVS_NC_PCK_02", "Pack expired", "An expired pack cannot be supplied.");
        pack.state = "Supplied";
        ++pack.stateChanges;
        pack.decommissionedBy = account;
        pack.decommissionedAt = Now();
        outcome.status = 1;
        outcome.heading = "Pack decommissioned";
        outcome.body = "The pack is now Supplied.";
        outcome.pack = pack;
        return outcome;
    case Operation::Recommission:
        if (pack.state == "Active")
            return Refused(pack, "NMVS_NC_PCK_19", "Pack already active", "The pack is active: nothing to undo.");
        if (pack.decommissionedBy != account)
            return Refused(pack, "NMVS_NC_PCK_21", "Decommissioned by another location",
                           "Only the location that decommissioned the pack may put it back.");
        if (Now() - pack.decommissionedAt > int64_t{m_recommissionDays} * 24 * 3600)
            return Refused(pack, "NMVS_NC_PCK_20", "Time limit exceeded",
                           "The pack was decommissioned more than " + std::to_string(m_recommissionDays) +
                               " days ago and can no longer be put back.");
        pack.state = "Active";
        ++pack.stateChanges;
        pack.decommissionedBy.clear();
        outcome.status = 1;
        outcome.heading = "Pack recommissioned";
        outcome.body = "The pack is active again.";
        outcome.pack = pack;
        return outcome;
    }
    return outcome;
}

nlohmann::json PackModel::Counts() const
{
    nlohmann::json counts = nlohmann::json::array();
    for (const auto& [key, pack] : m_packs) {
        if (pack.stateChanges == 0 && pack.decommissionRequests == 0) continue;
        counts.push_back({{"product", pack.productCode}, {"serial", pack.serial}, {"state", pack.state},
                          {"state_changes", pack.stateChanges}, {"decommission_requests", pack.decommissionRequests}});
    }
    return counts;
}
