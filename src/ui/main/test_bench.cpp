// The hidden test bench: a bench button feeds its barcode into the scan path
// as if COM1's scanner had read it, and spools it once more itself.
#include "core/log.h"
#include "scanner/barcode_reader_thread.h"
#include "scanner/spool_file.h"
#include "ui/main/main_dialog.h"

namespace {
constexpr unsigned kBenchPort = 1;  // COM1
}

void CMainDialog::InjectTestBarcode(const std::string& text)
{
    Log("TEST BARCODE = \"%s\"", text.c_str());
    // A reader ends only through a message this thread handles, so it stays
    // alive while its HandleBarcode runs here.
    if (CBarcodeReaderThread* reader = m_ports.ReaderOn(kBenchPort)) reader->HandleBarcode(text);
    const int64_t delivery = m_delivery.load();
    if (!SpoolBarcode(m_strScanFolder, delivery > 0 ? Verify : m_mode.load(), m_resultsList.Handle(), text, delivery))
        Warning("TEST BARCODE - WriteFile failed");
}
