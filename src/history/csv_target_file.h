// The export's file: written under a new name of its own beside the target,
// flushed, and put in the target's place in one step, so that a failure at
// any point leaves the old export as it was and never touches another file
// (the user's own "<name>.tmp" included). Portable.
#pragma once
#include <cstdio>
#include <string>

#include "history/csv_file_system.h"

// True when the path names a device rather than a disk file (NUL, CON, COM1,
// LPT1, with or without an extension, or a "\\.\" path): writing there would
// send the history to a port or nowhere.
bool IsDeviceName(const std::string& path);

class CsvTargetFile {
public:
    CsvTargetFile(std::string target, const CsvFileSystem& system);
    // Removes the temporary file unless it has been put in place.
    ~CsvTargetFile();
    CsvTargetFile(const CsvTargetFile&) = delete;
    CsvTargetFile& operator=(const CsvTargetFile&) = delete;

    // Creates the temporary file; false for a device name or when no new
    // file can be made beside the target.
    bool Begin();
    bool Write(const std::string& bytes);
    // Flushes the temporary file and puts it in the target's place.
    bool Commit();

private:
    void Discard();

    std::string m_target;
    const CsvFileSystem& m_system;
    std::string m_temporary;
    std::FILE* m_file = nullptr;
    bool m_ok = true;
};
