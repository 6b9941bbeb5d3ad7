// Spool file names and contents.
#include "verify/spool_record.h"

std::string WithoutExtension(const std::string& name) { return name.size() >= 4 ? name.substr(0, name.size() - 4) : name; }

std::unique_ptr<ScanResult> RecordOfSpoolFile(const std::string& key, const std::string& content)
{
    auto record = std::make_unique<ScanResult>();
    record->mode = content.empty() ? -'0' : static_cast<signed char>(content[0]) - '0';
    record->key = key;
    record->barcode = content.empty() ? std::string() : content.substr(1);
    record->kind = ScanResultKind::Failed;
    record->statusText = "Failed";
    return record;
}
