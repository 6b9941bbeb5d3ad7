// Port names and recognised devices.
#include "scanner/port_names.h"

#include <algorithm>
#include <cctype>

#include "base/decimal.h"

std::string ComPortName(unsigned number) { return "COM" + std::to_string(number); }

unsigned PortNumberFromName(const std::string& name)
{
    return name.size() > 3 ? static_cast<unsigned>(ParseLeadingDecimal(name.substr(3))) : 0;
}

bool IsScannerDevice(const std::string& deviceText)
{
    std::string lower = deviceText;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("silabser") != std::string::npos || lower.find("zebracdc") != std::string::npos;
}
