// A spool file's name and content as the worker reads them: the key is the
// name without ".dat"; the content is the mode's digit, then the barcode,
// after the delivery's tag for a scan taken while a delivery was checked.
#pragma once
#include <memory>
#include <string>

#include "core/scan_result.h"

std::string WithoutExtension(const std::string& name);

// The scan's record, Failed until something is known of it.
std::unique_ptr<ScanResult> RecordOfSpoolFile(const std::string& key, const std::string& content);
