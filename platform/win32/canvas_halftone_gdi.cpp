// Images onto the canvas through GDI: StretchBlt with the HALFTONE stretch mode, the system's
// conversion of colour to black and white.
#include <windows.h>

#include <algorithm>

#include "platform/canvas.h"
#include "platform/image.h"
#include "platform/win32/gdi_area.h"

namespace kestrane {

void stretchImage(Canvas& canvas, const Image& image, Rect target) {
    if (target.right <= target.left || target.bottom <= target.top || image.width <= 0 ||
        image.height <= 0) {
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const HDC source = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    const HBITMAP bitmap = source != nullptr
                               ? CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0)
                               : nullptr;
    if (bitmap != nullptr) {
        const std::size_t stride = (static_cast<std::size_t>(image.width) * 3 + 3) / 4 * 4;
        for (int32_t y = 0; y < image.height; ++y) {
            const uint8_t* from = &image.rgb[static_cast<std::size_t>(y) * image.width * 3];
            uint8_t* to = static_cast<uint8_t*>(bits) + stride * static_cast<std::size_t>(y);
            for (int32_t x = 0; x < image.width; ++x) {  // DIB pixels are blue, green, red
                to[x * 3] = from[x * 3 + 2];
                to[x * 3 + 1] = from[x * 3 + 1];
                to[x * 3 + 2] = from[x * 3];
            }
        }
        const HGDIOBJ previousBitmap = SelectObject(source, bitmap);
        drawOnCanvasArea(canvas, target, [&](HDC dc) {
            const int previousMode = SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);  // as HALFTONE requires
            StretchBlt(dc, target.left, target.top, target.right - target.left,
                       target.bottom - target.top, source, 0, 0, image.width, image.height, SRCCOPY);
            SetStretchBltMode(dc, previousMode);
        });
        SelectObject(source, previousBitmap);
        DeleteObject(bitmap);
    }
    if (source != nullptr) DeleteDC(source);
}

}  // namespace kestrane
