// Port sweep, reader start and stop, and device-change broadcasts.
#include "scanner/port_discovery.h"

#include <windows.h>
#include <dbt.h>

#include "core/log.h"
#include "scanner/barcode_reader_thread.h"
#include "scanner/port_device.h"
#include "scanner/port_names.h"

namespace {
constexpr unsigned kLastSweptPort = 19;
}

CPortDiscovery::CPortDiscovery(ReaderFactory factory) : m_factory(std::move(factory))
{
    if (!m_factory) m_factory = [](auto onEnd) { return new CBarcodeReaderThread(std::move(onEnd)); };
}

CPortDiscovery::~CPortDiscovery() { CloseAllPorts(); }

void CPortDiscovery::ScanPorts()
{
    for (unsigned n = 1; n <= kLastSweptPort; ++n) {
        std::string name = ComPortName(n);
        std::string device = PortDeviceText(name);
        if (device.empty()) {
            ClosePort(n);
            continue;
        }
        Log("Found %s = %s", name.c_str(), device.c_str());
        OpenPortOn(n, device);
    }
}

void CPortDiscovery::OpenPort(unsigned number) { OpenPortOn(number, PortDeviceText(ComPortName(number))); }

void CPortDiscovery::OpenPortOn(unsigned number, const std::string& device)
{
    ClosePort(number);
    std::string name = ComPortName(number);
    if (device.empty()) {
        Log("Not listening to %s, we dont know the device", name.c_str());
        return;
    }
    Log("Found %s, device %s", name.c_str(), device.c_str());
    if (!IsScannerDevice(device)) {
        Log("Not listening to %s, we dont know the device", name.c_str());
        return;
    }
    Log("Creating thread");
    HWND window = m_window;
    CBarcodeReaderThread* reader = m_factory([window, number](CBarcodeReaderThread* ended) {
        SendMessageA(window, WM_READERENDED, number, reinterpret_cast<LPARAM>(ended));
    });
    if (!reader) return;
    reader->m_strPort = name;
    m_readers[number] = reader;
    if (!reader->CreateThread()) {
        m_readers[number] = nullptr;
        delete reader;
        return;
    }
    Log("Listing to COM%u = %p", number, static_cast<void*>(reader));
}

void CPortDiscovery::ClosePort(unsigned number)
{
    auto entry = m_readers.find(number);
    if (entry == m_readers.end() || entry->second == nullptr) return;
    CBarcodeReaderThread* reader = entry->second;
    reader->m_bStop = true;
    Log("Closing port COM%u = %p", number, static_cast<void*>(reader));
    entry->second = nullptr;
}

void CPortDiscovery::CloseAllPorts()
{
    for (auto& entry : m_readers) ClosePort(entry.first);
}

CBarcodeReaderThread* CPortDiscovery::ReaderOn(unsigned number) const
{
    auto entry = m_readers.find(number);
    return entry == m_readers.end() ? nullptr : entry->second;
}

LRESULT CPortDiscovery::OnDeviceChange(WPARAM event, LPARAM data)
{
    // Whole 64-bit values: a long holds only the low half of a pointer here.
    Log("OnDeviceChange(wParam = %llx, lParam = %llx)", static_cast<unsigned long long>(event),
        static_cast<unsigned long long>(data));
    auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_PORT) return 0;
    const char* name = reinterpret_cast<const DEV_BROADCAST_PORT_A*>(header)->dbcp_name;
    if (event == DBT_DEVICEARRIVAL) {
        Log("Device Inserted %lx %llx %lx %s\n", static_cast<unsigned long>(DBT_DEVICEARRIVAL),
            static_cast<unsigned long long>(data), static_cast<unsigned long>(DBT_DEVTYP_PORT), name);
        OpenPort(PortNumberFromName(name));
    } else if (event == DBT_DEVICEREMOVECOMPLETE) {
        Log("Device Removed %lx %llx %lx %s\n", static_cast<unsigned long>(DBT_DEVICEREMOVECOMPLETE),
            static_cast<unsigned long long>(data), static_cast<unsigned long>(DBT_DEVTYP_PORT), name);
        ClosePort(PortNumberFromName(name));
    }
    return 0;
}

void CPortDiscovery::OnReaderEnded(unsigned number, CBarcodeReaderThread* reader)
{
    auto entry = m_readers.find(number);
    if (entry == m_readers.end() || entry->second != reader) return;
    entry->second = nullptr;
    Log("COM%u reader ended by itself", number);
}

bool CPortDiscovery::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_DEVICECHANGE) {
        result = OnDeviceChange(wParam, lParam);
        return true;
    }
    if (message == WM_READERENDED) {
        OnReaderEnded(static_cast<unsigned>(wParam), reinterpret_cast<CBarcodeReaderThread*>(lParam));
        result = 0;
        return true;
    }
    return false;
}
