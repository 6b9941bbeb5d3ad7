// This computer's NetBIOS name, as the history and the reports name it.
#pragma once
#include <string>

// Empty when Windows cannot say.
std::string ComputerName();
