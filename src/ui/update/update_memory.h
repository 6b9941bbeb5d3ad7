// What the program remembers of downloads across restarts, each in a
// registry value of its own beside the settings: the newest issue date of a
// genuine offer, and per driver installer the newest version started. A
// replayed older offer or driver is told apart by them.
#pragma once
#include <string>

// The newest issue date of a genuine offer seen so far ("" before the first),
// after `issued` (a genuine offer's date, or "") has been taken in.
std::string TakeInOfferIssued(const std::string& issued);

// The newest version of the driver installer `fileName` started so far; ""
// before the first.
std::string DriverVersionFloor(const std::string& fileName);
void RememberDriverStarted(const std::string& fileName, const std::string& version);
