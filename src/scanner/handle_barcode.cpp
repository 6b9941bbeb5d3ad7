// Spooling one barcode line: the Scanned row, then the spool file.
#include <memory>

#include "core/log.h"
#include "core/main_window_facade.h"
#include "scanner/barcode_reader_thread.h"
#include "framework/file_ops.h"
#include "core/scan_result_post.h"

namespace {

// What the line is spooled against, read in one short lease.
struct SpoolTarget {
    bool available = false;
    std::string folder;
    int32_t mode = 0;
    MessageBoxFunction showMessageBox = nullptr;
    HWND resultsWindow = nullptr;
};

SpoolTarget CurrentTarget()
{
    SpoolTarget target;
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (!host) return target;
    target.available = true;
    target.folder = host->ScanFolder();
    target.mode = host->CurrentMode();
    target.showMessageBox = host->MessageBoxShower();
    target.resultsWindow = host->ResultsWindow();
    return target;
}

bool IsSettingsBarcode(const std::string& line)
{
    return line.find("GS1ToAt") != std::string::npos || line.find("CipherLab") != std::string::npos;
}

ScanResult* NewRecord(int32_t kind, int32_t mode, const std::string& key, const std::string& line)
{
    auto* record = new ScanResult;
    record->kind = kind;
    record->mode = mode;
    record->key = key;
    record->statusText = kind == ScanResultKind::Scanned ? "Scanned" : "Failed";
    record->barcode = line;
    return record;
}

}  // namespace

void CBarcodeReaderThread::HandleBarcode(const std::string& line)
{
    Log("%s - barcode = \"%s\"", m_strPort.c_str(), line.c_str());
    SpoolTarget target = CurrentTarget();
    if (IsSettingsBarcode(line)) {
        if (target.showMessageBox)
            target.showMessageBox("Wrong settings barcode scanned. Please scan the other barcode.", "",
                                  MessageBoxButtons::Ok);
        return;
    }
    if (!target.available) {
        Log("%s - no main window: barcode not spooled", m_strPort.c_str());
        return;
    }
    std::string base = MakeUniqueFileName(target.folder, "", "dat");
    std::string key = base.substr(base.rfind('\\') + 1);
    PostScanResult(target.resultsWindow, NewRecord(ScanResultKind::Scanned, target.mode, key, line));

    std::string content = std::string(1, static_cast<char>('0' + target.mode)) + line;
    if (WriteWholeFile(base + ".dat", content)) {
        Log("Saved to \"%s.dat\"", key.c_str());
        return;
    }
    Warning("Reader %p %s - WriteFile failed", static_cast<void*>(this), m_strPort.c_str());
    // The Scanned row must not stay as if the scan were on its way.
    ScanResult* lost = NewRecord(ScanResultKind::Failed, target.mode, key, line);
    lost->messageHeading = "Scan could not be saved - please scan the pack again";
    PostScanResult(target.resultsWindow, lost);
}
