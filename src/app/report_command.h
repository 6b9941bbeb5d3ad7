// `Pellwick.exe report <file.html> [<from> [<to>]]`: the activity report of
// the days from `from` to `to` (both included, either left out for no
// bound), with no window and beside a running instance. Its message goes to
// the caller's console or redirected output.
#pragma once
#include <string>

bool IsReportCommand(const std::string& commandLine);
// Runs it; the process's exit code: 0 written, 1 bad arguments or dates,
// 2 no history, 3 history unreadable, 4 the file cannot be written.
int RunReportCommand(const std::string& commandLine);
