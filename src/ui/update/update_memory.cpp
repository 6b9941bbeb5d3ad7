// Issue dates and driver versions kept in the registry.
#include "ui/update/update_memory.h"

#include "core/settings_store.h"
#include "ui/update/installer_signature.h"

namespace {

const char kOfferIssuedValue[] = "UpdateOfferIssued";

std::string DriverValue(const std::string& fileName) { return "DriverVersion " + fileName; }

}  // namespace

std::string TakeInOfferIssued(const std::string& issued)
{
    std::string newest = ReadSetting(kOfferIssuedValue, "");
    // A damaged value must not stop every update for good: it is replaced.
    if (!IsIssueDate(newest)) newest.clear();
    if (!issued.empty() && issued > newest) {
        SaveSetting(kOfferIssuedValue, issued);
        newest = issued;
    }
    return newest;
}

std::string DriverVersionFloor(const std::string& fileName)
{
    std::string floor = ReadSetting(DriverValue(fileName).c_str(), "");
    // Versions start with a number; anything else is damage and no floor.
    return !floor.empty() && floor[0] >= '0' && floor[0] <= '9' ? floor : "";
}

void RememberDriverStarted(const std::string& fileName, const std::string& version)
{
    if (CompareDottedVersions(version, DriverVersionFloor(fileName)) > 0) SaveSetting(DriverValue(fileName).c_str(), version);
}
