// What the window-less commands share: their one line of output, the
// history's place, and a path as the caller meant it.
#pragma once
#include <string>

// A program without a console writes to redirected output as it is, else to
// the console of the command prompt that started it, if any.
void Say(const std::string& line);
// %APPDATA%\QuorvixFMD Pellwick\History\history.db; empty when unknown.
std::string HistoryPath();
// The path as written, made absolute against the current folder, so that the
// message names the file a scheduled task really wrote.
std::string FullPath(const std::string& path);
// Why the days `from` to `to` (YYYY-MM-DD, either empty) are no period;
// empty when they are one.
std::string PeriodProblem(const std::string& from, const std::string& to);
