// What the delivery and activity pages share: the printable look, a table
// row, a filled-in text, and a page or CSV written to its file in one step.
// Portable.
#pragma once
#include <string>
#include <vector>

#include "history/csv_file_system.h"
#include "reports/report_texts.h"

// The page's head up to the opened body: windows-1252, printable styles.
std::string PageStart(const std::string& title);
std::string HeaderRow(const std::vector<std::string>& cells);
std::string DataRow(const std::vector<std::string>& cells, const std::string& rowClass = "");
// "2026-12-08T10:15:00" as "2026-12-08 10:15".
std::string ShownTime(const std::string& isoTime);
// `format` with its "%s" replaced by `value`.
std::string Filled(ReportText format, const std::string& value);
// Writes `bytes` beside `path`, then puts it in its place; false with the
// reason (a device name, a folder that cannot be written).
bool WriteReportFile(const std::string& path, const std::string& bytes, const CsvFileSystem& system,
                     std::string& reason);
