// The scan check rows of a sent scan.
#include "verify/scan_check_rows.h"

#include "packcode/pack_code.h"

std::vector<std::string> ScanCheckRows(const std::string& barcode, const std::optional<CalendarDate>& today)
{
    PackCodeReading reading = ReadPackCode(barcode);
    std::vector<std::string> rows;
    for (const std::string& fault : reading.faults) rows.push_back("Scan check: " + fault);
    std::string expiredOn = ExpiredOn(reading.expiry, today);
    if (!expiredOn.empty()) rows.push_back("Scan check: this pack expired on " + expiredOn);
    return rows;
}
