// Thumbnails through GDI+'s flat interface, started once for the process.
#include "ui/controls/picture_thumbnail.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <vector>

namespace {

bool StartGdiPlus()
{
    static const bool started = [] {
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartupInput input;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    return started;
}

std::wstring Wide(const std::string& text)
{
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(length > 0 ? length : 1);
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    return wide.data();
}

}  // namespace

HBITMAP LoadThumbnail(const std::string& path, int size)
{
    using namespace Gdiplus;
    if (!StartGdiPlus()) return nullptr;
    GpBitmap* picture = nullptr;
    std::wstring name = Wide(path);
    if (DllExports::GdipCreateBitmapFromFile(name.c_str(), &picture) != Ok || !picture) return nullptr;
    UINT width = 0, height = 0;
    DllExports::GdipGetImageWidth(picture, &width);
    DllExports::GdipGetImageHeight(picture, &height);
    GpBitmap* canvas = nullptr;
    HBITMAP bitmap = nullptr;
    if (width && height &&
        DllExports::GdipCreateBitmapFromScan0(size, size, 0, PixelFormat32bppARGB, nullptr, &canvas) == Ok) {
        GpGraphics* graphics = nullptr;
        if (DllExports::GdipGetImageGraphicsContext(canvas, &graphics) == Ok) {
            DllExports::GdipGraphicsClear(graphics, 0xFFFFFFFF);
            DllExports::GdipSetInterpolationMode(graphics, InterpolationModeHighQualityBicubic);
            // The whole picture, as large as fits, in the middle.
            double scale = std::min(static_cast<double>(size) / width, static_cast<double>(size) / height);
            INT w = static_cast<INT>(width * scale), h = static_cast<INT>(height * scale);
            DllExports::GdipDrawImageRectI(graphics, picture, (size - w) / 2, (size - h) / 2, w, h);
            DllExports::GdipDeleteGraphics(graphics);
            DllExports::GdipCreateHBITMAPFromBitmap(canvas, &bitmap, 0xFFFFFFFF);
        }
        DllExports::GdipDisposeImage(canvas);
    }
    DllExports::GdipDisposeImage(picture);
    return bitmap;
}
