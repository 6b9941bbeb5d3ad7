// Stands in for curl.exe in the backstop test: it ignores every limit on its
// command line and never ends by itself.
#include <windows.h>

int main()
{
    Sleep(INFINITE);
}
