// Serial-port tests' surroundings: the trace log in a temporary folder, the
// pty-backed ports that tools/wine-run.sh provides (PELLWICK_SCANNERS), and
// entries in the machine's serial map.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/fmd_app.h"
#include "scanner/barcode_reader_thread.h"
#include "support/scan_fixture.h"

// A reader whose reads fail once `unplugged` is set, as a pulled USB serial
// device makes them fail on Windows (a closed pty under Wine only reads
// nothing).
class UnpluggableReader : public CBarcodeReaderThread {
public:
    using CBarcodeReaderThread::CBarcodeReaderThread;
    std::atomic<bool> unplugged{false};

protected:
    bool ReadPort(HANDLE port, char* buffer, DWORD size, DWORD& got) override
    {
        if (unplugged) {
            SetLastError(ERROR_DEVICE_NOT_CONNECTED);
            return false;
        }
        return CBarcodeReaderThread::ReadPort(port, buffer, size, got);
    }
};

// Types bytes into the scanner end of COMn (as the scanner would send them).
bool TypeOnScanner(unsigned port, const std::string& bytes);

// "\Device\<device>" = "COMn" in SERIALCOMM while it lives, so that port
// discovery takes COMn for a scanner of that kind.
class MappedPort {
public:
    MappedPort(const std::string& device, unsigned port);
    ~MappedPort();
    MappedPort(const MappedPort&) = delete;
    MappedPort& operator=(const MappedPort&) = delete;

private:
    std::string m_name;
};

class SerialFixture {
public:
    SerialFixture();
    ~SerialFixture();

    // Types bytes into the scanner end of COMn (as the scanner would send them).
    bool Type(unsigned port, const std::string& bytes);
    // Adds "\Device\<device>" = "COMn" to SERIALCOMM (removed at the end).
    void MapDevice(const std::string& device, unsigned port);

    std::string LogText() const;
    // Dispatches this thread's messages until the log holds `fragment`
    // (`count` times) or the time is up.
    bool WaitForLog(const std::string& fragment, DWORD timeoutMs, size_t count = 1);

    TempFolder logFolder;
    CFMDApp app;

private:
    std::vector<std::unique_ptr<MappedPort>> m_mapped;
};
