// Spooling: the Scanned row first, so the pharmacist sees the scan at once.
#include "scanner/spool_file.h"

#include "core/log.h"
#include "core/main_window_facade.h"
#include "core/scan_folders.h"
#include "core/scan_result_post.h"
#include "core/spool_content.h"
#include "framework/file_ops.h"

namespace {

ScanResult* NewRecord(int32_t kind, int32_t mode, const std::string& key, const std::string& barcode,
                      int64_t delivery)
{
    auto* record = new ScanResult;
    record->delivery = delivery;
    record->kind = kind;
    record->mode = mode;
    record->key = key;
    record->statusText = kind == ScanResultKind::Scanned ? "Scanned" : "Failed";
    record->barcode = barcode;
    return record;
}

}  // namespace

bool SpoolBarcode(const std::string& folder, int32_t mode, HWND resultsWindow, const std::string& barcode,
                  int64_t delivery)
{
    std::string base = MakeUniqueFileNameIn(ScanFoldersOf(folder), "dat");
    std::string key = base.substr(base.rfind('\\') + 1);
    PostScanResult(resultsWindow, NewRecord(ScanResultKind::Scanned, mode, key, barcode, delivery));

    std::string content = SpoolText(mode, delivery, barcode);
    if (WriteWholeFile(base + ".dat", content)) {
        Log("Saved to \"%s.dat\"", key.c_str());
        SignalSpoolFileWritten();
        return true;
    }
    ScanResult* lost = NewRecord(ScanResultKind::Failed, mode, key, barcode, delivery);
    lost->messageHeading = "Scan could not be saved - please scan the pack again";
    PostScanResult(resultsWindow, lost);
    return false;
}
