// Request handling of the stand-in verification service.
#include "standin_service.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

const char kItemType[] = "GS1.ItemStatus, TembrelQuorvixFMDCore";

std::string Quoted(const std::string& text)
{
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string OperationOf(const std::string& type)
{
    for (const char* name : {"Verify", "Decommission", "Recommission", "Login"})
        if (type == std::string("API.") + name + ".Request, TembrelQuorvixFMDCore") return name;
    return "";
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

const char* const kMisbehaviourNames[] = {"normal", "html", "drop", "hang", "partial", "error_json"};
constexpr int kRefusalsBeforeLock = 3;
const char kRefusedText[] = "Unknown account or wrong password";
const char kLockedText[] =
    "The account is locked after too many refused attempts: the national organisation's service desk unlocks it";

}  // namespace

Misbehaviour MisbehaviourNamed(const std::string& name)
{
    for (int i = 0; i < 6; ++i)
        if (name == kMisbehaviourNames[i]) return static_cast<Misbehaviour>(i);
    return Misbehaviour::None;
}

const char* MisbehaviourName(Misbehaviour misbehaviour) { return kMisbehaviourNames[static_cast<int>(misbehaviour)]; }

StandinService::StandinService(ServiceOptions options)
    : m_options(std::move(options)), m_model(m_options.recommissionDays)
{
    LoadPacks();
    ResetAccounts();
}

void StandinService::ResetAccounts()
{
    m_accounts.clear();
    for (const auto& [account, password] : m_options.accounts) m_accounts[account].password = password;
}

void StandinService::LoadPacks()
{
    m_model = PackModel(m_options.recommissionDays);
    if (m_options.packsFile.empty()) return;
    std::ifstream file(m_options.packsFile);
    m_model.Load(nlohmann::json::parse(file));
}

void StandinService::Record(const std::string& body, bool validJson)
{
    nlohmann::json entry;
    entry["body_hex"] = Hex(body);
    entry["body"] = body;
    entry["valid_json"] = validJson;
    m_recorded.push_back(entry);
    if (!m_options.recordDir.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "/%06zu.body", m_recorded.size());
        std::ofstream(m_options.recordDir + name, std::ios::binary) << body;
    }
}

StandinService::Access StandinService::CheckAccount(const nlohmann::json& request)
{
    auto known = m_accounts.find(request.value("Account", ""));
    if (known == m_accounts.end()) return Access::Refused;  // nobody to lock
    AccountState& account = known->second;
    if (account.locked) return Access::Locked;
    if (request.value("Password", "") == account.password) {
        account.refusedInARow = 0;
        return Access::Granted;
    }
    // The attempt that locks the account says so.
    if (++account.refusedInARow < kRefusalsBeforeLock) return Access::Refused;
    account.locked = true;
    return Access::Locked;
}

nlohmann::json StandinService::AccountStates() const
{
    nlohmann::json states = nlohmann::json::object();
    for (const auto& [name, account] : m_accounts)
        states[name] = {{"refused_in_a_row", account.refusedInARow}, {"locked", account.locked}};
    return states;
}

ServiceReply StandinService::Handle(const std::string& body)
{
    std::lock_guard<std::mutex> hold(m_lock);
    ServiceReply reply;
    reply.delayMs = m_options.delayMs;
    nlohmann::json request = nlohmann::json::parse(body, nullptr, false);
    Record(body, !request.is_discarded());

    switch (m_options.misbehaviour) {
    case Misbehaviour::Drop: reply.drop = true; return reply;
    case Misbehaviour::Partial:
        reply.partial = true;
        reply.body = R"({"$type":"API.Verify.Response, TembrelQuorvixFMDCore","Item":{"$type":"GS1.It)";
        return reply;
    case Misbehaviour::Hang: reply.delayMs = 24 * 3600 * 1000; break;
    case Misbehaviour::HtmlError:
        reply.httpStatus = 502;
        reply.contentType = "text/html";
        reply.body = "<html><head><title>502 Bad Gateway</title></head><body><h1>Bad Gateway</h1></body></html>";
        return reply;
    case Misbehaviour::ErrorJson:
    case Misbehaviour::None: break;
    }

    if (request.is_discarded() || !request.is_object()) {
        reply.httpStatus = 400;
        reply.body = R"({"Success":false,"Message":"The request is not valid JSON."})";
        return reply;
    }
    std::string operation = OperationOf(request.value("$type", ""));
    if (operation.empty()) {
        reply.httpStatus = 400;
        reply.body = R"({"Success":false,"Message":"Unknown request type."})";
    } else if (Access access = CheckAccount(request); operation == "Login") {
        bool ok = access == Access::Granted;
        reply.body = std::string(R"({"$type":"API.Login.Response, TembrelQuorvixFMDCore","Message":)") +
                     Quoted(ok ? "Welcome" : access == Access::Locked ? kLockedText : kRefusedText) +
                     ",\"Success\":" + (ok ? "true" : "false") + "}";
    } else if (access != Access::Granted) {
        reply.body = RefusalReply(operation, request, access == Access::Locked ? kLockedText : kRefusedText);
    } else if (m_options.misbehaviour == Misbehaviour::ErrorJson) {
        reply.body = R"({"$type":"API.Error.Response, TembrelQuorvixFMDCore","Message":"The national system did not answer in time.","Success":false})";
    } else {
        reply.body = PackReply(operation, request);
    }
    return reply;
}

