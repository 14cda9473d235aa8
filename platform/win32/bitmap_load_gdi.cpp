// Bitmap files through the system's loader: LoadImageA, the pixels read back with GetDIBits.
#include <windows.h>

#include <vector>

#include "platform/file_path.h"
#include "platform/image.h"

namespace kestrane {

bool loadBitmapFile(const std::string& enginePath, Image& image) {
    // The same checks as everywhere first: the loader is given only what fits a receipt image.
    std::string bytes;
    if (!readBitmapFile(enginePath, bytes)) return false;
    std::string().swap(bytes);
    const auto bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, nativePath(enginePath).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (bitmap == nullptr) return false;
    BITMAP size{};
    bool loaded = GetObjectW(bitmap, sizeof size, &size) != 0 && size.bmWidth > 0 && size.bmHeight > 0;
    if (loaded) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.bmWidth;
        info.bmiHeader.biHeight = -size.bmHeight;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        const std::size_t stride = (static_cast<std::size_t>(size.bmWidth) * 3 + 3) / 4 * 4;
        std::vector<uint8_t> rows(stride * static_cast<std::size_t>(size.bmHeight));
        const HDC screen = GetDC(nullptr);
        loaded = GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.bmHeight), rows.data(), &info,
                           DIB_RGB_COLORS) == size.bmHeight;
        ReleaseDC(nullptr, screen);
        if (loaded) {
            image.width = size.bmWidth;
            image.height = size.bmHeight;
            image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
            for (int32_t y = 0; y < image.height; ++y) {
                const uint8_t* from = &rows[stride * static_cast<std::size_t>(y)];
                uint8_t* to = &image.rgb[static_cast<std::size_t>(y) * image.width * 3];
                for (int32_t x = 0; x < image.width; ++x) {  // DIB pixels are blue, green, red
                    to[x * 3] = from[x * 3 + 2];
                    to[x * 3 + 1] = from[x * 3 + 1];
                    to[x * 3 + 2] = from[x * 3];
                }
            }
        }
    }
    DeleteObject(bitmap);
    return loaded;
}

}  // namespace kestrane
