// Looking up a port's device: QueryDosDevice, then the SERIALCOMM map.
#include "scanner/port_device.h"

#include <windows.h>

#include "framework/win_handle.h"
#include "scanner/port_names.h"

namespace {

std::string DosDeviceTarget(const std::string& portName)
{
    char target[512] = "";
    DWORD length = QueryDosDeviceA(portName.c_str(), target, sizeof target);
    return length > 0 ? std::string(target) : std::string();
}

// The value of SERIALCOMM whose data is the port name; its name is the device.
std::string SerialMapDevice(const std::string& portName)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return std::string();
    RegKey key(opened);
    for (DWORD index = 0;; ++index) {
        char name[512], data[64];
        DWORD nameLength = sizeof name, dataSize = sizeof data - 1, type = 0;
        LONG status = RegEnumValueA(key.Get(), index, name, &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE*>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || type != REG_SZ) continue;
        data[dataSize] = '\0';
        if (_stricmp(data, portName.c_str()) == 0) return std::string(name, nameLength);
    }
    return std::string();
}

}  // namespace

std::string PortDeviceText(const std::string& portName)
{
    std::string device = DosDeviceTarget(portName);
    if (IsScannerDevice(device)) return device;
    std::string mapped = SerialMapDevice(portName);
    return mapped.empty() ? device : mapped;
}
