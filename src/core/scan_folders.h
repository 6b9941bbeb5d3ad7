// The scan folder's subfolders, where scans wait for the service, wait for
// the pharmacist, or lie set aside unread; and the largest spool file a
// reader writes. Every scan's key is unique across all of them.
#pragma once
#include <string>
#include <vector>

inline std::string WaitingFolderOf(const std::string& scanFolder) { return scanFolder + "\\Waiting"; }
inline std::string HeldFolderOf(const std::string& scanFolder) { return scanFolder + "\\Held"; }
inline std::string UnreadableFolderOf(const std::string& scanFolder) { return scanFolder + "\\Unreadable"; }

// The scan folder first, then every folder a scan can move to.
inline std::vector<std::string> ScanFoldersOf(const std::string& scanFolder)
{
    return {scanFolder, WaitingFolderOf(scanFolder), HeldFolderOf(scanFolder), UnreadableFolderOf(scanFolder)};
}

// A spool file is the mode's digit and one line, and a reader never lets a
// line grow past 64 KiB: a larger file is none of its.
constexpr unsigned long long kMaxSpoolFileBytes = 1 + 64 * 1024;
