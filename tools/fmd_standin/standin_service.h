// The stand-in verification service's request handling: accounts, the pack
// model, the recorded requests and the misbehaviours tests ask for.
#pragma once
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "pack_model.h"

enum class Misbehaviour { None, HtmlError, Drop, Hang, Partial, ErrorJson };

// "normal", "html", "drop", "hang", "partial", "error_json" (a pack request
// answered by an error without item status; logins as usual); unknown names
// give None.
Misbehaviour MisbehaviourNamed(const std::string& name);
const char* MisbehaviourName(Misbehaviour misbehaviour);

struct ServiceOptions {
    std::vector<std::pair<std::string, std::string>> accounts;  // account, password
    std::string packsFile;
    std::string recordDir;  // each body also written here, byte for byte
    int recommissionDays = 10;
    int delayMs = 0;
    Misbehaviour misbehaviour = Misbehaviour::None;
    // A refused pack request answered with an item status that says so
    // (as some national systems do) instead of an error without one.
    bool refusalsAsItemStatus = false;
};

struct ServiceReply {
    int httpStatus = 200;
    std::string contentType = "application/json; charset=utf-8";
    std::string body;
    bool drop = false;     // close the connection without an answer
    bool partial = false;  // promise more body than is sent, then close
    int delayMs = 0;     // wait this long before answering
};

class StandinService {
public:
    explicit StandinService(ServiceOptions options);

    ServiceReply Handle(const std::string& body);
    // {"delay_ms", "mode", "advance_days", "reset", "set_password": {"account",
    // "password"}, "unlock": account, "refusal_style": "error"|"item_status"};
    // returns the new settings.
    nlohmann::json Control(const nlohmann::json& command);
    nlohmann::json RecordedRequests() const;
    nlohmann::json PackCounts() const;

private:
    void Record(const std::string& body, bool validJson);
    void LoadPacks();
    // As national systems do: refused attempts in a row are counted, and
    // the third locks the account until it is unlocked (by /control).
    enum class Access { Granted, Refused, Locked };
    Access CheckAccount(const nlohmann::json& request);
    void ResetAccounts();
    nlohmann::json AccountStates() const;
    std::string PackReply(const std::string& operation, const nlohmann::json& request);
    std::string RefusalReply(const std::string& operation, const nlohmann::json& request, const char* why) const;

    ServiceOptions m_options;
    mutable std::mutex m_lock;
    PackModel m_model;
    struct AccountState {
        std::string password;
        int refusedInARow = 0;
        bool locked = false;
    };
    std::map<std::string, AccountState> m_accounts;
    nlohmann::json m_recorded = nlohmann::json::array();
    long m_transactions = 0;
};
