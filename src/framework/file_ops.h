// The small file operations the whole program shares: unique names from the
// performance counter, whole-file reads, and safe whole-file writes.
#pragma once
#include <string>
#include <vector>

// folder\prefix<n> (no extension) such that folder\prefix<n>.<extension> did
// not exist when tested; n is above the performance counter and above every
// n this process has handed out before, so two threads never get the same.
std::string MakeUniqueFileName(const std::string& folder, const std::string& prefix, const std::string& extension);
// The same with `reading` in place of the performance counter's, so that a
// test can make threads read equal values.
std::string MakeUniqueFileNameAt(long long reading, const std::string& folder, const std::string& prefix,
                                 const std::string& extension);
// The same, with a name free in every one of `folders` (the path is in the
// first): a scan keeps its key as it moves between them, and the counter
// starts again near zero at every restart of Windows.
std::string MakeUniqueFileNameIn(const std::vector<std::string>& folders, const std::string& extension);
std::string MakeUniqueFileNameAt(long long reading, const std::vector<std::string>& folders, const std::string& prefix,
                                 const std::string& extension);

// Appends the file to `text` chunk by chunk, each chunk up to its first zero
// byte. False (and `text` emptied) when the file cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& text);
// Every byte of the file, zero bytes included; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes);

// Replaces the file at `path` with `text` through "<path>.tmp", written,
// flushed to the disk and read back before it is renamed into place, so the
// file never exists under its name half-written. On failure the old file is
// unchanged and the system error code is left as the thread's last error.
// Until its rename the temporary file ends in a zero byte that marks it
// complete (see FinishTemporaryFile).
bool WriteWholeFile(const std::string& path, const std::string& text);
// The same with `readBack` in place of ReadWholeFile for the check, so that a
// test can make the read-back fail or differ, as failing storage would.
using ReadBackFunction = bool (*)(const std::string& path, std::string& text);
bool WriteWholeFileCheckedBy(ReadBackFunction readBack, const std::string& path, const std::string& text);

// For "<path>.tmp" left by a write that was ended (a kill): when it holds its
// whole text (its mark is there), puts the text in place at <path> as
// WriteWholeFile does and returns true; false for one that was cut off. Either
// way `text` is what the temporary file holds, up to its first zero byte.
bool FinishTemporaryFile(const std::string& temp, std::string& text);

// Names (without folder) of the files, not folders, matching `pattern` in
// the folder; empty when there is none or no such folder.
std::vector<std::string> ListFiles(const std::string& folder, const char* pattern);

// A file's name with its last-write time (100 ns steps since 1601, UTC): the
// time it was saved, which a move keeps and a restart does not reset.
struct ListedFile {
    std::string name;
    unsigned long long savedAt = 0;
};
std::vector<ListedFile> ListFilesWithTimes(const std::string& folder, const char* pattern);

// The file's last-write time, as ListedFile's; false when it cannot be read.
bool FileSavedAt(const std::string& path, unsigned long long& savedAt);
// Whole seconds from a last-write time to now; 0 for one in the future.
long long SecondsSince(unsigned long long savedAt);

// The file's size; false when its attributes cannot be read.
bool FileSize(const std::string& path, unsigned long long& size);

bool FileExists(const std::string& path);       // a file or folder
bool DirectoryExists(const std::string& path);  // a folder
// Creates the folder (one level) unless it exists; a file of that name counts
// as missing, so creating the folder then fails.
bool EnsureDirectory(const std::string& path);
