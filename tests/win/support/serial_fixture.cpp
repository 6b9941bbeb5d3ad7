// Serial-port test surroundings.
#include "support/serial_fixture.h"

#include <cstdlib>

namespace {
const char kSerialMap[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
}

SerialFixture::SerialFixture() { app.SetAppFolder(logFolder.Path()); }

SerialFixture::~SerialFixture() = default;

bool TypeOnScanner(unsigned port, const std::string& bytes)
{
    const char* input = std::getenv(("SCANNER_INPUT_COM" + std::to_string(port)).c_str());
    if (!input) return false;
    FileHandle file(CreateFileA(input, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool SerialFixture::Type(unsigned port, const std::string& bytes) { return TypeOnScanner(port, bytes); }

MappedPort::MappedPort(const std::string& device, unsigned port) : m_name("\\Device\\" + device)
{
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSerialMap, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    std::string value = "COM" + std::to_string(port);
    RegSetValueExA(key, m_name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

MappedPort::~MappedPort()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialMap, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, m_name.c_str());
    RegCloseKey(key);
}

void SerialFixture::MapDevice(const std::string& device, unsigned port)
{
    m_mapped.push_back(std::make_unique<MappedPort>(device, port));
}

std::string SerialFixture::LogText() const { return ReadBytes(logFolder / "Logs\\trace-1.txt"); }

bool SerialFixture::WaitForLog(const std::string& fragment, DWORD timeoutMs, size_t count)
{
    return PumpUntil([&] { return CountOf(LogText(), fragment) >= count; }, timeoutMs);
}
