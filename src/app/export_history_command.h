// `Pellwick.exe export-history <file.csv> [<from> [<to>]]`: the scan history
// as CSV for IT and scheduled tasks, with no window and beside a running
// instance. Its message goes to the caller's console or redirected output.
#pragma once
#include <string>

// True when the command line asks for the export.
bool IsExportHistoryCommand(const std::string& commandLine);
// Runs it; the process's exit code: 0 written, 1 bad arguments or dates,
// 2 no history, 3 history unreadable, 4 the file cannot be written.
int RunExportHistoryCommand(const std::string& commandLine);
