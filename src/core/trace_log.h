// The program's one diagnostic record: timestamped lines in
// <AppFolder>\Logs\trace-1.txt, rotated over nine files, written by every
// thread under one lock and flushed to the system line by line.
#pragma once
#include <chrono>
#include <cstdarg>
#include <mutex>
#include <string>

#include "base/string_format.h"
#include "framework/win_handle.h"

// The local time now in the log's timestamp form.
std::string TimestampNow();

class TraceLog {
public:
    TraceLog() = default;
    virtual ~TraceLog() = default;
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;

    // Lines written while the folder is empty are dropped.
    void SetAppFolder(const std::string& appFolder);

    void Log(const char* format, ...) PRINTF_LIKE(2, 3);
    void LogV(const char* format, va_list args);
    // Logs "WARNING: <message> Reason: <system text of the last error>".
    void Warning(const char* format, ...) PRINTF_LIKE(2, 3);
    void WarningV(const char* format, va_list args);

    // The line writer: one line under the lock, opening or rotating the file
    // as needed. Never fails towards the caller.
    void WriteLine(const std::string& message);

    // As WriteLine, but gives up (dropping the line) when the lock is not
    // free within `wait`: for the crash handler, which may run while the
    // faulting thread holds the lock.
    void WriteLineIfFree(const std::string& message, std::chrono::milliseconds wait);

    std::string LogFolder() const;

protected:
    // Opens (or creates) the current file for appending; a test's way to
    // make the opening fail, as a full disk would.
    virtual HANDLE OpenForAppend(const std::string& path);

private:
    void WriteLocked(const std::string& message);
    bool OpenCurrentFile(const std::string& timestamp, bool banner = true);
    void RotateFiles();
    void WriteRaw(const std::string& text);
    // One line with its time stamp and thread column.
    void WriteStamped(const std::string& timestamp, const std::string& message);
    // True when the current file has grown past the rotation size.
    bool RotationDue();

    mutable std::timed_mutex m_lock;
    std::string m_appFolder;
    std::string m_logFolder;
    FileHandle m_file;
    // The file's size as of its opening plus what this process wrote since:
    // never above the real size, so the file is asked only when this says a
    // rotation may be due (asking costs more than writing a line).
    long long m_knownSize = 0;
    // After a rotation that could not move the file: no new attempt until
    // the file has grown past this.
    long long m_retryRotationAbove = 0;
    static constexpr long long kRotationRetryBytes = 64 * 1024;
};
