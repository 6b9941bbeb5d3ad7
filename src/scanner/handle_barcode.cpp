// A reader's barcode line: refused when it is a scanner's settings code,
// taken by the scanner test while that is open, otherwise spooled.
#include <memory>

#include "base/text_catalog.h"
#include "core/log.h"
#include "core/main_window_facade.h"
#include "core/scan_result.h"
#include "scanner/barcode_reader_thread.h"
#include "scanner/spool_file.h"

namespace {

// What the line is spooled against, read in one short lease.
struct SpoolTarget {
    bool available = false;
    std::string folder;
    int32_t mode = 0;
    int64_t delivery = 0;
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
    // While a delivery is checked every scan is a Verify tagged with it,
    // whatever the main window's mode.
    target.delivery = host->CurrentDelivery();
    target.mode = target.delivery > 0 ? Verify : host->CurrentMode();
    target.showMessageBox = host->MessageBoxShower();
    target.resultsWindow = host->ResultsWindow();
    return target;
}

bool IsSettingsBarcode(const std::string& line)
{
    return line.find("GS1ToAt") != std::string::npos || line.find("CipherLab") != std::string::npos;
}

}  // namespace

void CBarcodeReaderThread::HandleBarcode(const std::string& line)
{
    Log("%s - barcode = \"%s\"", m_strPort.c_str(), line.c_str());
    SpoolTarget target = CurrentTarget();
    if (IsSettingsBarcode(line)) {
        if (target.showMessageBox)
            target.showMessageBox(Text(TextId::WrongSettingsBarcode), "",
                                  MessageBoxButtons::Ok);
        return;
    }
    if (!target.available) {
        Log("%s - no main window: barcode not spooled", m_strPort.c_str());
        return;
    }
    if (!SpoolBarcode(target.folder, target.mode, target.resultsWindow, line, target.delivery))
        Warning("Reader %p %s - WriteFile failed", static_cast<void*>(this), m_strPort.c_str());
}

bool CBarcodeReaderThread::ScannerTestWaiting()
{
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    return host && host->ScannerTestWaiting();
}

bool CBarcodeReaderThread::HandToScannerTest(const std::string& scanWithLineEnding)
{
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (!host || !host->TakeScannerTestScan(scanWithLineEnding)) return false;
    Log("%s - scan handed to the scanner test, not spooled", m_strPort.c_str());
    return true;
}
