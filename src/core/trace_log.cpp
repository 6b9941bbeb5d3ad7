// The trace log's line writer, file opening and rotation.
#include "core/trace_log.h"

#include <windows.h>

#include "core/trace_format.h"
#include "framework/error_text.h"
#include "framework/file_ops.h"

std::string TimestampNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return FormatTimestamp(LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                                     now.wMilliseconds});
}

void TraceLog::SetAppFolder(const std::string& appFolder)
{
    std::lock_guard<std::timed_mutex> hold(m_lock);
    m_appFolder = appFolder;
}

std::string TraceLog::LogFolder() const
{
    std::lock_guard<std::timed_mutex> hold(m_lock);
    return m_logFolder;
}

void TraceLog::Log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogV(format, args);
    va_end(args);
}

void TraceLog::LogV(const char* format, va_list args) { WriteLine(StringPrintfV(format, args)); }

void TraceLog::Warning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WarningV(format, args);
    va_end(args);
}

void TraceLog::WarningV(const char* format, va_list args)
{
    // Read the caller's last error before anything here can change it.
    DWORD error = GetLastError();
    std::string message = StringPrintfV(format, args);
    WriteLine(StringPrintf("WARNING: %s Reason: %s", message.c_str(), SystemErrorText(error).c_str()));
}

void TraceLog::WriteLine(const std::string& message)
{
    std::lock_guard<std::timed_mutex> hold(m_lock);
    WriteLocked(message);
}

void TraceLog::WriteLineIfFree(const std::string& message, std::chrono::milliseconds wait)
{
    std::unique_lock<std::timed_mutex> hold(m_lock, wait);
    if (hold.owns_lock()) WriteLocked(message);
}

void TraceLog::WriteLocked(const std::string& message)
{
    // The timestamp is taken under the lock so that lines appear in time order.
    std::string timestamp = TimestampNow();
    if (!m_file && !OpenCurrentFile(timestamp)) return;

    if (RotationDue()) {
        m_file.Reset();
        RotateFiles();
        // Another program may hold the current file so that it cannot move.
        // Then it stays current, without a new banner, and the next attempt
        // waits for another stretch of lines instead of coming at every line.
        bool moved = !FileExists(TraceFileName(m_logFolder, 1));
        if (!OpenCurrentFile(timestamp, moved)) return;
        if (!moved) {
            m_retryRotationAbove = m_knownSize + kRotationRetryBytes;
            WriteStamped(timestamp, "WARNING: the trace log could not be rotated: another program holds it");
        }
    }
    WriteStamped(timestamp, message);
}

void TraceLog::WriteStamped(const std::string& timestamp, const std::string& message)
{
    // One buffer per line; only a message with line breaks needs converting.
    std::string line = TraceLinePrefix(timestamp, GetCurrentThreadId());
    line += message.find('\n') == std::string::npos ? message : ToCrLf(message);
    line += "\r\n";
    WriteRaw(line);
}

bool TraceLog::RotationDue()
{
    if (m_knownSize <= kTraceRotateAboveBytes || m_knownSize <= m_retryRotationAbove) return false;
    // Other processes' lines count too.
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(m_file.Get(), &size)) return false;
    m_knownSize = size.QuadPart;
    return m_knownSize > kTraceRotateAboveBytes;
}

bool TraceLog::OpenCurrentFile(const std::string& timestamp, bool banner)
{
    if (m_appFolder.empty()) return false;
    m_logFolder = m_appFolder + "\\Logs";
    if (!EnsureDirectory(m_logFolder)) return false;
    m_file.Reset(OpenForAppend(TraceFileName(m_logFolder, 1)));
    if (!m_file) return false;
    LARGE_INTEGER size{};
    m_knownSize = GetFileSizeEx(m_file.Get(), &size) ? size.QuadPart : 0;
    if (banner) WriteRaw(ToCrLf(TraceBanner(timestamp)));
    return true;
}

HANDLE TraceLog::OpenForAppend(const std::string& path)
{
    // Shared with everybody, so the file can be read while the program writes.
    return CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void TraceLog::RotateFiles()
{
    // Failures are ignored: a gap simply moves up by one.
    DeleteFileA(TraceFileName(m_logFolder, kTraceFileCount).c_str());
    for (int n = kTraceFileCount; n >= 2; --n) {
        std::string older = TraceFileName(m_logFolder, n - 1);
        if (GetFileAttributesA(older.c_str()) != INVALID_FILE_ATTRIBUTES)
            MoveFileA(older.c_str(), TraceFileName(m_logFolder, n).c_str());
    }
}

void TraceLog::WriteRaw(const std::string& text)
{
    // WriteFile hands the bytes to the system at once: the per-line flush.
    DWORD written = 0;
    WriteFile(m_file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    m_knownSize += written;
}
