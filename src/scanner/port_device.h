// The device behind a COM port name, as text in which a driver's device name
// can be found (for a CP210x scanner, "\Device\Silabser0").
#pragma once
#include <string>

// The target of the port's DOS device name; where that is missing or names no
// scanner driver, the device that the machine's serial map
// (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM) gives for the port. Empty when the
// port exists in neither.
std::string PortDeviceText(const std::string& portName);
