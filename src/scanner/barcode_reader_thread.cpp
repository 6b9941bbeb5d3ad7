// The serial reader's life: open the port with fixed settings, read until
// stopped or unplugged, cut the bytes into lines, close.
#include "scanner/barcode_reader_thread.h"

#include "base/text_catalog.h"
#include "core/log.h"
#include "core/main_window_facade.h"
#include "base/string_format.h"
#include "scanner/barcode_batch.h"
#include "base/text_escape.h"
#include "core/scan_result_post.h"

namespace {

constexpr DWORD kQueueBytes = 128;
constexpr DWORD kReadBytes = 512;

void PlayScanSoundOfMainWindow()
{
    RetirablePointer<MainWindowFacade>::Lease host(g_mainDialog);
    if (host) host->PlayScanSound();
}

}  // namespace

CBarcodeReaderThread::~CBarcodeReaderThread() = default;

int CBarcodeReaderThread::Run()
{
    Log("%s - starting", m_strPort.c_str());
    AddLogRow(Text(TextId::RowListening), m_strPort.c_str());
    Log("%s - opening com port", m_strPort.c_str());
    HANDLE port = INVALID_HANDLE_VALUE;
    if (OpenPort(port)) {
        ReadLoop(port);
        AddLogRow(Text(TextId::RowClosingPort), m_strPort.c_str());
        Log("%s - terminating", m_strPort.c_str());
        CloseHandle(port);
        Log("%s - port closed", m_strPort.c_str());
    }
    if (m_onEnd) m_onEnd(this);
    return 1;
}

bool CBarcodeReaderThread::OpenPort(HANDLE& port)
{
    std::string device = StringPrintf("\\\\.\\%s", m_strPort.c_str());
    port = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        Warning("Reader failed to open port %s", m_strPort.c_str());
        return false;
    }
    auto fail = [&](const char* format) {
        Warning(format, static_cast<void*>(this), m_strPort.c_str());
        CloseHandle(port);
        return false;
    };
    DCB line{};
    line.DCBlength = sizeof line;
    if (!SetupComm(port, kQueueBytes, kQueueBytes) || !GetCommState(port, &line))
        return fail("Reader %p %s - SetCommState");
    line.BaudRate = CBR_115200;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fAbortOnError = TRUE;
    if (!SetCommState(port, &line)) return fail("Reader %p %s - SetCommState");

    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(port, &timeouts)) return fail("Reader %p %s - GetCommTimeouts failed");
    timeouts.ReadIntervalTimeout = 1;
    timeouts.ReadTotalTimeoutMultiplier = 10;
    timeouts.ReadTotalTimeoutConstant = 50;
    timeouts.WriteTotalTimeoutMultiplier = 10;
    timeouts.WriteTotalTimeoutConstant = 50;
    if (!SetCommTimeouts(port, &timeouts)) return fail("Reader %p %s - SetCommState");
    Log("%s - running", m_strPort.c_str());
    return true;
}

bool CBarcodeReaderThread::ReadPort(HANDLE port, char* buffer, DWORD size, DWORD& got)
{
    return ReadFile(port, buffer, size, &got, nullptr) != 0;
}

void CBarcodeReaderThread::ReadLoop(HANDLE port)
{
    BarcodeBatch batch;
    bool overflowLogged = false;
    bool lineEndAwaited = false;
    char buffer[kReadBytes + 1];
    while (!m_bStop) {
        DWORD errors = 0;
        COMSTAT status{};
        ClearCommError(port, &errors, &status);  // abort-on-error blocks reads until cleared
        DWORD got = 0;
        if (!ReadPort(port, buffer, kReadBytes, got)) {
            Warning("%s - ReadFile failed", m_strPort.c_str());
            return;
        }
        if (got == 0 && !lineEndAwaited) continue;
        buffer[got] = '\0';
        if (got > 0)
            Log("%s - read |%s| (%d)", m_strPort.c_str(), EscapeBarcode(std::string(buffer, got)).c_str(),
                static_cast<int>(got));
        if (!batch.Append(buffer, got) && !overflowLogged) {
            Log("%s - no line end after %d bytes: dropping input until one comes", m_strPort.c_str(),
                static_cast<int>(kMaxBatchBytes));
            overflowLogged = true;
        }
        if (batch.Complete() && ScannerTestWaiting()) {
            // The test judges the line ending too: after a bare CR, give an LF
            // one more read to arrive.
            lineEndAwaited = !lineEndAwaited && got > 0 && batch.Text().back() == '\r';
            if (lineEndAwaited) continue;
            if (HandToScannerTest(batch.Text())) {
                batch.Clear();
                PlayScanSoundOfMainWindow();
                continue;
            }
        }
        lineEndAwaited = false;
        if (batch.Complete()) {
            // The sound comes once the lines are saved: starting it costs Wine
            // a thread, up to 100 ms under load, while the scan would exist
            // only in this thread's memory.
            for (const std::string& line : batch.TakeLines()) HandleBarcode(line);
            PlayScanSoundOfMainWindow();
            overflowLogged = false;
        }
    }
}
