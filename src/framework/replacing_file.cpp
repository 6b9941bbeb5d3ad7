// CreateFileA with CREATE_NEW, FlushFileBuffers and MoveFileExA.
#include "framework/replacing_file.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>


std::FILE* CreateNewFile(const std::string& path)
{
    HANDLE created = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) return nullptr;
    // From here the C runtime owns the handle: fclose closes it.
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(created), _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(created);
        return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "wb");
    if (!file) _close(descriptor);
    return file;
}

bool FlushAndCloseFile(std::FILE* file)
{
    bool flushed = std::fflush(file) == 0 &&
                   FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FALSE;
    return std::fclose(file) == 0 && flushed;
}

bool ReplaceFileInOneStep(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
