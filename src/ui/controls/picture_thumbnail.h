// A picture file (JPEG, PNG, GIF, BMP) as a small bitmap for a list of
// thumbnails, through GDI+.
#pragma once
#include <windows.h>

#include <string>

// A `size` by `size` bitmap of the picture at `path`, white around it; null
// when the file is no picture. The caller deletes it.
HBITMAP LoadThumbnail(const std::string& path, int size);
