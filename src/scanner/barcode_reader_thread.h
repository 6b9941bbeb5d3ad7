// One scanner's serial port, read on its own thread: the bytes are cut into
// barcode lines and each line is spooled for the verification worker. The
// object deletes itself when its thread ends; its owner only sets m_bStop.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "framework/win_thread.h"

class CBarcodeReaderThread : public CWinThread {
public:
    // Called on the reader's thread just before the object is deleted, so the
    // owner can forget it (the port table must never hold an ended reader).
    using EndNotice = std::function<void(CBarcodeReaderThread*)>;

    CBarcodeReaderThread() = default;
    explicit CBarcodeReaderThread(EndNotice onEnd) : m_onEnd(std::move(onEnd)) {}
    ~CBarcodeReaderThread() override;

    // Spools one complete barcode line; also used by the test bench on the
    // window thread.
    void HandleBarcode(const std::string& line);
    // The scanner test, while its window is open, takes the scan as it came
    // (line ending included) in place of the spool.
    static bool ScannerTestWaiting();
    bool HandToScannerTest(const std::string& scanWithLineEnding);

    std::string m_strPort;             // "COM5"; set before the thread starts
    std::atomic<bool> m_bStop{false};  // set once by the owner

protected:
    int Run() override;
    // One read from the port; a test can make it fail as an unplugged USB
    // device does (a closed pty under Wine only ever reads nothing).
    virtual bool ReadPort(HANDLE port, char* buffer, DWORD size, DWORD& got);

private:
    bool OpenPort(HANDLE& port);
    void ReadLoop(HANDLE port);

    EndNotice m_onEnd;
};
