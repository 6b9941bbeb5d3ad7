// Pack states and the rules of the three pack operations.
#include "pack_model.h"

#include <cstdio>
#include <ctime>
#include <functional>

namespace {

std::string Key(const std::string& product, const std::string& serial) { return product + "\n" + serial; }

// YYMMDD with day 00 as the last day of the month, as a comparable YYMMDD.
std::string EndOfDay(const std::string& expiry)
{
    if (expiry.size() != 6 || expiry.substr(4) != "00") return expiry;
    return expiry.substr(0, 4) + "31";
}

// Six digits: a month from 01 to 12 and a day from 00 (the month's end) to 31.
bool IsYymmdd(const std::string& text)
{
    if (text.size() != 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    int month = std::stoi(text.substr(2, 2)), day = std::stoi(text.substr(4, 2));
    return month >= 1 && month <= 12 && day <= 31;
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
        // A pack that stays short-dated whenever the stand-in runs.
        if (entry.contains("expiry_in_days")) pack.expiry = DayAfter(entry.at("expiry_in_days").get<int>());
        pack.state = entry.value("recalled", false) ? "Recalled" : entry.value("state", "Active");
        pack.decommissionedBy = entry.value("decommissioned_by", "");
        m_lots[pack.productCode].insert(pack.lot);
        m_packs[Key(pack.productCode, pack.serial)] = pack;
    }
}

std::string PackModel::DayAfter(int days) const
{
    std::time_t then = static_cast<std::time_t>(Now()) + static_cast<std::time_t>(days) * 24 * 3600;
    std::tm parts{};
    gmtime_r(&then, &parts);
    char text[8];
    std::strftime(text, sizeof text, "%y%m%d", &parts);
    return text;
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

Outcome PackModel::Alerted(const Pack& pack, const std::string& code, const std::string& title,
                           const std::string& body)
{
    // National alert IDs name the country, the pack and a running number.
    char id[40];
    std::snprintf(id, sizeof id, "AT-%08X-%04d",
                  static_cast<unsigned>(std::hash<std::string>()(Key(pack.productCode, pack.serial)) & 0xFFFFFFFFu),
                  ++m_alerts);
    return Refused(pack, code, title, body + " Alert ID: " + id + ".");
}

// An inactive pack's answer: a Verify names its state; a change of state is
// refused, with an alert unless the pack is merely expired, recalled or
// withdrawn; an undo fits only a pack that was supplied.
Outcome PackModel::Inactive(Operation operation, const Pack& pack)
{
    const std::string& state = pack.state;
    bool noAlert = state == "Expired" || state == "Recalled" || state == "Withdrawn";
    if (operation == Operation::Verify) {
        Outcome outcome;
        outcome.status = 2;
        outcome.heading = "NMVS_NC_PCK_22 Pack is inactive (" + state + ")";
        outcome.body = "The pack is inactive as " + state + ".";
        outcome.pack = pack;
        return outcome;
    }
    if (operation == Operation::Decommission) {
        std::string body = "The pack has already been decommissioned as " + state + ".";
        if (noAlert) return Refused(pack, "NMVS_NC_PCK_22", "Pack already inactive", body);
        return Alerted(pack, "NMVS_NC_PCK_22", "Pack already inactive", body);
    }
    return Alerted(pack, "NMVS_NC_PCK_06", "Undo does not fit the pack's state",
                   "A pack inactive as " + state + " cannot be put back with a Recommission.");
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
    if (!barcode.expiry.empty() && !IsYymmdd(barcode.expiry))
        return Refused(seen, "NMVS_TE_XM_02", "Malformed request",
                       "The expiry date " + barcode.expiry + " is not a date written YYMMDD.");
    if (!m_lots.count(barcode.productCode))
        return Refused(seen, "NMVS_NC_PC_01", "Unknown product",
                       "The product code " + barcode.productCode + " is not known to the system.");
    auto found = m_packs.find(Key(barcode.productCode, barcode.serial));
    bool batchKnown = barcode.lot.empty() || m_lots[barcode.productCode].count(barcode.lot) > 0;
    if (found == m_packs.end() && !batchKnown)
        return Alerted(seen, "NMVS_FE_LOT_03", "Unknown batch", "The batch " + barcode.lot + " is not known for this product.");
    if (found == m_packs.end())
        return Alerted(seen, "NMVS_NC_PC_02", "Unknown serial number",
                       "The serial number " + barcode.serial + " is not known for this product.");
    Pack& pack = found->second;
    if (operation == Operation::Decommission) ++pack.decommissionRequests;
    if (!barcode.lot.empty() && barcode.lot != pack.lot)
        return batchKnown ? Alerted(pack, "NMVS_FE_LOT_13", "Serial number under another batch",
                                    "The serial number is recorded under another batch than " + barcode.lot + ".")
                          : Alerted(pack, "NMVS_FE_LOT_03", "Unknown batch",
                                    "The batch " + barcode.lot + " is not known for this product.");
    if (!barcode.expiry.empty() && barcode.expiry != pack.expiry)
        return Alerted(pack, "NMVS_FE_LOT_12", "Expiry date does not match",
                       "The expiry date on the pack differs from the one recorded for it.");
    if (pack.state == "Active" && Expired(pack)) {
        Pack expired = pack;
        expired.state = "Expired";
        return Inactive(operation, expired);
    }

    Outcome outcome;
    outcome.pack = pack;
    switch (operation) {
    case Operation::Verify:
        if (pack.state != "Active") return Inactive(operation, pack);
        outcome.status = 1;
        outcome.heading = "Pack verified";
        outcome.body = "The pack is active and may be supplied.";
        return outcome;
    case Operation::Decommission:
        if (pack.state != "Active") return Inactive(operation, pack);
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
            return Alerted(pack, "NMVS_NC_PCK_19", "Pack already active", "The pack is active: nothing to undo.");
        if (pack.state != "Supplied") return Inactive(operation, pack);
        if (pack.decommissionedBy != account)
            return Alerted(pack, "NMVS_NC_PCK_21", "Decommissioned by another location",
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
