// File operations on the Win32 API.
#include "framework/file_ops.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "base/string_format.h"
#include "framework/win_handle.h"

namespace {

// Two threads can read the same counter value, and testing for the file
// cannot tell them apart (neither has written it yet): one scan would then
// replace the other's spool file. Every number handed out is above all those
// handed out before in this process, so names also keep their creation order.
long long ClaimNumberAbove(long long reading)
{
    static std::atomic<long long> lastIssued{0};
    long long previous = lastIssued.load();
    long long claimed = 0;
    do {
        claimed = std::max(reading, previous) + 1;
    } while (!lastIssued.compare_exchange_weak(previous, claimed));
    return claimed;
}

}  // namespace

std::string MakeUniqueFileName(const std::string& folder, const std::string& prefix, const std::string& extension)
{
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return MakeUniqueFileNameAt(counter.QuadPart, folder, prefix, extension);
}

std::string MakeUniqueFileNameAt(long long reading, const std::string& folder, const std::string& prefix,
                                 const std::string& extension)
{
    return MakeUniqueFileNameAt(reading, std::vector<std::string>{folder}, prefix, extension);
}

std::string MakeUniqueFileNameIn(const std::vector<std::string>& folders, const std::string& extension)
{
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return MakeUniqueFileNameAt(counter.QuadPart, folders, "", extension);
}

std::string MakeUniqueFileNameAt(long long reading, const std::vector<std::string>& folders, const std::string& prefix,
                                 const std::string& extension)
{
    for (long long n = ClaimNumberAbove(reading);; n = ClaimNumberAbove(n)) {
        std::string name = StringPrintf("%s%lld", prefix.c_str(), n);
        bool taken = false;
        for (const std::string& folder : folders) taken = taken || FileExists(folder + "\\" + name + "." + extension);
        if (!taken) return folders.front() + "\\" + name;
    }
}

namespace {

// Appends the file chunk by chunk, each cut at its first zero byte or not;
// false when it cannot be opened. `complete`: every read succeeded.
bool ReadChunks(const std::string& path, std::string& text, bool cutAtZero, bool& complete)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        text.clear();
        return false;
    }
    char chunk[1024];  // the cut at a zero byte applies to chunks of this size
    DWORD got = 0;
    BOOL read = FALSE;
    while ((read = ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) && got > 0)
        text.append(chunk, cutAtZero ? strnlen(chunk, got) : got);
    complete = read != FALSE;
    return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& text)
{
    bool complete = false;
    return ReadChunks(path, text, true, complete);
}

bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    bytes.clear();
    bool complete = false;
    return ReadChunks(path, bytes, false, complete) && complete;
}

namespace {

// Removes a file without disturbing the error code that the caller reports.
void DeleteKeepingError(const std::string& path, DWORD error)
{
    DeleteFileA(path.c_str());
    SetLastError(error);
}

// The temporary file is written with a zero byte after the text, in the same
// call: no text written here holds one (it is taken up to its first zero), so
// a temporary file that ends in its only zero byte is complete, and one that
// a kill or a power cut left without it is not. The mark comes off just
// before the rename.
constexpr char kCompleteMark = '\0';

// Writes and flushes the temporary file with its mark; keeps the failing
// call's error code.
bool WriteTemporary(const std::string& temp, const std::string& text)
{
    FileHandle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string marked = text + kCompleteMark;
    DWORD written = 0;
    if (!WriteFile(file.Get(), marked.data(), static_cast<DWORD>(marked.size()), &written, nullptr)) {
        DWORD error = GetLastError();
        file.Reset();
        SetLastError(error);
        return false;
    }
    // Flushed before the rename: after a power cut the file must not exist
    // under its final name full of zeros.
    bool flushed = FlushFileBuffers(file.Get()) != 0;
    DWORD error = GetLastError();
    file.Reset();
    if (written < marked.size() || !flushed) {
        DeleteKeepingError(temp, flushed ? ERROR_WRITE_FAULT : error);
        return false;
    }
    return true;
}

// Cuts the mark off the checked temporary file, leaving the text alone.
bool RemoveMark(const std::string& temp, size_t length)
{
    FileHandle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(length);
    return file && SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get());
}

}  // namespace

bool WriteWholeFile(const std::string& path, const std::string& content)
{
    return WriteWholeFileCheckedBy(ReadWholeFile, path, content);
}

bool WriteWholeFileCheckedBy(ReadBackFunction readBack, const std::string& path, const std::string& content)
{
    std::string text(content.c_str());  // up to the terminating zero
    std::string temp = path + ".tmp";
    if (!WriteTemporary(temp, text)) return false;

    std::string check;
    if (!readBack(temp, check) || check != text) {
        DeleteKeepingError(temp, ERROR_WRITE_FAULT);
        return false;
    }
    if (!RemoveMark(temp, text.size()) || (FileExists(path) && !DeleteFileA(path.c_str())) ||
        !MoveFileA(temp.c_str(), path.c_str())) {
        DeleteKeepingError(temp, GetLastError());
        return false;
    }
    return true;
}

bool FinishTemporaryFile(const std::string& temp, std::string& text)
{
    std::string bytes;
    ReadFileBytes(temp, bytes);
    text.assign(bytes.c_str());  // up to the first zero byte, as ReadWholeFile reads it
    bool complete = !bytes.empty() && bytes.find(kCompleteMark) == bytes.size() - 1;
    return complete && temp.size() > 4 && WriteWholeFile(temp.substr(0, temp.size() - 4), text);
}

namespace {

// A file time as one number: 100 ns steps since 1601, UTC.
unsigned long long TicksOf(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

std::vector<ListedFile> ListFilesWithTimes(const std::string& folder, const char* pattern)
{
    std::vector<ListedFile> files;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        files.push_back({entry.cFileName, TicksOf(entry.ftLastWriteTime)});
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return files;
}

std::vector<std::string> ListFiles(const std::string& folder, const char* pattern)
{
    std::vector<std::string> names;
    for (ListedFile& file : ListFilesWithTimes(folder, pattern)) names.push_back(std::move(file.name));
    return names;
}

bool FileSavedAt(const std::string& path, unsigned long long& savedAt)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    savedAt = TicksOf(data.ftLastWriteTime);
    return true;
}

long long SecondsSince(unsigned long long savedAt)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks = TicksOf(now);
    return ticks > savedAt ? static_cast<long long>((ticks - savedAt) / 10000000ULL) : 0;
}

bool FileSize(const std::string& path, unsigned long long& size)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool DirectoryExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool EnsureDirectory(const std::string& path)
{
    return !path.empty() && (DirectoryExists(path) || CreateDirectoryA(path.c_str(), nullptr));
}
