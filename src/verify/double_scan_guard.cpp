// DoubleScanGuard: which packs were done in a mode, and when.
#include "verify/double_scan_guard.h"

#include "base/string_format.h"
#include "packcode/pack_code.h"

namespace {

bool IsGuarded(int32_t mode) { return mode == Decommission || mode == Recommission; }

}  // namespace

std::string DoubleScanGuard::PackKey(const std::string& barcode)
{
    PackCodeReading reading = ReadPackCode(barcode);
    if (reading.ProductCode().empty() || reading.serial.empty()) return "raw " + barcode;
    return reading.ProductCode() + " " + reading.serial;
}

std::optional<std::time_t> DoubleScanGuard::DoneBefore(const std::string& barcode, int32_t mode, long minutes)
{
    if (!IsGuarded(mode)) return std::nullopt;
    auto found = m_done.find({mode, PackKey(barcode)});
    if (found == m_done.end()) return std::nullopt;
    if (Now() - found->second >= minutes * 60) {
        m_done.erase(found);  // long enough ago: this pack may be sent again
        return std::nullopt;
    }
    return found->second;
}

void DoubleScanGuard::RememberSuccessAt(const std::string& barcode, int32_t mode, std::time_t when)
{
    if (!IsGuarded(mode)) return;
    std::string pack = PackKey(barcode);
    m_done.erase({mode == Decommission ? Recommission : Decommission, pack});
    m_done[{mode, pack}] = when;
}

std::string DoubleScanGuard::StopIfDoneBefore(ScanResult& record, long minutes)
{
    std::optional<std::time_t> done = DoneBefore(record.barcode, record.mode, minutes);
    if (!done) return std::string();
    PackCodeReading reading = ReadPackCode(record.barcode);
    record.kind = ScanResultKind::Success;
    record.statusText = "Done before";
    record.gtin = reading.ProductCode();
    record.lot = reading.batch;
    record.exp = reading.expiry;
    record.sn = reading.serial;
    return StringPrintf("Same pack %s at %s - not sent again",
                        record.mode == Decommission ? "decommissioned" : "recommissioned", LocalClockTime(*done).c_str());
}

std::string LocalClockTime(std::time_t when)
{
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &when);
#else
    localtime_r(&when, &parts);
#endif
    return StringPrintf("%02d:%02d:%02d", parts.tm_hour, parts.tm_min, parts.tm_sec);
}
