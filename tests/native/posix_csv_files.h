// The native tests' side of the CSV export: POSIX files (O_EXCL, fsync,
// rename) and Windows-1252 as the system's code page, as on a western EU
// counter.
#pragma once
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "history/csv_file_system.h"

inline std::string Cp1252ToUtf8(const std::string& text)
{
    // 0x80 to 0x9F; the rest of the upper half is Latin-1. Unassigned bytes
    // become U+FFFD, as Windows' own table gives them.
    static const unsigned short high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    for (char c : text) {
        unsigned code = static_cast<unsigned char>(c);
        if (code >= 0x80 && code < 0xA0) code = high[code - 0x80];
        if (code < 0x80) {
            out += c;
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

inline std::FILE* CreateNewPosixFile(const std::string& path)
{
    int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (descriptor < 0) return nullptr;
    std::FILE* file = ::fdopen(descriptor, "wb");
    if (!file) ::close(descriptor);
    return file;
}

inline bool FlushAndClosePosixFile(std::FILE* file)
{
    bool flushed = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    return std::fclose(file) == 0 && flushed;
}

inline bool RenamePosixFile(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

inline const CsvFileSystem& PosixCsvFiles()
{
    static const CsvFileSystem files{Cp1252ToUtf8, CreateNewPosixFile, FlushAndClosePosixFile, RenamePosixFile};
    return files;
}