std::string StandinService::RefusalReply(const std::string& operation, const nlohmann::json& request,
                                         const char* why) const
{
    if (!m_options.refusalsAsItemStatus)
        return std::string(R"({"$type":"API.Error.Response, TembrelQuorvixFMDCore","Message":)") + Quoted(why) +
               ",\"Success\":false}";
    std::string raw = request.value(nlohmann::json::json_pointer("/List/$values/0/Raw"), std::string());
    std::ostringstream out;
    out << R"({"$type":"API.)" << operation << R"(.Response, TembrelQuorvixFMDCore","Item":{"$type":")" << kItemType
        << R"(","Status":0,"MessageHeading":)" << Quoted(why) << R"(,"MessageBody":"","PostTransactionID":"",)"
        << R"("ReplyTransactionID":"","Raw":)" << Quoted(raw) << R"(,"GTIN":"","Lot":"","Exp":"","SN":""},"Success":false})";
    return out.str();
}

std::string StandinService::PackReply(const std::string& operation, const nlohmann::json& request)
{
    std::string raw;
    try {
        raw = request.at("List").at("$values").at(0).at("Raw").get<std::string>();
    } catch (const nlohmann::json::exception&) {
        return R"({"Success":false,"Message":"The request holds no barcode."})";
    }
    Operation which = operation == "Verify" ? Operation::Verify
                      : operation == "Decommission" ? Operation::Decommission
                                                    : Operation::Recommission;
    Outcome outcome = m_model.Apply(which, request.value("Account", ""), ParsePackBarcode(raw));
    ++m_transactions;
    std::cout << operation << " " << outcome.pack.productCode << " " << outcome.pack.serial << ": status "
              << outcome.status << ", " << outcome.heading << std::endl;
    std::ostringstream out;
    // The member order is the one clients cut the answer by: "SN" closes the
    // item, "Success" closes the whole answer.
    out << R"({"$type":"API.)" << operation << R"(.Response, TembrelQuorvixFMDCore","Item":{"$type":")" << kItemType
        << R"(","Status":)" << outcome.status << ",\"MessageHeading\":" << Quoted(outcome.heading)
        << ",\"MessageBody\":" << Quoted(outcome.body) << ",\"PostTransactionID\":" << Quoted("P" + std::to_string(m_transactions))
        << ",\"ReplyTransactionID\":" << Quoted("R" + std::to_string(100000 + m_transactions)) << ",\"Raw\":" << Quoted(raw)
        << ",\"GTIN\":" << Quoted(outcome.pack.productCode) << ",\"Lot\":" << Quoted(outcome.pack.lot)
        << ",\"Exp\":" << Quoted(outcome.pack.expiry) << ",\"SN\":" << Quoted(outcome.pack.serial)
        << "},\"Success\":" << (outcome.status != 0 ? "true" : "false") << "}";
    return out.str();
}

nlohmann::json StandinService::Control(const nlohmann::json& command)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (command.value("reset", false)) {
        LoadPacks();
        ResetAccounts();
        m_recorded = nlohmann::json::array();
    }
    // A password changed behind the program's back (at the national portal).
    if (command.contains("set_password")) {
        const nlohmann::json& change = command.at("set_password");
        m_accounts[change.value("account", "")].password = change.value("password", "");
    }
    if (command.contains("refusal_style"))
        m_options.refusalsAsItemStatus = command.at("refusal_style").get<std::string>() == "item_status";
    if (command.contains("unlock")) {
        AccountState& account = m_accounts[command.at("unlock").get<std::string>()];
        account.locked = false;
        account.refusedInARow = 0;
    }
    if (command.contains("delay_ms")) m_options.delayMs = command.at("delay_ms").get<int>();
    if (command.contains("advance_days")) m_model.AdvanceClock(int64_t{command.at("advance_days").get<int>()} * 24 * 3600);
    if (command.contains("mode")) {
        m_options.misbehaviour = MisbehaviourNamed(command.at("mode").get<std::string>());
    }
    return {{"delay_ms", m_options.delayMs},
            {"mode", MisbehaviourName(m_options.misbehaviour)},
            {"accounts", AccountStates()}};
}

nlohmann::json StandinService::RecordedRequests() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_recorded;
}

nlohmann::json StandinService::PackCounts() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_model.Counts();
}
