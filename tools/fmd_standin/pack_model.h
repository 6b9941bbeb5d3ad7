// The stand-in service's model of packs and their states, as the national
// verification systems keep it: verify, decommission (to Supplied) and
// recommission (same account, within a time limit), with their return codes.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "pack_barcode.h"

struct Pack {
    std::string productCode;
    std::string serial;
    std::string lot;
    std::string expiry;  // YYMMDD; day 00 means the end of the month
    std::string state = "Active";  // or the state it was made inactive as
    std::string decommissionedBy;
    int64_t decommissionedAt = 0;  // seconds, on the model's clock
    // What tests of outages count: no pack may be decommissioned twice.
    int stateChanges = 0;
    int decommissionRequests = 0;
};

enum class Operation { Verify, Decommission, Recommission };

struct Outcome {
    int status = 0;        // 0 error, 1 success, 2 warning
    std::string heading;   // return code and title
    std::string body;      // plain explanation
    Pack pack;             // the pack as it is now (or the barcode's data)
};

class PackModel {
public:
    explicit PackModel(int recommissionDays = 10) : m_recommissionDays(recommissionDays) {}

    // Packs from a JSON array of {"gtin"|"ppn", "serial", "lot", "expiry" or
    // "expiry_in_days", "state", "recalled", "decommissioned_by"}; throws on
    // a malformed list.
    void Load(const nlohmann::json& packs);
    void AdvanceClock(int64_t seconds) { m_clockOffset += seconds; }
    int64_t Now() const;
    // Today as YYMMDD on the model's clock.
    std::string Today() const;
    // YYMMDD of the day `days` after today.
    std::string DayAfter(int days) const;

    Outcome Apply(Operation operation, const std::string& account, const PackBarcode& barcode);
    // [{"product","serial","state","state_changes","decommission_requests"}]
    // for the packs that any request reached.
    nlohmann::json Counts() const;

private:
    Outcome Refused(const Pack& pack, const std::string& code, const std::string& title, const std::string& body);
    // A refusal that raises an alert: the national system gives it an ID.
    Outcome Alerted(const Pack& pack, const std::string& code, const std::string& title, const std::string& body);
    Outcome Inactive(Operation operation, const Pack& pack);
    bool Expired(const Pack& pack) const;

    std::map<std::string, Pack> m_packs;  // key: product code + '\n' + serial
    std::map<std::string, std::set<std::string>> m_lots;  // the batches of each product
    int m_alerts = 0;
    int m_recommissionDays;
    int64_t m_clockOffset = 0;
};
