// The packs whose last Decommission or Recommission from this computer may or
// may not have reached the service (the answer was lost or not understood).
// Such a pack is verified before it is sent in either mode again, for as long
// as an undo is possible at all. Learnt from the history at start and from
// each settled scan after. Portable.
#pragma once
#include <cstdint>
#include <ctime>
#include <map>
#include <string>

// An undo is possible for 10 days; after them nothing done here can mend it.
constexpr long kUncertainDays = 10;

// What a settled outcome says of its pack's state at the service.
enum class PackNews {
    None,       // nothing: not sent, held, stopped by the guard, or a Verify
    Uncertain,  // a change that may or may not have happened
    Settled,    // the service answered for the pack
};
PackNews NewsOfOutcome(int32_t mode, int32_t kind, const std::string& statusText, const std::string& status,
                       const std::string& messageHeading, int curlResult);

class UncertainPacks {
public:
    void Note(PackNews news, const std::string& barcode, std::time_t when);
    bool IsUncertain(const std::string& barcode, std::time_t now) const;
    size_t Count() const { return m_since.size(); }

private:
    std::map<std::string, std::time_t> m_since;  // pack to the time it became uncertain
};
