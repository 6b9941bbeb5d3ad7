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
// A command's `<verb> <file> [<from YYYY-MM-DD> [<to YYYY-MM-DD>]]`.
struct PeriodCommand {
    std::string file, from, to;
};
// False, having said why (the usage, or "<failed>: " and what is wrong with
// the dates), when the words are no such command.
bool ReadPeriodCommand(const std::string& commandLine, const char* usage, const std::string& failed,
                       PeriodCommand& command);
