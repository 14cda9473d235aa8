// Bitmap files through the system's loader: LoadImageA, the pixels read back with GetDIBits.
#include <windows.h>

#include <vector>

#include "platform/file_path.h"
#include "platform/image.h"
#include "platform/win32/dib_pixels.h"

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
        BITMAPINFO info = rgbDibInfo(size.bmWidth, size.bmHeight);
        std::vector<uint8_t> rows(rgbDibStride(size.bmWidth) * static_cast<std::size_t>(size.bmHeight));
        const HDC screen = GetDC(nullptr);
        loaded = GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.bmHeight), rows.data(), &info,
                           DIB_RGB_COLORS) == size.bmHeight;
        ReleaseDC(nullptr, screen);
        if (loaded) {
            image.width = size.bmWidth;
            image.height = size.bmHeight;
            image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
            dibToImage(rows.data(), image);
        }
    }
    DeleteObject(bitmap);
    return loaded;
}

}  // namespace kestrane
