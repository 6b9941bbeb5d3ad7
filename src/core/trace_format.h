// The trace log's file format: timestamps, banner, line prefix, file names and
// the text-mode line ends. Portable, so it is tested natively.
#pragma once
#include <cstdint>
#include <string>

struct LocalTime {
    int year, month, day, hour, minute, second, millisecond;
};

// A file larger than this is rotated before the next line; one of exactly
// this size stays current.
constexpr int64_t kTraceRotateAboveBytes = 1048576;
constexpr int kTraceFileCount = 9;

std::string FormatTimestamp(const LocalTime& time);            // "2026-12-07 01:02:03.004"
std::string TraceBanner(const std::string& timestamp);         // written when a file is opened
std::string TraceLinePrefix(const std::string& timestamp, unsigned long threadId);
std::string TraceFileName(const std::string& logFolder, int number);  // "<folder>\trace-<n>.txt"

// Every LF becomes CR LF, as a text-mode file write does (a CR LF already in
// the text therefore becomes CR CR LF).
std::string ToCrLf(const std::string& text);
