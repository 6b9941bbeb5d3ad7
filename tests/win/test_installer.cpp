// A stand-in for an installer: it only appends its command line to the file
// that PELLWICK_INSTALLER_MARKER names, so a test can tell that it ran, and
// how often. Built twice, with two versions in its version information.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char marker[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("PELLWICK_INSTALLER_MARKER", marker, sizeof marker)) return 1;
    FILE* file = std::fopen(marker, "a");
    if (!file) return 1;
    std::fprintf(file, "%s\n", GetCommandLineA());
    std::fclose(file);
    return 0;
}
