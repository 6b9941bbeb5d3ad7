// libFuzzer target: reading pack codes from arbitrary bytes. Beyond the
// sanitizers' checks, every field read must be a piece of the scan, and a
// scan that is no pack code has no fields and exactly one fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "packcode/pack_code.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string scan(reinterpret_cast<const char*>(data), size);
    PackCodeReading reading = ReadPackCode(scan);
    for (const std::string* field : {&reading.gtin, &reading.ppn, &reading.nationalNumber, &reading.batch,
                                     &reading.expiry, &reading.serial, &reading.symbologyId})
        if (scan.find(*field) == std::string::npos) std::abort();
    if (reading.format == PackCodeFormat::None &&
        (reading.faults.size() != 1 || !reading.ProductCode().empty() || !reading.serial.empty()))
        std::abort();
    for (const std::string& fault : reading.faults)
        if (fault.empty() || fault.back() != '.') std::abort();
    return 0;
}
