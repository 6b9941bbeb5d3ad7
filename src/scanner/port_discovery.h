// Which serial ports get a reader: a sweep of COM1 to COM19 at start, then the
// system's port arrival and removal broadcasts. Runs on the window thread of
// the window given to Attach, which must pass WM_DEVICECHANGE and
// WM_READERENDED to HandleMessage.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>

class CBarcodeReaderThread;

// Sent (not posted) by a reader that ends by itself, just before it deletes
// itself: wParam is its port number, lParam the reader. Being sent, it is
// handled before the object is gone, so the map never holds an ended reader.
constexpr UINT WM_READERENDED = WM_APP + 2;

class CPortDiscovery {
public:
    // Makes a reader that calls `onEnd` as it ends; tests pass their own.
    using ReaderFactory = std::function<CBarcodeReaderThread*(std::function<void(CBarcodeReaderThread*)> onEnd)>;

    explicit CPortDiscovery(ReaderFactory factory = nullptr);
    ~CPortDiscovery();
    CPortDiscovery(const CPortDiscovery&) = delete;
    CPortDiscovery& operator=(const CPortDiscovery&) = delete;

    void Attach(HWND window) { m_window = window; }

    void ScanPorts();
    void OpenPort(unsigned number);
    void ClosePort(unsigned number);
    void CloseAllPorts();
    LRESULT OnDeviceChange(WPARAM event, LPARAM data);

    // WM_DEVICECHANGE and WM_READERENDED; true when handled.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The reader listening on a port, or null (for tests and the test bench).
    CBarcodeReaderThread* ReaderOn(unsigned number) const;

private:
    // OpenPort with the device already looked up.
    void OpenPortOn(unsigned number, const std::string& device);
    void OnReaderEnded(unsigned number, CBarcodeReaderThread* reader);

    // Port number to its running reader; null once closed or ended. The map
    // does not own the readers: each frees itself when its thread ends.
    std::map<unsigned, CBarcodeReaderThread*> m_readers;
    HWND m_window = nullptr;
    ReaderFactory m_factory;
};
