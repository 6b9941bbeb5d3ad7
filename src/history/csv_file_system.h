// What writing an export needs of the system, handed in by the caller so that
// the CSV writer stays portable: the program's own 8-bit text as UTF-8, and a
// file written beside its target and put in its place in one step. The
// program supplies the Windows calls; the native tests supply their own.
#pragma once
#include <cstdio>
#include <string>

struct CsvFileSystem {
    // Text in the system's code page (names, notes: the program's own) as UTF-8.
    std::string (*codePageToUtf8)(const std::string& text);
    // Opens `path` for writing only when nothing of that name exists yet.
    std::FILE* (*createNew)(const std::string& path);
    // Writes the file's data through to the disk and closes the file.
    bool (*flushAndClose)(std::FILE* file);
    // Puts `from` in the place of `to` in one step; `to` stays as it was
    // when that fails.
    bool (*replace)(const std::string& from, const std::string& to);
};
