// The computer's name from Windows.
#include "framework/computer_name.h"

#include <windows.h>

std::string ComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? name : "";
}
