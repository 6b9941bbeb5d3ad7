// Spool file names and contents.
#include "verify/spool_record.h"

#include "core/spool_content.h"

std::string WithoutExtension(const std::string& name) { return name.size() >= 4 ? name.substr(0, name.size() - 4) : name; }

std::unique_ptr<ScanResult> RecordOfSpoolFile(const std::string& key, const std::string& content)
{
    auto record = std::make_unique<ScanResult>();
    SpoolContent parsed = ParseSpoolText(content);
    record->mode = parsed.mode;
    record->delivery = parsed.delivery;
    record->key = key;
    record->barcode = parsed.barcode;
    record->kind = ScanResultKind::Failed;
    record->statusText = "Failed";
    return record;
}
