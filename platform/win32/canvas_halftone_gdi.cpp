// Images onto the canvas through GDI: StretchBlt with the HALFTONE stretch mode, the system's
// conversion of colour to black and white.
#include <windows.h>

#include "platform/canvas.h"
#include "platform/image.h"
#include "platform/win32/dib_pixels.h"
#include "platform/win32/gdi_area.h"

namespace kestrane {

void stretchImage(Canvas& canvas, const Image& image, Rect target) {
    if (target.right <= target.left || target.bottom <= target.top || image.width <= 0 ||
        image.height <= 0) {
        return;
    }
    const BITMAPINFO info = rgbDibInfo(image.width, image.height);
    const HDC source = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    const HBITMAP bitmap = source != nullptr
                               ? CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0)
                               : nullptr;
    if (bitmap != nullptr) {
        imageToDib(image, static_cast<uint8_t*>(bits));
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
