// The file operations behind a file that replaces another in one step: a new
// file made only where none is, its data flushed to the disk, and the move
// over the old one that leaves it as it was when it fails.
#pragma once
#include <cstdio>
#include <string>

// Opens `path` for binary writing only when nothing of that name exists.
std::FILE* CreateNewFile(const std::string& path);
// Flushes the file's buffers to the disk, then closes it; false when either fails.
bool FlushAndCloseFile(std::FILE* file);
// Moves `from` over `to` in one step, written through to the disk.
bool ReplaceFileInOneStep(const std::string& from, const std::string& to);
